#pragma once

#include <cstdint>
#include <random>

namespace velmora {

// Uniform draws in [0, 1), single precision, re-seedable.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Seed(std::uint64_t seed) = 0;
    virtual float NextUnit() = 0;
};

class StandardRandomSource : public RandomSource {
public:
    void Seed(std::uint64_t seed) override { engine_.seed(seed); }
    float NextUnit() override;

private:
    std::mt19937_64 engine_{0};
};

} // namespace velmora
