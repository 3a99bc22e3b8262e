#include "common/clock.h"

#include <chrono>
#include <ctime>

namespace velmora {

std::uint64_t SystemClock::Ticks() const {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

std::int64_t SystemClock::SteadyMs() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

std::int64_t SystemClock::WallMs() const {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

std::string FormatLocalTime(std::int64_t epochMs, const char* pattern, std::string_view fallback) {
    // Whole seconds towards the past, so that a time just before 1970 keeps its second.
    std::int64_t seconds = epochMs / 1000 - (epochMs % 1000 < 0 ? 1 : 0);
    const auto asTime = static_cast<std::time_t>(seconds);
    std::tm local{};
    char text[64];
    if (localtime_r(&asTime, &local) == nullptr || std::strftime(text, sizeof text, pattern, &local) == 0) {
        return std::string(fallback);
    }
    return text;
}

} // namespace velmora
