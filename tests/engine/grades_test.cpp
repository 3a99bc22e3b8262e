#include "engine/grades.h"

#include "engine/engine_harness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Texts = std::vector<std::string>;

struct GradeCase {
    const char* first;  // support rate of the rank-1 runner
    const char* second; // support rate of the rank-2 runner
    const char* gradeOne;
    const char* gradeTwo;
};

// Puts ranks 1 ... 8 on rows 1 ... 8 of both pools, the two favourites with
// the given rates (written on rows 5 and 2, so the row order plays no part).
void WriteFavourites(RaceSheet& sheet, Column rank, Column ratio, const GradeCase& c) {
    sheet.SetHorseNumText("8");
    const std::vector<std::string> ranks = {"3", "2", "4", "5", "1", "6", "7", "8"};
    for (int i = 1; i <= 8; ++i) {
        sheet.SetText(rank, i, ranks[static_cast<std::size_t>(i - 1)]);
        sheet.SetText(ratio, i, "0.001");
    }
    sheet.SetText(ratio, 5, c.first);
    sheet.SetText(ratio, 2, c.second);
}

TEST(RateReliability, WinGradesMeetTheirThresholdsInSinglePrecision) {
    const std::vector<GradeCase> cases = {
        {"0.500", "0.300", "A", "A"}, {"0.499", "0.201", "B", "B"}, {"0.400", "0.300", "B", "B"},
        {"0.399", "0.201", "C", "C"}, {"0.300", "0.300", "C", "C"}, {"0.299", "0.300", "D", "D"},
        {"0.364", "0.222", "C", "D"}, {"0.450", "0.350", "B", "B"}, // 0.45 + 0.35 stays below 0.8 as singles
        {"0.001", "0.001", "D", "D"}, {"", "", "D", "D"},
    };
    for (const auto& c : cases) {
        test::EngineHarness h;
        WriteFavourites(h.sheet, Column::TanPopular, Column::TanRatio, c);
        RateReliability(h.sheet);
        EXPECT_EQ(h.sheet.Rank(1), c.gradeOne) << c.first << " " << c.second;
        EXPECT_EQ(h.sheet.Rank(2), c.gradeTwo) << c.first << " " << c.second;
        // No place ranks at all: both place figures are 0.
        EXPECT_EQ(h.sheet.Rank(3), "D");
        EXPECT_EQ(h.sheet.Rank(4), "D");
    }
}

TEST(RateReliability, PlaceGradesMeetTheirThresholds) {
    const std::vector<GradeCase> cases = {
        {"0.300", "0.200", "A", "A"}, {"0.299", "0.101", "B", "B"}, {"0.213", "0.190", "B", "B"},
        {"0.200", "0.100", "B", "C"}, {"0.100", "0.200", "C", "C"}, {"0.099", "0.200", "D", "D"},
        {"0.150", "0.150", "C", "C"},
    };
    for (const auto& c : cases) {
        test::EngineHarness h;
        WriteFavourites(h.sheet, Column::FukuPopular, Column::FukuRatio, c);
        RateReliability(h.sheet);
        EXPECT_EQ(h.sheet.Rank(3), c.gradeOne) << c.first << " " << c.second;
        EXPECT_EQ(h.sheet.Rank(4), c.gradeTwo) << c.first << " " << c.second;
        EXPECT_EQ(h.sheet.Rank(1), "D");
    }
}

TEST(RateReliability, OnlyRowsUpToTheRunnerCountAreRead) {
    test::EngineHarness h;
    WriteFavourites(h.sheet, Column::TanPopular, Column::TanRatio, {"0.100", "0.100", "", ""});
    // A stale favourite beyond the count must not be picked up.
    h.sheet.SetText(Column::TanPopular, 12, "1");
    h.sheet.SetText(Column::TanRatio, 12, "0.900");
    RateReliability(h.sheet);
    EXPECT_EQ(h.sheet.Rank(1), "D");
}

} // namespace
} // namespace velmora
