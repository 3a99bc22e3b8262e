#include "common/random.h"

namespace velmora {

float StandardRandomSource::NextUnit() {
    // 24 random bits give every single-precision step of [0, 1) and never 1.
    constexpr float kScale = 1.0f / 16777216.0f;
    return static_cast<float>(engine_() >> 40) * kScale;
}

} // namespace velmora
