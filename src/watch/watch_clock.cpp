#include "watch/watch_clock.h"

#include "history/odds_recorder.h"

#include <chrono>

namespace velmora {

std::int64_t SystemWatchClock::SteadyMs() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

std::int64_t SystemWatchClock::WallMs() const {
    return WallClockMs();
}

} // namespace velmora
