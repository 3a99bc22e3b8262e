#pragma once

#include "common/clock.h"

namespace velmora::test {

// A clock the test sets by hand.
class ManualClock : public Clock {
public:
    std::uint64_t Ticks() const override { return ticks; }
    std::int64_t SteadyMs() const override { return steadyMs; }
    std::int64_t WallMs() const override { return wallMs; }

    std::uint64_t ticks = 0;
    std::int64_t steadyMs = 0;
    std::int64_t wallMs = 0;
};

} // namespace velmora::test
