#include "common/random.h"

#include <chrono>

namespace velmora {

std::uint64_t SystemClock::Ticks() const {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

float StandardRandomSource::NextUnit() {
    // 24 random bits give every single-precision step of [0, 1) and never 1.
    constexpr float kScale = 1.0f / 16777216.0f;
    return static_cast<float>(engine_() >> 40) * kScale;
}

} // namespace velmora
