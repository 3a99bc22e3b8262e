#include "cli/commands.h"
#include "common/json.h"
#include "settings/settings_ops.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include "pat_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace velmora::cli {
namespace {

const std::string kSamplePat = std::string(VELMORA_SOURCE_DIR) + "/samples/pat";

class FixedClock : public test::ManualClock {
public:
    FixedClock() { ticks = 42; }
};

std::string Rows(int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line + "\n";
    }
    return text;
}

class RunCliTest : public ::testing::Test {
protected:
    MemorySettingsStore settings;
    RemarkList remarks = {"ひとこと"};
    StandardRandomSource random;
    FixedClock clock;
    NullRecorder recorder;

    struct Outcome {
        int code;
        std::string out;
        std::string err;
        Json json; // discarded when the output is not JSON
    };

    Outcome Run(const std::vector<std::string>& args, const std::string& input = {}) {
        std::istringstream in(input);
        std::ostringstream out, err;
        CliContext context{settings, remarks, random, clock, in, out, err, recorder};
        int code = RunCli(args, context);
        return {code, out.str(), err.str(), Json::parse(out.str(), nullptr, false)};
    }
};

TEST_F(RunCliTest, BacktestOfAFolderThatCannotBeReadIsAnErrorNotAnEmptyRun) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const fs::path unlistable = dir.path() / "unlistable";
    const fs::path locked = dir.path() / "locked";
    fs::permissions(dir.path(), fs::perms(0755)); // the unprivileged user may pass through
    fs::create_directories(unlistable);
    fs::create_directories(locked / "pat");
    for (const fs::path& folder : {unlistable, locked / "pat"}) {
        std::ofstream(folder / "Zo-06050201.jra") << "x";
    }
    fs::permissions(unlistable, fs::perms(0311));
    fs::permissions(locked, fs::perms::none);
    // The child reports through its exit code: 1 for the expected error
    // message with status 1, for each folder in turn.
    int found = test::RunUnprivileged([&] {
        int bits = 0;
        for (const fs::path& folder : {unlistable, locked / "pat"}) {
            for (const char* format : {"--json", "--csv", "--text"}) {
                std::vector<std::string> args = {"backtest", folder.string()};
                if (std::string(format) != "--text") {
                    args.insert(args.begin() + 1, format);
                }
                Outcome outcome = Run(args);
                bits = bits * 2 + (outcome.code == 1 &&
                                   outcome.err.find("cannot read the folder") != std::string::npos &&
                                   outcome.out.find("Races used") == std::string::npos);
            }
        }
        return bits;
    });
    fs::permissions(unlistable, fs::perms(0755));
    fs::permissions(locked, fs::perms(0755));
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a folder unreadable";
    }
    EXPECT_EQ(found, 0b111111);
    // A folder that is really missing is still told apart.
    Outcome missing = Run({"backtest", (dir.path() / "none").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no such folder"), std::string::npos);
}

// The settings' thresholds decide which recommended pairs carry a mark: pair
// 1-2 bought at 1.1 is about 2.8 times its share by the win odds.
TEST_F(RunCliTest, BacktestMarksPairsAtTheThresholdsOfTheSettings) {
    test::TempDir dir;
    patfixture::Race race;
    race.runners =
        patfixture::RunnersWithOdds({"2.0", "4.0", "6.0", "8.0", "10", "12", "14", "16", "18", "20"});
    race.pairs[{1, 2}] = {"1.1", "1.0", "1.1"};
    race.result = patfixture::Result{};
    race.result->order = {1, 2, 3};
    patfixture::WriteRaceFiles(race, dir.path());
    auto marked = [this, &dir] {
        Outcome outcome = Run({"backtest", "--json", dir.path().string()});
        EXPECT_EQ(outcome.code, 0) << outcome.err;
        return outcome.json["figures"]["by_pair_anomaly_mark"]["あり"]["races"];
    };
    EXPECT_EQ(marked(), 1);
    SetQuinellaRatio(settings, 3.0);
    EXPECT_EQ(marked(), 0);
    SetQuinellaRatio(settings, 2.5);
    EXPECT_EQ(marked(), 1);
    SetRankGap(settings, 1); // win and place ranks of the fixture agree
    SetQuinellaRatio(settings, 3.0);
    EXPECT_EQ(marked(), 0);
}

TEST_F(RunCliTest, UsageErrorsPrintNothingOnTheOutput) {
    test::TempDir dir;
    std::string sevenRows = dir.Write("seven.tsv", Rows(7, "2.0\t1.1\t1.5"));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"bet"}, ""},
        {{"calc", (dir.path() / "missing.tsv").string()}, ""},
        {{"calc", sevenRows}, ""},
        {{"calc", "--json", "-"}, Rows(19, "2.0")},
        {{"calc", "-"}, Rows(10, "2.0\t1\t2\tname\tmore")},
        {{"calc", "-"}, ""},
        {{"calc", "--runners", "20", "-"}, Rows(10, "2.0")},
        {{"sample", "--json", "9"}, ""},
        {{"load", "--json"}, ""},
        {{"list", "a", "b", "--json"}, ""},
    };
    for (const auto& [args, input] : cases) {
        Outcome outcome = Run(args, input);
        EXPECT_EQ(outcome.code, kExitUsage) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("usage: velmora-cli"), std::string::npos);
    }
}

TEST_F(RunCliTest, HelpGoesToTheOutput) {
    Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.code, kExitDone);
    EXPECT_EQ(outcome.out.rfind("usage: velmora-cli", 0), 0U);
    EXPECT_EQ(outcome.err, "");
}

TEST_F(RunCliTest, CalcComputesTheTypedRows) {
    std::string input = "2.0\t1.1\t1.4\tアルファ\r\n"
                        "3.6\t1.2\t1.6\n"
                        "12.8\t2.7\t4.4\n" +
                        Rows(6, "15.5\t3.0\t5.0");
    Outcome outcome = Run({"calc", "--json", "-"}, input);
    ASSERT_EQ(outcome.code, kExitDone) << outcome.err;
    ASSERT_FALSE(outcome.json.is_discarded()) << outcome.out;
    const Json& json = outcome.json;
    EXPECT_EQ(json.at("runner_count"), 9);
    EXPECT_EQ(json.at("odds_file"), "");
    const Json& first = json.at("rows").at(0);
    EXPECT_EQ(first.at("name"), "アルファ");
    EXPECT_EQ(first.at("win_rate"), "0.400");
    EXPECT_EQ(first.at("place_avg"), "1.25");
    EXPECT_EQ(first.at("place_rate"), "0.213");
    EXPECT_EQ(json.at("rows").at(2).at("win_rate"), "0.063");
    EXPECT_EQ(json.at("rows").at(9).at("enabled"), false);
    EXPECT_FALSE(json.at("recommendations").empty());
    EXPECT_TRUE(json.at("quinella_odds").empty());
    EXPECT_EQ(json.at("status"), "ひとこと");
    EXPECT_TRUE(json.at("messages").empty());
}

TEST_F(RunCliTest, CalcWithTooFewActiveRunnersShowsTheMessage) {
    std::string input = Rows(7, "5.0\t2\t3") + Rows(3, "ﾄﾘｹｼ");
    Outcome outcome = Run({"calc", "--json", "-"}, input);
    EXPECT_EQ(outcome.code, kExitMessage);
    ASSERT_FALSE(outcome.json.is_discarded());
    const Json& messages = outcome.json.at("messages");
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages.at(0).at("text"), "８頭立て未満はサポートしていましぇん。m(__)m");
    EXPECT_EQ(messages.at(0).at("caption"), "Velmora");
    EXPECT_EQ(messages.at(0).at("icon"), "none");
    EXPECT_EQ(outcome.json.at("rows").at(0).at("win_rank"), "");

    // A count above the lines typed leaves the missing rows blank, and their odds are refused.
    Outcome padded = Run({"calc", "--json", "--runners", "10", "-"}, Rows(8, "5.0\t2\t3"));
    EXPECT_EQ(padded.code, kExitMessage);
    ASSERT_FALSE(padded.json.is_discarded());
    EXPECT_EQ(padded.json.at("messages").at(0).at("text"),
              "9番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、10番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMaxが正しくありません。"
              "取消の馬は ﾄﾘｹｼ と入力してください。");
    EXPECT_EQ(padded.json.at("rows").at(0).at("win_rate"), "");
}

TEST_F(RunCliTest, CalcReadsFullWidthOddsAsTypedAndRefusesMistypedOnes) {
    Outcome ascii = Run({"calc", "-"}, Rows(7, "5.0\t2\t3") + "5.5\t1.5\t2.0\n");
    Outcome wide = Run({"calc", "-"}, Rows(7, "５．０\t２\t3") + "５．５\t１．５\t２．０　\n");
    EXPECT_EQ(wide.code, kExitDone);
    EXPECT_EQ(wide.out, ascii.out);

    Outcome mistyped = Run({"calc", "-"}, Rows(2, "5.0\t2\t3") + "abc\t2\t3\n" + Rows(5, "5.0\t2\t3"));
    EXPECT_EQ(mistyped.code, kExitMessage);
    EXPECT_NE(mistyped.out.find("3番の単ｵｯｽﾞが正しくありません。取消の馬は ﾄﾘｹｼ と入力してください。"),
              std::string::npos);
}

TEST_F(RunCliTest, SampleUsesTheStoredColours) {
    SetPopularColor(settings, 1, 255);
    Outcome outcome = Run({"sample", "--json", "1"});
    ASSERT_EQ(outcome.code, kExitDone);
    ASSERT_FALSE(outcome.json.is_discarded());
    const Json& row8 = outcome.json.at("rows").at(7); // odds 1.3: the favourite
    EXPECT_EQ(row8.at("win_odds"), "1.3");
    EXPECT_EQ(row8.at("win_rank"), "1");
    EXPECT_EQ(row8.at("win_rank_color"), 255);
    EXPECT_EQ(outcome.json.at("rows").at(0).at("win_rank_color"), kWhite);
    EXPECT_EQ(outcome.json.at("runner_count"), 10);
}

TEST_F(RunCliTest, ListDefaultsToThePatFolderOfTheSettings) {
    SetPatFolder(settings, kSamplePat);
    Outcome outcome = Run({"list", "--json"});
    ASSERT_EQ(outcome.code, kExitDone);
    ASSERT_FALSE(outcome.json.is_discarded());
    EXPECT_EQ(outcome.json.at("folder"), kSamplePat + "/");
    const Json& rows = outcome.json.at("rows");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.at(0).at("no"), "1");
    EXPECT_EQ(rows.at(0).at("race"), "10R");
}

TEST_F(RunCliTest, ListSkipsAFileOfTheWrongFormatAndSaysSo) {
    test::TempDir dir;
    std::string good = test::ReadFileBytes(kSamplePat + "/Zo-06050201.jra");
    ASSERT_GT(good.size(), 142U);
    std::string bad = good;
    bad[43] = '9';
    dir.Write("Zo-1.jra", good);
    dir.Write("Zo-2.jra", bad);
    dir.Write("Zo-3.jra", good);
    Outcome outcome = Run({"list", "--json", dir.path().string()});
    EXPECT_EQ(outcome.code, kExitMessage);
    ASSERT_FALSE(outcome.json.is_discarded());
    EXPECT_EQ(outcome.json.at("rows").size(), 2U);
    EXPECT_TRUE(outcome.json.at("messages").empty());
    EXPECT_EQ(outcome.json.at("skipped"),
              Json::parse(R"([{"file":"Zo-2.jra","reason":"wrong_format_odds_file"}])"));
    EXPECT_EQ(outcome.err, "velmora-cli list: skipped Zo-2.jra: odds file of the wrong format\n");

    Outcome table = Run({"list", dir.path().string()});
    EXPECT_EQ(table.code, kExitMessage);
    EXPECT_NE(table.out.find("Zo-3.jra"), std::string::npos);
    EXPECT_EQ(table.err, outcome.err);
}

// Fifteen races with an empty file among the first and one that may not be
// read further on: every readable race is listed, and each skipped file named.
TEST_F(RunCliTest, ListSkipsEmptyAndUnreadableFilesAndListsEveryOtherRace) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755)); // the unprivileged user may list it
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(kSamplePat)) {
        if (entry.path().filename().string().rfind("Zo-", 0) == 0) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 15U);
    names.resize(15);
    for (const std::string& name : names) {
        dir.Write(name, name == names[4] ? std::string() : test::ReadFileBytes(kSamplePat + "/" + name));
        fs::permissions(dir.path() / name, fs::perms(0644));
    }
    fs::permissions(dir.path() / names[9], fs::perms::none);

    Outcome asRoot = Run({"list", "--json", dir.path().string()});
    EXPECT_EQ(asRoot.code, kExitMessage);
    EXPECT_EQ(asRoot.json.at("rows").size(), 14U);
    EXPECT_EQ(asRoot.json.at("skipped"),
              Json::parse(R"([{"file":")" + names[4] + R"(","reason":"unreadable_odds_file"}])"));
    EXPECT_EQ(asRoot.err, "velmora-cli list: skipped " + names[4] + ": odds file unreadable\n");

    const std::string folder = dir.path().string();
    int found = test::RunUnprivileged([&] {
        Outcome json = Run({"list", "--json", folder});
        Outcome table = Run({"list", folder});
        const std::string skippedLines = "velmora-cli list: skipped " + names[4] +
                                         ": odds file unreadable\n" + "velmora-cli list: skipped " +
                                         names[9] + ": odds file unreadable\n";
        // Counted without throwing: the child reports through its exit code only.
        auto count = [&json](const char* key) {
            return json.json.is_object() && json.json.contains(key) ? json.json[key].size() : 0U;
        };
        return (json.code == kExitMessage ? 1 : 0) + (count("rows") == 13U ? 2 : 0) +
               (count("skipped") == 2U ? 4 : 0) + (table.err == skippedLines ? 8 : 0) +
               (table.out.find(names[14]) != std::string::npos ? 16 : 0);
    });
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a file unreadable";
    }
    EXPECT_EQ(found, 31);
}

TEST_F(RunCliTest, ListOfAFolderThatIsAFileOrMissingSaysSo) {
    test::TempDir dir;
    const std::string file = dir.Write("Zo-1.jra", test::ReadFileBytes(kSamplePat + "/Zo-06050201.jra"));
    const std::pair<std::string, std::string> cases[] = {
        {file, "PATフォルダの指定先はフォルダではありません。"},
        {(dir.path() / "none").string(), "PATフォルダが見つかりません。"},
    };
    for (const auto& [folder, text] : cases) {
        Outcome outcome = Run({"list", "--json", folder});
        EXPECT_EQ(outcome.code, kExitMessage) << folder;
        ASSERT_FALSE(outcome.json.is_discarded());
        EXPECT_TRUE(outcome.json.at("rows").empty());
        ASSERT_EQ(outcome.json.at("messages").size(), 1U);
        EXPECT_EQ(outcome.json.at("messages").at(0).at("text"), text);
        Outcome table = Run({"list", folder});
        EXPECT_EQ(table.code, kExitMessage);
        EXPECT_NE(table.out.find("[えらー] " + text), std::string::npos) << table.out;
    }
}

} // namespace
} // namespace velmora::cli
