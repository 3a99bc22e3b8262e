#include "pat_fixture.h"

#include "common/conversions.h"
#include "common/cp932.h"
#include "common/text.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

namespace velmora::patfixture {
namespace {

Race EightRunners() {
    Race race;
    race.runners = RunnersWithOdds({"2.4", "5.1", "7.0", "12.5", "30.2", "8.8", "70.0", "150"});
    return race;
}

// The decoded text of `width` bytes at `offset`.
std::string FieldAt(const std::string& bytes, std::size_t offset, std::size_t width) {
    return DecodeCp932(std::string_view(bytes).substr(offset, width));
}

TEST(PatFixture, FilesHaveTheirExactLengths) {
    Race race = EightRunners();
    race.result.emplace();
    for (int n : {2, 8, 18}) {
        race.runners.resize(static_cast<std::size_t>(n), Runner{"9.9", {}, {}, {}, {}});
        std::size_t size = static_cast<std::size_t>(n);
        EXPECT_EQ(WinPlaceOddsBytes(race).size(), 142 + 18 * size) << n;
        EXPECT_EQ(QuinellaOddsBytes(race).size(), 144 + 25 * size * (size - 1) / 2) << n;
        EXPECT_EQ(EntryFileBytes(race).size(), 92 + 48 * size) << n;
        EXPECT_EQ(ResultFileBytes(race).size(), 687u) << n;
    }
}

TEST(PatFixture, HeaderFieldsSitAtTheirOffsets) {
    Race race = EightRunners();
    race.courseName = "中山";
    race.meetingNo = 5;
    race.meetingDay = 8;
    race.raceNo = 11;
    race.formatMarker = " ";
    race.raceName = "有馬記念";
    race.conditions = "３歳以上オープン";
    for (const std::string& bytes : {WinPlaceOddsBytes(race), QuinellaOddsBytes(race)}) {
        EXPECT_EQ(FieldAt(bytes, 28, 4), "中山");
        EXPECT_EQ(FieldAt(bytes, 36, 2), " 5");
        EXPECT_EQ(FieldAt(bytes, 38, 2), " 8");
        EXPECT_EQ(FieldAt(bytes, 40, 2), "11");
        EXPECT_EQ(FieldAt(bytes, 43, 1), " ");
        EXPECT_EQ(FieldAt(bytes, 48, 28), "有馬記念" + std::string(20, ' '));
        EXPECT_EQ(FieldAt(bytes, 76, 64), "３歳以上オープン" + std::string(48, ' '));
        EXPECT_EQ(FieldAt(bytes, 140, 2), " 8");
    }
}

TEST(PatFixture, RunnerFieldsArePlacedByHorseNumber) {
    Race race = EightRunners();
    race.runners[2] = Runner{std::string(kScratched), {}, {}, "アオバダンサー", {}};
    race.runners[3].placeOddsMin = "1.5";
    race.runners[3].placeOddsMax = "2.8";
    std::string odds = WinPlaceOddsBytes(race);
    EXPECT_EQ(FieldAt(odds, 142 + 18 * 2 + 3, 15), " ﾄﾘｹｼ ﾄﾘｹｼ ﾄﾘｹｼ");
    EXPECT_EQ(FieldAt(odds, 142 + 18 * 3 + 3, 15), " 12.5  1.5  2.8");
    EXPECT_EQ(FieldAt(odds, 142 + 18 * 7 + 3, 5), "  150");

    std::string entry = EntryFileBytes(race);
    EXPECT_EQ(FieldAt(entry, 90, 2), " 8");
    EXPECT_EQ(FieldAt(entry, 92 + 48 * 2 + 6, 18), "アオバダンサー    ");
    EXPECT_EQ(FieldAt(entry, 92 + 48 * 0 + 6, 18), "ウマ１" + std::string(12, ' '));
}

TEST(PatFixture, DerivedOddsAreOrderedLikeTheWinOdds) {
    Race race = EightRunners();
    // Shorter win odds, shorter place odds; the place range is never inverted.
    std::string odds = WinPlaceOddsBytes(race);
    for (int i = 1; i < 8; ++i) {
        double low = NumericValue(FieldAt(odds, 142 + 18 * static_cast<std::size_t>(i - 1) + 8, 5));
        double high = NumericValue(FieldAt(odds, 142 + 18 * static_cast<std::size_t>(i - 1) + 13, 5));
        double nextLow = NumericValue(FieldAt(odds, 142 + 18 * static_cast<std::size_t>(i) + 8, 5));
        EXPECT_GE(low, 1.0);
        EXPECT_LE(low, high);
        if (i != 5) { // runner 5 (30.2) is a longer price than runner 6 (8.8)
            EXPECT_LE(low, nextLow) << i;
        }
    }
    PairCell favourites = DerivedPairCell(race, 1, 2);
    PairCell outsiders = DerivedPairCell(race, 7, 8);
    EXPECT_LT(NumericValue(favourites.quinella), NumericValue(outsiders.quinella));
    EXPECT_LE(NumericValue(favourites.wideMin), NumericValue(favourites.wideMax));
    EXPECT_LT(NumericValue(favourites.wideMax), NumericValue(favourites.quinella));
}

TEST(PatFixture, QuinellaCellsFollowThePairOrder) {
    Race race = EightRunners();
    race.runners.resize(3);
    race.pairs[{1, 3}] = PairCell{"12.3", "4.5", "6.7"};
    std::string bytes = QuinellaOddsBytes(race);
    ASSERT_EQ(bytes.size(), 219u);
    EXPECT_EQ(FieldAt(bytes, 169 + 7, 18), "  12.3   4.5   6.7");
    EXPECT_EQ(TrimSpaces(FieldAt(bytes, 144 + 7, 6)), DerivedPairCell(race, 1, 2).quinella);
    EXPECT_EQ(TrimSpaces(FieldAt(bytes, 194 + 7, 6)), DerivedPairCell(race, 2, 3).quinella);
}

TEST(PatFixture, ScratchedRunnersHaveNoPairOdds) {
    Race race = EightRunners();
    race.runners[4].winOdds = std::string(kScratched);
    PairCell cell = DerivedPairCell(race, 2, 5);
    EXPECT_EQ(cell.quinella, kScratched);
    EXPECT_EQ(cell.wideMin, kScratched);
}

TEST(PatFixture, ResultPayoffsMatchTheOddsAndThePairTexts) {
    Race race = EightRunners();
    race.runners.resize(12, Runner{"40.0", {}, {}, {}, {}});
    race.result.emplace();
    race.result->order = {12, 3};
    std::string bytes = ResultFileBytes(race);
    std::vector<int> order = FinishingOrder(race);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(order[0], 12);
    EXPECT_EQ(order[1], 3);
    EXPECT_EQ(order[2], 1); // the rest by their win odds

    EXPECT_EQ(FieldAt(bytes, 90, 22), " 112ウマ１２          ");
    EXPECT_EQ(FieldAt(bytes, 375, 10), "12    4000");
    // Quinella key trims to the pair text " 3-12" minus its leading space.
    EXPECT_EQ(TrimSpaces(FieldAt(bytes, 491, 6)), "3-12");
    PairCell cell = DerivedPairCell(race, 3, 12);
    EXPECT_EQ(std::lround(NumericValue(FieldAt(bytes, 497, 8))),
              std::lround(NumericValue(cell.quinella) * 100));
    // Three wide payoffs, each inside the range shown before the race.
    std::vector<std::string> keys;
    for (std::size_t k = 0; k < 11; ++k) {
        std::string key(TrimSpaces(FieldAt(bytes, 533 + 14 * k, 6)));
        if (key.empty()) {
            continue;
        }
        keys.push_back(key);
        int i = std::stoi(key.substr(0, 2));
        int j = std::stoi(key.substr(key.find('-') + 1));
        PairCell range = DerivedPairCell(race, i, j);
        long payoff = std::lround(NumericValue(FieldAt(bytes, 539 + 14 * k, 8)));
        EXPECT_GE(payoff, std::lround(NumericValue(range.wideMin) * 100)) << key;
        EXPECT_LE(payoff, std::lround(NumericValue(range.wideMax) * 100)) << key;
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"3-12", "1-12", "1- 3"}));
}

TEST(PatFixture, SmallFieldsPayTwoPlaces) {
    Race race = EightRunners();
    race.runners.resize(7);
    race.result.emplace();
    std::string bytes = ResultFileBytes(race);
    EXPECT_NE(TrimSpaces(FieldAt(bytes, 415, 10)), "");
    EXPECT_EQ(TrimSpaces(FieldAt(bytes, 425, 10)), "");
    EXPECT_NE(TrimSpaces(FieldAt(bytes, 533, 14)), "");
    EXPECT_EQ(TrimSpaces(FieldAt(bytes, 547, 14)), "");
}

TEST(PatFixture, RefusesWhatDoesNotFit) {
    struct Case {
        const char* what;
        void (*spoil)(Race&);
    };
    const Case cases[] = {
        {"name of ten full-width characters",
         [](Race& r) { r.runners[0].horseName = "アイウエオカキクケコ"; }},
        {"win odds of six bytes", [](Race& r) { r.runners[0].winOdds = "1234.5"; }},
        {"three-character course", [](Race& r) { r.courseName = "東京都"; }},
        {"two-byte marker", [](Race& r) { r.formatMarker = "23"; }},
        {"no Shift-JIS form", [](Race& r) { r.raceName = "😀"; }},
        {"nineteen runners",
         [](Race& r) {
             r.runners.resize(19, Runner{"5.0", {}, {}, {}, {}});
         }},
        {"pair out of the race",
         [](Race& r) {
             r.pairs[{3, 9}] = PairCell{"1.0", "1.0", "1.0"};
         }},
        {"finisher who does not run",
         [](Race& r) {
             r.runners[1].winOdds = std::string(kScratched);
             r.result.emplace();
             r.result->order = {2};
         }},
        {"too many wide payoffs",
         [](Race& r) {
             r.result.emplace();
             r.result->wide = std::vector<Payoff>(12, Payoff{"1- 2", "100"});
         }},
        {"folder in the file id", [](Race& r) { r.fileId = "../Zo-x.jra"; }},
    };
    for (const Case& c : cases) {
        Race race = EightRunners();
        c.spoil(race);
        EXPECT_THROW(BuildRaceFiles(race), FixtureError) << c.what;
    }
}

TEST(PatFixture, WritesNothingWhenADescriptionFails) {
    test::TempDir dir;
    Race race = EightRunners();
    race.result.emplace();
    race.result->winnerTime = "fast";
    EXPECT_THROW(WriteRaceFiles(race, dir.path()), FixtureError);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(PatFixture, NamesTheFilesOfOneRace) {
    Race race = EightRunners();
    race.courseCode = "06";
    race.meetingNo = 5;
    race.meetingDay = 8;
    race.raceNo = 11;
    race.resultInfix = "26";
    EXPECT_EQ(OddsFileName(race), "Zo-06050811.jra");
    EXPECT_EQ(QuinellaFileName(race), "Uo-06050811.jra");
    EXPECT_EQ(EntryFileName(race), "De-06050811.jra");
    EXPECT_EQ(ResultFileName(race), "Ks-0266050811.jra");
    race.fileId = "ABCDEF.jra";
    EXPECT_EQ(ResultFileName(race), "Ks-A26BCDEF.jra");

    test::TempDir dir;
    race.withEntryFile = false;
    race.result.emplace();
    auto paths = WriteRaceFiles(race, dir.path());
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[2].filename(), "Ks-A26BCDEF.jra");
    EXPECT_EQ(std::filesystem::file_size(paths[2]), 687u);
}

TEST(PatFixtureDescription, ReadsEveryKey) {
    Race race = ParseRaceDescription(R"(# a full description
file: X1.jra
result-infix: 99
date: 20270101
course-code: 09
course: 阪神
meeting: 2
day: 4
race: 10
marker: " "
post-time: 1535
name: テスト特別
conditions: ３歳以上
runner-count: 17
entry-runner-count: 5
runner: 3.5 アオバダンサー place=1.2-1.8 jockey=田中
runner: ﾄﾘｹｼ
runner:  9.0  jockey=鈴木
pair: 1-3 10.5 3.1-4.2
result: 3 1
time: 1.59.9
payoff: quinella "1- 3 " 1050
payoff: wide " 1- 3" 310
files: Zo De Ks
)");
    EXPECT_EQ(race.fileId, "X1.jra");
    EXPECT_EQ(race.resultInfix, "99");
    EXPECT_EQ(race.date, "20270101");
    EXPECT_EQ(race.courseCode, "09");
    EXPECT_EQ(race.courseName, "阪神");
    EXPECT_EQ(race.meetingNo, 2);
    EXPECT_EQ(race.meetingDay, 4);
    EXPECT_EQ(race.raceNo, 10);
    EXPECT_EQ(race.formatMarker, " ");
    EXPECT_EQ(race.postTime, "1535");
    EXPECT_EQ(race.raceName, "テスト特別");
    EXPECT_EQ(race.conditions, "３歳以上");
    EXPECT_EQ(race.runnerCount, "17");
    EXPECT_EQ(race.entryRunnerCount, "5");
    ASSERT_EQ(race.runners.size(), 3u);
    EXPECT_EQ(race.runners[0].winOdds, "3.5");
    EXPECT_EQ(race.runners[0].horseName, "アオバダンサー");
    EXPECT_EQ(race.runners[0].placeOddsMin, "1.2");
    EXPECT_EQ(race.runners[0].placeOddsMax, "1.8");
    EXPECT_EQ(race.runners[0].jockey, "田中");
    EXPECT_EQ(race.runners[1].winOdds, kScratched);
    EXPECT_EQ(race.runners[2].horseName, "");
    EXPECT_EQ(race.runners[2].jockey, "鈴木");
    ASSERT_EQ(race.pairs.count({1, 3}), 1u);
    EXPECT_EQ(race.pairs.at({1, 3}).wideMax, "4.2");
    ASSERT_TRUE(race.result);
    EXPECT_EQ(race.result->order, (std::vector<int>{3, 1}));
    EXPECT_EQ(race.result->winnerTime, "1.59.9");
    ASSERT_TRUE(race.result->quinella);
    EXPECT_EQ(race.result->quinella->at(0).key, "1- 3 ");
    EXPECT_EQ(race.result->wide->at(0).key, " 1- 3");
    EXPECT_FALSE(race.result->win);
    EXPECT_TRUE(race.withOddsFile);
    EXPECT_FALSE(race.withQuinellaFile);
    EXPECT_TRUE(race.withEntryFile);
}

TEST(PatFixtureDescription, DefaultsToAllFourFiles) {
    Race race = ParseRaceDescription("runner: 2.0\nrunner: 3.0\n");
    EXPECT_TRUE(race.withOddsFile && race.withQuinellaFile && race.withEntryFile);
    EXPECT_TRUE(race.result);
    EXPECT_FALSE(ParseRaceDescription("files: zo uo\nresult: 1\n").result);
}

TEST(PatFixtureDescription, ReportsTheFaultyLine) {
    const char* faulty[] = {
        "runner 2.0",    "colour: red",          "meeting: five", "runner: 2.0 place=1.2", "pair: 3-1 2 1-2",
        "pair: 1-2 3.0", "payoff: trifecta 1 2", "files: Zo Xx",  "name: \"open",          "runner: 2.0 A B",
    };
    for (const char* line : faulty) {
        try {
            ParseRaceDescription(std::string("# first\n") + line + "\n");
            ADD_FAILURE() << line;
        } catch (const FixtureError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("line 2: ")) << error.what();
        }
    }
}

} // namespace
} // namespace velmora::patfixture
