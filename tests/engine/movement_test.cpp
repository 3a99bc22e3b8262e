#include "engine/movement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

// Runners 1, 2, ... with these win and average place odds; NaN marks a scratched runner.
RaceFigures Version(const std::vector<std::pair<double, double>>& odds) {
    RaceFigures figures;
    for (std::size_t i = 0; i < odds.size(); ++i) {
        RunnerFigures runner;
        runner.no = static_cast<int>(i) + 1;
        runner.scratched = std::isnan(odds[i].first);
        runner.winOdds = runner.scratched ? 0.0 : odds[i].first;
        runner.placeOdds = runner.scratched ? 99.99 : odds[i].second;
        figures.runners.push_back(runner);
    }
    return figures;
}

constexpr double kScratched = std::numeric_limits<double>::quiet_NaN();

TEST(Movement, SupportThatMovedByTheFactorIsMarkedBothWays) {
    RaceFigures first =
        Version({{2.0, 1.5}, {5.0, 2.0}, {10.0, 3.0}, {13.0, 4.0}, {0.0, 1.2}, {kScratched, 0}});
    RaceFigures now =
        Version({{2.6, 1.2}, {3.8, 2.6}, {10.0, 3.0}, {10.0, 4.0}, {5.0, 1.2}, {kScratched, 0}});
    std::vector<MovementRow> rows = ComputeMovement(first, now, 1.3);
    ASSERT_EQ(rows.size(), 6U);

    // 2.0 -> 2.6: support 0.4 -> 0.3077, to exactly 1 / 1.3 of what it was.
    EXPECT_EQ(rows[0].no, 1);
    EXPECT_NEAR(rows[0].win.firstSupport, 0.4, 1e-12);
    EXPECT_NEAR(rows[0].win.nowSupport, 0.3076923, 1e-7);
    EXPECT_NEAR(rows[0].win.change, 0.7692308, 1e-7);
    EXPECT_EQ(rows[0].win.mark, MoveMark::Fell);
    // Place odds 1.5 -> 1.2: support 0.1778 -> 0.2222, up 1.25: below the factor.
    EXPECT_NEAR(rows[0].place.firstSupport, 0.1777778, 1e-7);
    EXPECT_NEAR(rows[0].place.change, 1.25, 1e-12);
    EXPECT_EQ(rows[0].place.mark, MoveMark::None);

    EXPECT_EQ(rows[1].win.mark, MoveMark::Rose);   // 5.0 -> 3.8, up 1.316
    EXPECT_EQ(rows[1].place.mark, MoveMark::Fell); // 2.0 -> 2.6
    EXPECT_EQ(rows[2].win.mark, MoveMark::None);   // unchanged
    EXPECT_NEAR(rows[2].win.change, 1.0, 1e-12);
    EXPECT_EQ(rows[3].win.mark, MoveMark::Rose); // 13 -> 10, up exactly 1.3
    EXPECT_EQ(MoveMarkText(rows[3].win.mark), "↑");
    EXPECT_EQ(MoveMarkText(rows[0].win.mark), "↓");
    EXPECT_EQ(MoveMarkText(rows[2].win.mark), "");
}

TEST(Movement, RunnersWithoutOddsInAVersionHaveNoChangeAndNoMark) {
    RaceFigures first = Version({{0.0, 1.2}, {kScratched, 0}, {4.0, 1.5}, {4.0, 0.0}});
    RaceFigures now = Version({{5.0, 1.2}, {kScratched, 0}, {kScratched, 0}, {2.0, 1.5}, {6.0, 2.0}});
    std::vector<MovementRow> rows = ComputeMovement(first, now, 1.3);
    ASSERT_EQ(rows.size(), 5U);
    // Blank win odds at first: no support then, so no ratio.
    EXPECT_EQ(rows[0].win.firstSupport, 0.0);
    EXPECT_NEAR(rows[0].win.nowSupport, 0.16, 1e-12);
    EXPECT_EQ(rows[0].win.change, 0.0);
    EXPECT_EQ(rows[0].win.mark, MoveMark::None);
    EXPECT_EQ(rows[0].place.mark, MoveMark::None);
    // Scratched since: nothing now, not a fall.
    EXPECT_EQ(rows[2].win.nowOdds, 0.0);
    EXPECT_EQ(rows[2].win.mark, MoveMark::None);
    EXPECT_EQ(rows[2].place.mark, MoveMark::None);
    // Blank place odds at first, win odds halved.
    EXPECT_EQ(rows[3].place.change, 0.0);
    EXPECT_EQ(rows[3].win.mark, MoveMark::Rose);
    // A runner the first version did not list.
    EXPECT_EQ(rows[4].win.firstOdds, 0.0);
    EXPECT_EQ(rows[4].win.mark, MoveMark::None);
    for (const MovementRow& row : rows) {
        EXPECT_TRUE(std::isfinite(row.win.change) && std::isfinite(row.place.change));
    }
}

TEST(Movement, ASingleVersionOrAFactorOfOneOrLessMarksNothing) {
    RaceFigures version = Version({{2.0, 1.5}, {5.0, 2.0}, {0.0, 0.0}});
    for (const MovementRow& row : ComputeMovement(version, version, 1.3)) {
        EXPECT_EQ(row.win.mark, MoveMark::None);
        EXPECT_EQ(row.place.mark, MoveMark::None);
        EXPECT_EQ(row.win.change, row.no == 3 ? 0.0 : 1.0);
    }
    RaceFigures later = Version({{1.0, 1.0}, {10.0, 4.0}, {3.0, 1.0}});
    for (double factor : {1.0, 0.5, 0.0, -2.0, kScratched}) {
        for (const MovementRow& row : ComputeMovement(version, later, factor)) {
            EXPECT_EQ(row.win.mark, MoveMark::None) << factor;
            EXPECT_EQ(row.place.mark, MoveMark::None) << factor;
        }
    }
    EXPECT_TRUE(ComputeMovement(version, RaceFigures{}, 1.3).empty());
}

} // namespace
} // namespace velmora
