#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The times the program reads: ticks to seed the random remark with, a steady
// time for waiting, which a change of the system time must not stretch or cut,
// and the wall time changes are shown and recorded with. Tests plug in a clock
// they set by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t Ticks() const = 0;
    virtual std::int64_t SteadyMs() const = 0;
    virtual std::int64_t WallMs() const = 0; // since the Unix epoch
};

class SystemClock : public Clock {
public:
    std::uint64_t Ticks() const override;
    std::int64_t SteadyMs() const override;
    std::int64_t WallMs() const override;
};

// A wall time as the user's clock shows it, in a strftime pattern; `fallback`
// when the time has no local form.
std::string FormatLocalTime(std::int64_t epochMs, const char* pattern, std::string_view fallback);

} // namespace velmora
