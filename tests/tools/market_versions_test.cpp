// Successive versions of a race: as many as asked, in time order, the money
// moving the way the plan says, and every version a set of files the readers take.

#include "market_versions.h"

#include "common/conversions.h"
#include "common/messages.h"
#include "common/text.h"
#include "patdata/quinella_odds.h"
#include "patdata/win_place_odds.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <set>

namespace velmora::patfixture {
namespace {

constexpr int kBacked = 5;
constexpr int kDrifting = 1;
constexpr int kScratchedHorse = 11;

VersionPlan Morning(std::uint64_t seed = 7) {
    VersionPlan plan;
    plan.race.runners = RunnersWithOdds(
        {"3.5", "5.2", "6.8", "8.0", "12.5", "15.0", "20.0", "28.0", "35.0", "50.0", "ﾄﾘｹｼ", "80.0"});
    plan.count = 15;
    plan.firstSecond = 9 * 3600;
    plan.lastSecond = 11 * 3600 + 30 * 60;
    plan.moves = {{kBacked, 2.5}, {kDrifting, 1.0 / 1.8}};
    plan.seed = seed;
    return plan;
}

double WinOf(const Race& race, int horse) {
    return NumericValue(race.runners[static_cast<std::size_t>(horse - 1)].winOdds);
}

TEST(RaceVersions, ComeInTimeOrderAsManyAsAskedFromTheOpeningOdds) {
    VersionPlan plan = Morning();
    std::vector<RaceVersion> versions = RaceVersions(plan);
    ASSERT_EQ(versions.size(), 15u);
    EXPECT_EQ(versions.front().second, plan.firstSecond);
    EXPECT_EQ(versions.back().second, plan.lastSecond);
    for (std::size_t k = 1; k < versions.size(); ++k) {
        EXPECT_LT(versions[k - 1].second, versions[k].second);
    }
    for (std::size_t i = 0; i < plan.race.runners.size(); ++i) {
        EXPECT_EQ(versions.front().race.runners[i].winOdds, plan.race.runners[i].winOdds);
    }
    EXPECT_EQ(versions.back().race.oddsTime, "11:30:00") << "the odds files carry their time";
}

TEST(RaceVersions, BackedRunnerShortensDriftingOneLengthensWhateverTheNoise) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::vector<RaceVersion> versions = RaceVersions(Morning(seed));
        const Race& first = versions.front().race;
        const Race& last = versions.back().race;
        EXPECT_LT(WinOf(last, kBacked), WinOf(first, kBacked) * 0.6);
        EXPECT_GT(WinOf(last, kDrifting), WinOf(first, kDrifting) * 1.4);
        // The pair odds follow the win odds: backing a runner shortens its pairs.
        int other = 2;
        EXPECT_LT(NumericValue(DerivedPairCell(last, other, kBacked).quinella),
                  NumericValue(DerivedPairCell(first, other, kBacked).quinella));
        // The pool keeps its takeout: the implied shares still add up to the opening overround.
        double opening = 0.0, closing = 0.0;
        for (int horse = 1; horse <= 12; ++horse) {
            if (horse != kScratchedHorse) {
                opening += 1.0 / WinOf(first, horse);
                closing += 1.0 / WinOf(last, horse);
            }
        }
        EXPECT_NEAR(closing, opening, opening * 0.03);
        for (const RaceVersion& version : versions) {
            EXPECT_EQ(version.race.runners[kScratchedHorse - 1].winOdds, kScratched);
        }
    }
}

TEST(RaceVersions, SamePlanSameFilesEveryVersionDistinct) {
    auto filesOf = [](std::uint64_t seed) {
        std::vector<std::string> files;
        for (const FixtureFile& file : RaceDayFiles({Morning(seed)})) {
            files.push_back(file.name + '\n' + file.bytes);
        }
        return files;
    };
    EXPECT_EQ(filesOf(7), filesOf(7));
    EXPECT_NE(filesOf(7), filesOf(8));
    std::set<std::string> odds, quinella;
    for (const RaceVersion& version : RaceVersions(Morning())) {
        odds.insert(WinPlaceOddsBytes(version.race));
        quinella.insert(QuinellaOddsBytes(version.race));
    }
    EXPECT_EQ(odds.size(), 15u);
    EXPECT_EQ(quinella.size(), 15u);
}

// Written out as a race day: each version in its time's folder, the entry file
// once, the result after the close; every odds file reads back without a message.
TEST(RaceVersions, RaceDayFilesReadBackThroughTheReaders) {
    VersionPlan plan = Morning();
    plan.race.result.emplace();
    plan.resultSecond = plan.lastSecond + 600;
    test::TempDir dir;
    int oddsFiles = 0, entryFiles = 0, resultFiles = 0;
    for (const FixtureFile& file : RaceDayFiles({plan})) {
        std::filesystem::path path = dir.path() / file.name;
        std::filesystem::create_directories(path.parent_path());
        dir.Write(file.name, file.bytes);
        std::string folder = path.parent_path().filename().string();
        std::string name = path.filename().string();
        entryFiles += name.starts_with("De-");
        if (name.starts_with("De-")) {
            EXPECT_EQ(folder, "090000");
        }
        if (name.starts_with("Ks-")) {
            ++resultFiles;
            EXPECT_EQ(folder, "114000");
        }
        if (!name.starts_with("Zo-")) {
            continue;
        }
        ++oddsFiles;
        RecordingMessageSink messages;
        RaceRecord odds;
        QuinellaRecord pairs;
        ASSERT_TRUE(ReadWinPlaceOdds(path.string(), odds, messages)) << file.name;
        ASSERT_TRUE(
            ReadQuinellaOdds((path.parent_path() / ("Uo-" + name.substr(3))).string(), pairs, messages))
            << file.name;
        EXPECT_TRUE(messages.messages.empty()) << file.name;
        const RunnerOdds& backed = odds.Runners[kBacked];
        EXPECT_LE(NumericValue(backed.PlaceOddsMin), NumericValue(backed.PlaceOddsMax)) << file.name;
    }
    EXPECT_EQ(oddsFiles, 15);
    EXPECT_EQ(entryFiles, 1);
    EXPECT_EQ(resultFiles, 1);
}

// Bought harder than the win odds imply, in every version: the pair's quinella
// odds and the runner's place odds are the derived ones divided by the factor,
// and nothing else changes.
TEST(RaceVersions, OversoldPairAndPlaceBackedRunnerKeepTheirFactorInEveryVersion) {
    VersionPlan plan = Morning();
    std::vector<RaceVersion> plain = RaceVersions(plan);
    plan.oversoldPairs[{2, 6}] = 2.0;
    plan.placeBacked[9] = 3.0;
    std::vector<RaceVersion> bought = RaceVersions(plan);
    ASSERT_EQ(bought.size(), plain.size());
    for (std::size_t k = 0; k < bought.size(); ++k) {
        SCOPED_TRACE(k);
        const Race& race = bought[k].race;
        const double derivedPair = NumericValue(DerivedPairCell(plain[k].race, 2, 6).quinella);
        ASSERT_EQ(race.pairs.size(), 1u) << "other pairs stay derived";
        EXPECT_NEAR(NumericValue(race.pairs.at({2, 6}).quinella), derivedPair / 2.0, 0.1);
        const double derivedLow = NumericValue(DerivedPlaceOdds(plain[k].race, 9).first);
        EXPECT_NEAR(NumericValue(race.runners[8].placeOddsMin), std::max(1.0, derivedLow / 3.0), 0.1);
        EXPECT_TRUE(race.runners[7].placeOddsMin.empty()) << "other runners' place odds stay derived";
        EXPECT_EQ(WinPlaceOddsBytes(race).size(), WinPlaceOddsBytes(plain[k].race).size());
    }
}

TEST(RaceVersions, TwoRacesWritingOneFileAtOneTimeFail) {
    EXPECT_THROW(RaceDayFiles({Morning(1), Morning(2)}), FixtureError);
}

const char* kDescription = "course: 中山\n"
                           "race: 11\n"
                           "versions: 20 09:00 15:42:30\n"
                           "backed: 3\n"
                           "drifting: 1 1.5\n"
                           "result-at: 15:55\n"
                           "runner: 2.5\nrunner: 6.0\nrunner: 9.0\nrunner: 12.0\n"
                           "runner: 20.0\nrunner: 30.0\nrunner: 40.0\nrunner: 60.0\n";

TEST(RaceVersionPlan, ReadsTheVersionKeysAndLeavesTheRestToTheRace) {
    VersionPlan plan = ParseVersionPlan(kDescription);
    EXPECT_EQ(plan.race.courseName, "中山");
    EXPECT_EQ(plan.race.runners.size(), 8u);
    EXPECT_EQ(plan.count, 20);
    EXPECT_EQ(plan.lastSecond, 15 * 3600 + 42 * 60 + 30);
    ASSERT_EQ(plan.moves.size(), 2u);
    EXPECT_DOUBLE_EQ(plan.moves[0].factor, 2.0) << "backed doubles by default";
    EXPECT_DOUBLE_EQ(plan.moves[1].factor, 1.0 / 1.5) << "drifting divides";
    EXPECT_EQ(plan.resultSecond, 15 * 3600 + 55 * 60);
    VersionPlan open =
        ParseVersionPlan("versions: 10 09:00 10:00\nfiles: Zo Uo De\nrunner: 2.0\nrunner: 3.0\n");
    EXPECT_EQ(open.resultSecond, -1) << "a race still to run has no result";
}

TEST(RaceVersionPlan, FaultyDescriptionsAreRefusedWithTheirLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const std::string runners = "runner: 2.0\nrunner: ﾄﾘｹｼ\nrunner: 5.0\n";
    const Case cases[] = {
        {"", "versions: count first-time last-time"},
        {"versions: 1 09:00 10:00\n", "at least two versions"},
        {"versions: 10 10:00 09:00\n", "at least a second each"},
        {"versions: 10 9:00 10:00\n", "line 1: a time is written HH:MM"},
        {"versions: 10 09:00 24:00\n", "line 1: a time is written HH:MM"},
        {"versions: 10 -1:00 10:00\n", "line 1: a time is written HH:MM"},
        {"versions: 10 09:00 10:00\nbacked: 2\n", "runner 2 does not run"},
        {"versions: 10 09:00 10:00\n\nbacked: 4\n", "no runner 4"},
        {"versions: 10 09:00 10:00\nbacked: 1 0\n", "line 2: a factor must be above 0"},
        {"versions: 10 09:00 10:00\nnoise: 0.9\n", "noise lies between 0 and 0.5"},
        {"versions: 10 09:00 10:00\nresult-at: 09:30\n", "after the last version"},
        {"versions: 10 09:00 10:00\nfiles: Zo Uo\nresult-at: 10:30\n",
         "result-at is for a race with a result"},
        {"versions: 10 09:00 10:00\nseed: -1\n", "line 2: seed must be a whole number"},
        {"versions: 10 09:00 10:00\noversold: 1-2 2\n", "oversold: no running runner 2"},
        {"versions: 10 09:00 10:00\noversold: 1-1 2\n", "line 2: an oversold pair needs two runners"},
        {"versions: 10 09:00 10:00\noversold: 1 3 2\n", "line 2: an oversold line reads"},
        {"versions: 10 09:00 10:00\noversold: 1-3 0\n", "line 2: a factor must be above 0"},
        {"versions: 10 09:00 10:00\nplace-backed: 4 2\n", "place-backed: no running runner 4"},
        {"versions: 10 09:00 10:00\nplace-backed: 3\n", "line 2: a place-backed line reads"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParseVersionPlan(std::string(c.text) + runners);
            ADD_FAILURE() << "accepted";
        } catch (const FixtureError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

} // namespace
} // namespace velmora::patfixture
