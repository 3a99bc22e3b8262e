// velmora-cli history over a history built on a temporary path: the versions
// of a race and how its support moved, in the three output forms.
#include "cli/history_command.h"

#include "common/json.h"
#include "history/history_fixtures.h"
#include "history/history_store.h"
#include "pat_fixture.h"
#include "process.h"
#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmora {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Eight runners; each version gives the win odds of runners 1 to 4 and the
// place range of runner 1, the others stay at 20.0 and a place range of 3.0.
patfixture::Race RaceWithOdds(const std::vector<std::string>& firstFour, const std::string& placeOfOne) {
    patfixture::Race race;
    race.raceNo = 11;
    std::vector<std::string> odds = firstFour;
    odds.resize(8, "20.0");
    race.runners = patfixture::RunnersWithOdds(odds);
    for (auto& runner : race.runners) {
        runner.placeOddsMin = "3.0";
        runner.placeOddsMax = "3.0";
    }
    race.runners[0].placeOddsMin = placeOfOne;
    race.runners[0].placeOddsMax = placeOfOne;
    return race;
}

class HistoryCommandTest : public ::testing::Test {
protected:
    std::string HistoryPath() const { return historyFile.string(); }
    std::string OddsPath() const {
        return (pat.path() / patfixture::OddsFileName(RaceWithOdds({}, "1.0"))).string();
    }

    void Record(const patfixture::Race& race, int minute, bool quinella = false) const {
        HistoryStore store(HistoryPath());
        SeenFile file;
        const std::string name =
            quinella ? patfixture::QuinellaFileName(race) : patfixture::OddsFileName(race);
        file.path = (pat.path() / name).string();
        file.bytes = quinella ? patfixture::QuinellaOddsBytes(race) : patfixture::WinPlaceOddsBytes(race);
        file.modifiedMs = test::MinutesIntoRaceDay(minute);
        file.seenMs = file.modifiedMs + 500;
        ASSERT_EQ(store.Record(file), RecordOutcome::Added);
    }

    // Runner 2 backed from 4.0 to 3.0 (support x 1.33, risen), runner 3 out
    // from 10.0 to 13.0 (x 1/1.3 exactly, fallen), runner 4 from 20.0 to 25.0
    // (x 0.8, within the factor); runner 1's place odds from 1.2 to 1.6 (x 0.75).
    // The middle version moves runner 2 the other way: only first and last count.
    void RecordSeveralVersions() const {
        Record(RaceWithOdds({"2.0", "4.0", "10.0", "20.0"}, "1.2"), 0);
        Record(RaceWithOdds({"2.0", "4.0", "10.0", "20.0"}, "1.2"), 1, true);
        Record(RaceWithOdds({"2.0", "6.0", "12.0", "22.0"}, "1.4"), 5);
        Record(RaceWithOdds({"2.0", "3.0", "13.0", "25.0"}, "1.6"), 9);
    }

    Outcome Run(std::vector<std::string> args) const {
        std::ostringstream out;
        std::ostringstream err;
        const int code = cli::RunHistoryCommand(args, out, err, settings, HistoryPath());
        return {code, out.str(), err.str()};
    }

    test::ProcessResult RunProgram(const std::vector<std::string>& args) const {
        std::vector<std::string> all{"history"};
        all.insert(all.end(), args.begin(), args.end());
        const std::string home = data.path().string();
        return test::RunProcess(
            VELMORA_CLI_EXECUTABLE, all,
            {"XDG_CONFIG_HOME=" + home, "XDG_DATA_HOME=" + home, "HOME=" + home, "TZ=UTC"});
    }

    test::TempDir pat;
    test::TempDir data;
    fs::path historyFile = data.path() / "history.sqlite";
    MemorySettingsStore settings;
};

const Json& Runner(const Json& root, int no) {
    return root.at("runners").at(static_cast<std::size_t>(no - 1));
}

TEST_F(HistoryCommandTest, JsonListsVersionsAndMarksMovementFromFirstToLast) {
    RecordSeveralVersions();
    const Outcome outcome = Run({"--json", OddsPath()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const Json root = Json::parse(outcome.out);

    ASSERT_EQ(root.at("versions").size(), 4u);
    EXPECT_EQ(root.at("versions")[1].at("file"), "Uo-" + fs::path(OddsPath()).filename().string().substr(3));
    EXPECT_EQ(root.at("versions")[1].at("kind"), "quinella");
    EXPECT_EQ(root.at("versions")[3].at("modified_ms"), test::MinutesIntoRaceDay(9));
    EXPECT_EQ(root.at("versions")[3].at("seen_ms"), test::MinutesIntoRaceDay(9) + 500);
    EXPECT_EQ(root.at("first_version"), 1);
    EXPECT_EQ(root.at("last_version"), 4);
    EXPECT_DOUBLE_EQ(root.at("move_factor").get<double>(), kDefaultMoveFactor);
    ASSERT_EQ(root.at("runners").size(), 8u);

    EXPECT_EQ(Runner(root, 1).at("win").at("mark"), "");
    EXPECT_DOUBLE_EQ(Runner(root, 1).at("win").at("change").get<double>(), 1.0);
    EXPECT_EQ(Runner(root, 1).at("place").at("mark"), "↓");
    EXPECT_DOUBLE_EQ(Runner(root, 1).at("place").at("change").get<double>(), 0.75);
    EXPECT_EQ(Runner(root, 2).at("win").at("mark"), "↑");
    EXPECT_DOUBLE_EQ(Runner(root, 2).at("win").at("odds_first").get<double>(), 4.0);
    EXPECT_DOUBLE_EQ(Runner(root, 2).at("win").at("odds_now").get<double>(), 3.0);
    EXPECT_DOUBLE_EQ(Runner(root, 2).at("win").at("support_first").get<double>(), 0.2);
    EXPECT_DOUBLE_EQ(Runner(root, 2).at("win").at("change").get<double>(), 1.3333);
    EXPECT_EQ(Runner(root, 3).at("win").at("mark"), "↓");
    EXPECT_EQ(Runner(root, 4).at("win").at("mark"), "");
}

TEST_F(HistoryCommandTest, MarksFollowTheFactorOfTheOptions) {
    RecordSeveralVersions();
    SetMoveFactor(settings, 1.4);
    const Json root = Json::parse(Run({"--json", OddsPath()}).out);
    EXPECT_EQ(Runner(root, 2).at("win").at("mark"), "");
    EXPECT_EQ(Runner(root, 3).at("win").at("mark"), "");
}

TEST_F(HistoryCommandTest, SingleVersionShowsNoChangeAndNoMarks) {
    Record(RaceWithOdds({"2.0", "4.0", "10.0", "20.0"}, "1.2"), 0);
    const Outcome outcome = Run({"--json", OddsPath()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const Json root = Json::parse(outcome.out);
    EXPECT_EQ(root.at("first_version"), 1);
    EXPECT_EQ(root.at("last_version"), 1);
    for (const Json& runner : root.at("runners")) {
        EXPECT_DOUBLE_EQ(runner.at("win").at("change").get<double>(), 1.0);
        EXPECT_EQ(runner.at("win").at("mark"), "");
        EXPECT_EQ(runner.at("place").at("mark"), "");
    }
}

TEST_F(HistoryCommandTest, CsvIsTheMovementTableWithMarksInTheirColumns) {
    RecordSeveralVersions();
    const Outcome outcome = Run({"--csv", OddsPath()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    std::istringstream lines(outcome.out);
    std::string header;
    std::getline(lines, header);
    EXPECT_EQ(header.rfind("no,win_odds_first,win_odds_now,", 0), 0u);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[1].rfind("2,4,3,0.2,0.26667,1.3333,↑,", 0), 0u) << rows[1];
    EXPECT_EQ(rows[1].back(), ','); // place support unchanged: no mark
    EXPECT_EQ(rows[2].substr(0, 7), "3,10,13");
    EXPECT_EQ(rows[2].find(",↓,"), rows[2].find(",0.7692,") + 7);
}

TEST_F(HistoryCommandTest, TextShowsVersionsAndTheMovementTable) {
    RecordSeveralVersions();
    const Outcome outcome = Run({OddsPath()});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("東京 1回1日 11R"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("versions held: 4"), std::string::npos);
    EXPECT_NE(outcome.out.find(patfixture::QuinellaFileName(RaceWithOdds({}, "1.0"))), std::string::npos);
    EXPECT_NE(outcome.out.find("from version 1 to version 4"), std::string::npos);
    EXPECT_NE(outcome.out.find("↑"), std::string::npos);
    EXPECT_NE(outcome.out.find("↓"), std::string::npos);
}

TEST_F(HistoryCommandTest, QuinellaFileFindsTheSameRace) {
    RecordSeveralVersions();
    const std::string quinella =
        (pat.path() / patfixture::QuinellaFileName(RaceWithOdds({}, "1.0"))).string();
    const Outcome outcome = Run({"--json", quinella});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(Json::parse(outcome.out).at("versions").size(), 4u);
}

TEST_F(HistoryCommandTest, NothingToShowIsAMessageAndCreatesNoHistory) {
    const Outcome missing = Run({OddsPath()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no history is held for this race"), std::string::npos) << missing.err;
    EXPECT_TRUE(missing.out.empty());
    EXPECT_FALSE(fs::exists(HistoryPath()));

    RecordSeveralVersions();
    const Outcome otherRace = Run({(data.path() / "Zo-06050112.jra").string()});
    EXPECT_EQ(otherRace.exitCode, 1);
    EXPECT_NE(otherRace.err.find("no history is held for this race"), std::string::npos) << otherRace.err;

    const Outcome notOdds = Run({(pat.path() / "notes.txt").string()});
    EXPECT_EQ(notOdds.exitCode, 1);
    EXPECT_NE(notOdds.err.find("not an odds file"), std::string::npos) << notOdds.err;
}

TEST_F(HistoryCommandTest, UsageErrors) {
    EXPECT_EQ(Run({}).exitCode, 2);
    EXPECT_EQ(Run({"--json", "--csv", OddsPath()}).exitCode, 2);
    EXPECT_EQ(Run({"--tsv", OddsPath()}).exitCode, 2);
    EXPECT_EQ(Run({OddsPath(), OddsPath()}).exitCode, 2);
}

TEST_F(HistoryCommandTest, ProgramReadsTheHistoryOfItsDataFolder) {
    const test::ProcessResult none = RunProgram({OddsPath()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("no history is held"), std::string::npos) << none.err;
    EXPECT_FALSE(fs::exists(data.path() / "Velmora"));

    historyFile = data.path() / "Velmora" / "history.sqlite";
    fs::create_directories(historyFile.parent_path());
    RecordSeveralVersions();
    const test::ProcessResult shown = RunProgram({"--csv", OddsPath()});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("\n2,4,3,0.2,0.26667,1.3333,↑,"), std::string::npos) << shown.out;
}

// Looking never writes: a history in a folder the user can't write, or one no
// program has open, is shown and left exactly as it was.
TEST_F(HistoryCommandTest, ShowsAHistoryItCannotWriteAndLeavesItAsItWas) {
    RecordSeveralVersions();
    const std::string before = test::ReadFileBytes(historyFile);
    const Outcome shown = Run({"--csv", OddsPath()});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(test::ReadFileBytes(historyFile), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(data.path()), fs::directory_iterator()), 1);

    fs::permissions(historyFile, fs::perms(0444));
    fs::permissions(data.path(), fs::perms(0555));
    const int code = test::RunUnprivileged([&] { return Run({"--csv", OddsPath()}).exitCode; });
    fs::permissions(data.path(), fs::perms(0755));
    if (code < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user";
    }
    EXPECT_EQ(code, 0);
}

// Whatever a folder's name holds, the history's messages reach the terminal
// as visible text, each line on a line of its own.
TEST_F(HistoryCommandTest, HistoryMessagesReachTheTerminalEscapedWithTheirLineBreaks) {
    const fs::path strange = data.path() / "red\x1b[31m";
    fs::create_directories(strange / "Velmora");
    std::ofstream(strange / "Velmora" / "history.sqlite") << std::string(4096, 'x');
    const std::string home = strange.string();
    const test::ProcessResult shown = test::RunProcess(
        VELMORA_CLI_EXECUTABLE, {"history", OddsPath()},
        {"XDG_CONFIG_HOME=" + data.path().string(), "XDG_DATA_HOME=" + home, "HOME=" + home});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_EQ(shown.err.find('\x1b'), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("red?[31m"), std::string::npos) << shown.err;
    EXPECT_GE(std::count(shown.err.begin(), shown.err.end(), '\n'), 3) << "one line per line: " << shown.err;
}

} // namespace
} // namespace velmora
