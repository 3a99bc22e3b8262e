#include "movement/odds_movement.h"

#include "engine/engine_harness.h"
#include "movement/version_figures.h"
#include "pat_fixture.h"
#include "race/race_loader.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace velmora {
namespace {

constexpr std::int64_t kMorningMs = 1796551200000;
const MovementThresholds kThresholds{1.3, {3, 1.5}};

patfixture::Race RaceWithOdds(std::vector<std::string> odds) {
    patfixture::Race race;
    race.runners = patfixture::RunnersWithOdds(odds);
    // Pair 1-2 bought far beyond what the win odds imply.
    race.pairs[{1, 2}] = {"1.1", "1.0", "1.1"};
    return race;
}

OddsVersion WinPlace(const std::vector<std::string>& odds, std::int64_t minute) {
    const std::int64_t at = kMorningMs + minute * 60000;
    return {OddsFileKind::WinPlace, at, at + 500, patfixture::WinPlaceOddsBytes(RaceWithOdds(odds))};
}

OddsVersion Quinella(const std::vector<std::string>& odds, std::int64_t minute) {
    const std::int64_t at = kMorningMs + minute * 60000;
    return {OddsFileKind::Quinella, at, at + 500, patfixture::QuinellaOddsBytes(RaceWithOdds(odds))};
}

const std::vector<std::string> kFirstOdds = {"4.0", "3.0", "5.0", "8.0", "10.0", "12.0", "20.0", "30.0"};
const std::vector<std::string> kSecondOdds = {"3.0", "3.0", "5.0", "8.0", "10.0", "12.0", "20.0", "30.0"};
const std::vector<std::string> kThirdOdds = {"2.0", "6.0", "5.0", "8.0", "10.0", "12.0", "20.0", "30.0"};

// Three readable win/place versions, the quinella odds written just after the
// second and an unreadable version between the second and the third.
std::vector<OddsVersion> ThreeVersions() {
    return {WinPlace(kFirstOdds, 0),
            WinPlace(kSecondOdds, 10),
            Quinella(kSecondOdds, 11),
            {OddsFileKind::WinPlace, kMorningMs + 15 * 60000, 0, "half a file"},
            WinPlace(kThirdOdds, 20)};
}

class OddsMovementTest : public ::testing::Test {
protected:
    // The worked race, but runner 8 is the place favourite at the longest win
    // odds: win rank 8, place rank 1, the only gap of 3 or more.
    void ComputeSheet() {
        std::vector<test::OddsRow> rows = test::WorkedRace();
        rows[7] = {"100", "1.0", "1.2"};
        h.TypeRace(rows);
        for (int row = 1; row <= 8; ++row) {
            h.sheet.SetText(Column::HorseName, row, "ウマ" + std::to_string(row));
        }
        btnCalc_Click(h.sheet, h.services);
        h.sheet.ClearList(SheetList::Result);
        for (const char* line : {" 1- 2", " 3- 8", " 4- 5◎", "ﾚｰｽ結果は"}) {
            h.sheet.AddItem(SheetList::Result, line);
        }
    }

    test::EngineHarness h;
};

TEST_F(OddsMovementTest, ComparesTheLastReadableVersionWithTheFirstByDefault) {
    ComputeSheet();
    OddsMovement movement(ThreeVersions(), "Zo-05010101.jra", h.sheet, kThresholds);
    ASSERT_TRUE(movement.HasHistory());
    ASSERT_EQ(movement.Versions().size(), 3u);
    EXPECT_EQ(movement.Versions()[0].modifiedMs, kMorningMs);
    EXPECT_EQ(movement.Versions()[1].seenMs, kMorningMs + 10 * 60000 + 500);
    EXPECT_EQ(movement.Versions()[2].modifiedMs, kMorningMs + 20 * 60000);
    EXPECT_EQ(movement.Versions()[2].fileName, "Zo-05010101.jra");
    EXPECT_EQ(movement.ChosenVersion(), 2);

    const auto& runners = movement.Runners();
    ASSERT_EQ(runners.size(), 8u);
    EXPECT_EQ(runners[0].name, "ウマ1");
    EXPECT_DOUBLE_EQ(runners[0].move.win.firstOdds, 4.0);
    EXPECT_DOUBLE_EQ(runners[0].move.win.nowOdds, 2.0);
    EXPECT_DOUBLE_EQ(runners[0].move.win.firstSupport, 0.2);
    EXPECT_DOUBLE_EQ(runners[0].move.win.nowSupport, 0.4);
    EXPECT_DOUBLE_EQ(runners[0].move.win.change, 2.0);
    EXPECT_EQ(runners[0].move.win.mark, MoveMark::Rose);
    EXPECT_DOUBLE_EQ(runners[1].move.win.change, 0.5);
    EXPECT_EQ(runners[1].move.win.mark, MoveMark::Fell);
    EXPECT_EQ(runners[2].move.win.mark, MoveMark::None);
}

TEST_F(OddsMovementTest, AChosenVersionIsComparedWithTheFirstAndOutOfRangeChoicesAreIgnored) {
    ComputeSheet();
    OddsMovement movement(ThreeVersions(), "Zo-05010101.jra", h.sheet, kThresholds);
    movement.ChooseVersion(1);
    EXPECT_EQ(movement.ChosenVersion(), 1);
    // 4.0 to 3.0 is support up by 1.33, past the factor of 1.3.
    EXPECT_NEAR(movement.Runners()[0].move.win.change, 4.0 / 3.0, 1e-12);
    EXPECT_EQ(movement.Runners()[0].move.win.mark, MoveMark::Rose);
    EXPECT_EQ(movement.Runners()[1].move.win.mark, MoveMark::None);
    movement.ChooseVersion(3);
    movement.ChooseVersion(-1);
    EXPECT_EQ(movement.ChosenVersion(), 1);
}

TEST_F(OddsMovementTest, TheChartHasEachRunnersWinSupportAtEveryReadableVersion) {
    ComputeSheet();
    OddsMovement movement(ThreeVersions(), "Zo-05010101.jra", h.sheet, kThresholds);
    ASSERT_EQ(movement.Series().size(), 8u);
    const SupportSeries& first = movement.Series()[0];
    EXPECT_EQ(first.no, 1);
    ASSERT_EQ(first.points.size(), 3u);
    EXPECT_EQ(first.points[1].modifiedMs, kMorningMs + 10 * 60000);
    EXPECT_DOUBLE_EQ(first.points[0].support, 0.2);
    EXPECT_DOUBLE_EQ(first.points[1].support, 0.8 / 3.0);
    EXPECT_DOUBLE_EQ(first.points[2].support, 0.4);
}

TEST_F(OddsMovementTest, MarksFollowTheChosenVersionOnTheSheetsRecommendedPairs) {
    ComputeSheet();
    OddsMovement movement(ThreeVersions(), "Zo-05010101.jra", h.sheet, kThresholds);
    const auto& oversold = movement.OversoldPairs();
    const auto pair12 = std::find_if(oversold.begin(), oversold.end(),
                                     [](const PairShare& pair) { return pair.a == 1 && pair.b == 2; });
    ASSERT_NE(pair12, oversold.end());
    EXPECT_GE(pair12->ratio, 1.5);

    const auto& pairs = movement.RecommendedPairs();
    ASSERT_EQ(pairs.size(), 3u); // the result lines are no pairs
    char ratio[16];
    std::snprintf(ratio, sizeof ratio, "%.2f", pair12->ratio);
    EXPECT_EQ(pairs[0].text, " 1- 2");
    EXPECT_EQ(pairs[0].mark, std::string("売れすぎ ") + ratio);
    EXPECT_EQ(pairs[2].text, " 4- 5");
    for (const RecommendedPair& pair : pairs) {
        const bool listed = std::any_of(oversold.begin(), oversold.end(), [&pair](const PairShare& share) {
            return share.a == pair.a && share.b == pair.b;
        });
        EXPECT_EQ(pair.mark.rfind("売れすぎ ", 0) == 0, listed) << pair.text;
    }

    // The first version came before any quinella odds: nothing oversold.
    movement.ChooseVersion(0);
    EXPECT_TRUE(movement.OversoldPairs().empty());
    EXPECT_EQ(movement.RecommendedPairs()[0].mark, "");
}

TEST_F(OddsMovementTest, QuinellaOddsGoWithTheWinOddsOfTheSameRefreshInEitherOrder) {
    ComputeSheet();
    auto oversoldAt = [this](const std::vector<OddsVersion>& held) {
        OddsMovement movement(held, "Zo-05010101.jra", h.sheet, kThresholds);
        std::vector<bool> oversold;
        for (int i = 0; i < static_cast<int>(movement.Versions().size()); ++i) {
            movement.ChooseVersion(i);
            oversold.push_back(!movement.OversoldPairs().empty());
        }
        return oversold;
    };
    // A race read once: the quinella file recorded after the odds file.
    EXPECT_EQ(oversoldAt({WinPlace(kFirstOdds, 0), Quinella(kFirstOdds, 0)}), std::vector<bool>{true});
    // Written before the odds file of its refresh, it is no part of the one before.
    EXPECT_EQ(oversoldAt({WinPlace(kFirstOdds, 0), Quinella(kSecondOdds, 9), WinPlace(kSecondOdds, 10)}),
              (std::vector<bool>{false, true}));
    // A refresh that left the quinella file as it was keeps its odds.
    EXPECT_EQ(oversoldAt({Quinella(kFirstOdds, 0), WinPlace(kFirstOdds, 0), WinPlace(kSecondOdds, 10)}),
              (std::vector<bool>{true, true}));
    // Written as near to both, it goes with the earlier one, and the later keeps it.
    EXPECT_EQ(oversoldAt({WinPlace(kFirstOdds, 0), Quinella(kSecondOdds, 5), WinPlace(kSecondOdds, 10)}),
              (std::vector<bool>{true, true}));
    // A minute nearer the later one, it is the later one's alone.
    EXPECT_EQ(oversoldAt({WinPlace(kFirstOdds, 0), Quinella(kSecondOdds, 6), WinPlace(kSecondOdds, 10)}),
              (std::vector<bool>{false, true}));
}

TEST_F(OddsMovementTest, WithoutHistoryTheSheetIsTheOnlyVersionAndStillShowsItsAnomalies) {
    ComputeSheet();
    OddsMovement movement({}, "", h.sheet, kThresholds);
    EXPECT_FALSE(movement.HasHistory());
    ASSERT_EQ(movement.Versions().size(), 1u);
    EXPECT_EQ(movement.Versions()[0].fileName, "");
    EXPECT_EQ(movement.Versions()[0].modifiedMs, 0);
    EXPECT_TRUE(movement.Series().empty());

    ASSERT_EQ(movement.Runners().size(), 8u);
    for (const MovementRunner& runner : movement.Runners()) {
        EXPECT_EQ(runner.move.win.mark, MoveMark::None) << runner.no;
        EXPECT_EQ(runner.move.place.mark, MoveMark::None) << runner.no;
        EXPECT_EQ(runner.rankGap.has_value(), runner.no == 8) << runner.no;
    }
    ASSERT_TRUE(movement.Runners()[7].rankGap);
    EXPECT_EQ(movement.Runners()[7].rankGap->winRank, 8);
    EXPECT_EQ(movement.Runners()[7].rankGap->placeRank, 1);
    EXPECT_EQ(movement.RecommendedPairs()[1].mark, "ずれ 8番");
}

TEST_F(OddsMovementTest, ASingleHeldVersionDrawsNoLinesAndAnEmptySheetShowsNothing) {
    ComputeSheet();
    OddsMovement single({WinPlace(kFirstOdds, 0)}, "Zo-05010101.jra", h.sheet, kThresholds);
    EXPECT_TRUE(single.HasHistory());
    EXPECT_EQ(single.Versions().size(), 1u);
    EXPECT_TRUE(single.Series().empty());
    EXPECT_DOUBLE_EQ(single.Runners()[0].move.win.change, 1.0);

    test::EngineHarness blank;
    OddsMovement nothing({}, "", blank.sheet, kThresholds);
    EXPECT_TRUE(nothing.Versions().empty());
    EXPECT_TRUE(nothing.Runners().empty());
    EXPECT_EQ(nothing.ChosenVersion(), -1);
    nothing.ChooseVersion(0);
    EXPECT_TRUE(nothing.RecommendedPairs().empty());
}

TEST(HeldVersionsOfTest, ReadsAnOpenStoreOnly) {
    EXPECT_TRUE(HeldVersionsOf(nullptr, "/pat/Zo-05010101.jra").empty());
    test::TempDir dir;
    HistoryStore store((dir.path() / "history.sqlite").string());
    const std::string path = (dir.path() / "Zo-05010101.jra").string();
    const OddsVersion version = WinPlace(kFirstOdds, 0);
    store.Record({path, version.bytes, version.modifiedMs, version.seenMs});
    EXPECT_EQ(HeldVersionsOf(&store, path).size(), 1u);
    EXPECT_TRUE(HeldVersionsOf(&store, (dir.path() / "Zo-05010102.jra").string()).empty());
    EXPECT_TRUE(HeldVersionsOf(&store, "").empty());
}

// The window shows the race the file on the sheet belongs to by its own time,
// however many versions a later race of that name holds.
TEST(HeldVersionsOfTest, TakesTheRaceOfTheFilesOwnTimeNotTheLatestOne) {
    test::TempDir dir;
    HistoryStore store((dir.path() / "history.sqlite").string());
    const std::string path = dir.Write("Zo-05010101.jra", WinPlace(kFirstOdds, 0).bytes);
    const std::int64_t nextWeekMs = 8LL * 24 * 60 * 60 * 1000;
    for (const OddsVersion& version :
         {WinPlace(kFirstOdds, 0), WinPlace(kSecondOdds, 10), WinPlace(kThirdOdds, 20)}) {
        store.Record({path, version.bytes, version.modifiedMs, version.seenMs});
    }
    const OddsVersion ahead = WinPlace(kFirstOdds, 20);
    store.Record({path, ahead.bytes, ahead.modifiedMs + nextWeekMs, ahead.seenMs + nextWeekMs});
    const timespec times[2] = {{kMorningMs / 1000, 0}, {kMorningMs / 1000 + 600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(HeldVersionsOf(&store, path).size(), 3u);
}

TEST(FiguresOfVersionsTest, PairsVersionsAtTheEndsOfTimeWithoutOverflow) {
    OddsVersion earliest = WinPlace(kFirstOdds, 0);
    earliest.modifiedMs = std::numeric_limits<std::int64_t>::min();
    OddsVersion latest = Quinella(kFirstOdds, 0);
    latest.modifiedMs = std::numeric_limits<std::int64_t>::max();
    const std::vector<FiguresAt> figures = FiguresOfVersions({earliest, latest, WinPlace(kSecondOdds, 0)});
    EXPECT_EQ(figures.size(), 2u);
}

} // namespace
} // namespace velmora
