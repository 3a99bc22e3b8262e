#pragma once

#include <cstdint>

namespace velmora {

// The two times a watch needs: a steady one for the debounce, which a change
// of the system time must not stretch or cut, and the wall time a change is
// reported and recorded with. Tests plug in a clock they move by hand.
class WatchClock {
public:
    virtual ~WatchClock() = default;
    virtual std::int64_t SteadyMs() const = 0;
    virtual std::int64_t WallMs() const = 0; // since the Unix epoch
};

class SystemWatchClock : public WatchClock {
public:
    std::int64_t SteadyMs() const override;
    std::int64_t WallMs() const override;
};

} // namespace velmora
