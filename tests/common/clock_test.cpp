#include "common/clock.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Zones differ by whole minutes, so seconds read the same everywhere.
TEST(FormatLocalTime, SecondsCountDownwardsAndAnEmptyTextFallsBack) {
    EXPECT_EQ(FormatLocalTime(1'999, "%S", "--"), "01");
    EXPECT_EQ(FormatLocalTime(0, "%S", "--"), "00");
    EXPECT_EQ(FormatLocalTime(-1, "%S", "--"), "59"); // 23:59:59.999, not 00:00:00
    EXPECT_EQ(FormatLocalTime(-1'000, "%S", "--"), "59");
    EXPECT_EQ(FormatLocalTime(-1'001, "%S", "--"), "58");
    EXPECT_EQ(FormatLocalTime(0, "", "--"), "--"); // nothing written
}

TEST(SystemClock, WallTimeIsNowAndSteadyTimeNeverGoesBack) {
    SystemClock clock;
    const std::int64_t steady = clock.SteadyMs();
    EXPECT_GE(clock.SteadyMs(), steady);
    EXPECT_GT(clock.WallMs(), 1'767'225'600'000); // after 2026 began
}

} // namespace
} // namespace velmora
