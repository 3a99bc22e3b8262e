#include "cli/commands.h"
#include "common/json.h"
#include "pat_fixture.h"
#include "settings/settings_ops.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velmora::cli {
namespace {

class NoClock : public test::ManualClock {
public:
    NoClock() { ticks = 7; }
};

// Eight runners whose place popularity follows the win popularity, except
// runner 8: last in win, first in place. Every quinella pair pays 50 but 7-8,
// which pays 5.
patfixture::Race MarkedRace() {
    patfixture::Race race;
    const std::vector<std::array<std::string, 3>> odds = {
        {"2.0", "1.1", "1.2"},  {"4.0", "1.3", "1.5"},  {"6.0", "1.6", "2.0"},  {"8.0", "2.1", "2.5"},
        {"10.0", "2.6", "3.0"}, {"12.0", "3.1", "3.5"}, {"30.0", "3.6", "4.0"}, {"50.0", "1.0", "1.0"}};
    for (const auto& [win, low, high] : odds) {
        race.runners.push_back({win, low, high, "", ""});
    }
    for (int i = 1; i <= 8; ++i) {
        for (int j = i + 1; j <= 8; ++j) {
            race.pairs[{i, j}] = {j == 8 && i == 7 ? "5.0" : "50.0", "2.0", "3.0"};
        }
    }
    return race;
}

class AnomaliesJsonTest : public ::testing::Test {
protected:
    MemorySettingsStore settings;
    RemarkList remarks = {"ひとこと"};
    StandardRandomSource random;
    NoClock clock;
    test::TempDir dir;

    std::string Write(const patfixture::Race& race) {
        return patfixture::WriteRaceFiles(race, dir.path()).front().string();
    }

    Json Run(const std::vector<std::string>& args) {
        std::istringstream in;
        std::ostringstream out, err;
        NullRecorder recorder;
        CliContext context{settings, remarks, random, clock, in, out, err, recorder};
        RunCli(args, context);
        Json json = Json::parse(out.str(), nullptr, false);
        EXPECT_FALSE(json.is_discarded()) << out.str() << err.str();
        return json;
    }

    static std::vector<std::string> Keys(const Json& json) {
        std::vector<std::string> keys;
        for (const auto& item : json.items()) {
            keys.push_back(item.key());
        }
        return keys;
    }
};

const std::vector<std::string> kSheetKeys = {"meeting",   "race",        "runner_count",    "odds_file",
                                             "rows",      "grades",      "recommendations", "quinella_odds",
                                             "wide_odds", "race_result", "status",          "messages"};

TEST_F(AnomaliesJsonTest, LoadAndResultAddTheMarksLastAndKeepEveryOtherKey) {
    const std::string path = Write(MarkedRace());
    for (const char* command : {"load", "result"}) {
        Json json = Run({command, "--json", path});
        std::vector<std::string> keys = kSheetKeys;
        keys.push_back("anomalies");
        EXPECT_EQ(Keys(json), keys) << command;
        const Json& anomalies = json.at("anomalies");
        EXPECT_EQ(anomalies.at("rank_gap"), 3);
        EXPECT_EQ(anomalies.at("quinella_ratio"), 1.5);
        EXPECT_EQ(anomalies.at("rank_gaps"), Json::parse(R"([{"no":8,"win_rank":8,"place_rank":1}])"));
        const Json& pairs = anomalies.at("oversold_pairs");
        ASSERT_FALSE(pairs.empty());
        const Json& last = pairs.back();
        EXPECT_EQ(last.at("pair"), " 7- 8");
        EXPECT_EQ(last.at("quinella_odds"), 5.0);
        // 7-8 takes 0.2 / (27 · 0.02 + 0.2) of the market.
        EXPECT_NEAR(last.at("market_share").get<double>(), 0.27027, 1e-5);
        EXPECT_GT(last.at("ratio").get<double>(), 10.0);
        for (const Json& pair : pairs) {
            EXPECT_NE(pair.at("pair"), " 1- 2");
            EXPECT_GE(pair.at("ratio").get<double>(), 1.5);
        }
    }

    // The thresholds come from the settings.
    SetRankGap(settings, 1);
    SetQuinellaRatio(settings, 10.0);
    Json json = Run({"load", "--json", path});
    EXPECT_EQ(json.at("anomalies").at("rank_gap"), 1);
    EXPECT_EQ(json.at("anomalies").at("rank_gaps").size(), 8U);
    // Against 50 for the rest, 6-8 and 5-8 are bought over 10 times their share too.
    EXPECT_EQ(json.at("anomalies").at("oversold_pairs").size(), 3U);
}

TEST_F(AnomaliesJsonTest, RacesWithoutFiguresOrQuinellaOddsGiveEmptyLists) {
    patfixture::Race noQuinella = MarkedRace();
    noQuinella.raceNo = 2;
    noQuinella.withQuinellaFile = false;
    Json json = Run({"load", "--json", Write(noQuinella)});
    EXPECT_EQ(json.at("anomalies").at("rank_gaps").size(), 1U);
    EXPECT_TRUE(json.at("anomalies").at("oversold_pairs").empty());

    patfixture::Race small = MarkedRace();
    small.raceNo = 3;
    small.runners.pop_back();
    for (int i = 1; i < 8; ++i) {
        small.pairs.erase({i, 8});
    }
    json = Run({"result", "--json", Write(small)});
    ASSERT_FALSE(json.at("messages").empty());
    EXPECT_TRUE(json.at("anomalies").at("rank_gaps").empty());
    EXPECT_TRUE(json.at("anomalies").at("oversold_pairs").empty());
}

TEST_F(AnomaliesJsonTest, TypedAndSampleRacesKeepTheirOutputAsItWas) {
    EXPECT_EQ(Keys(Run({"sample", "--json", "1"})), kSheetKeys);
    std::string rows;
    for (int i = 0; i < 8; ++i) {
        rows += "5.0\t2\t3\n";
    }
    test::TempDir input;
    input.Write("race.tsv", rows);
    EXPECT_EQ(Keys(Run({"calc", "--json", (input.path() / "race.tsv").string()})), kSheetKeys);
}

} // namespace
} // namespace velmora::cli
