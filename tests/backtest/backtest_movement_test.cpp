// The back-test's split by the win-1 runner's support movement, read from an
// odds history, and by anomaly marks on the recommended pairs.
#include "backtest/backtest.h"
#include "backtest/backtest_fixtures.h"
#include "backtest/backtest_formats.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"
#include "common/json.h"
#include "history/history_store.h"
#include "history/sqlite.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// When the PAT software last wrote every odds file of the folder.
constexpr std::int64_t kFileTimeMs = 1796562000000; // 2026-12-06 13:00 UTC
constexpr std::int64_t kMinuteMs = 60000;
constexpr std::int64_t kYearMs = 365LL * 24 * 60 * kMinuteMs;

void SetModifiedMs(const fs::path& file, std::int64_t ms) {
    auto time = std::chrono::system_clock::time_point(std::chrono::milliseconds(ms));
    fs::last_write_time(file, std::chrono::file_clock::from_sys(time));
}

// Ten runners at 2.0, 4.0, ... 20.0, finishing 1-2-3, with payoffs of their
// own so that each group's return can be counted by hand.
patfixture::Race PaidRace(int raceNo, const std::string& quinella, const std::string& wide12) {
    patfixture::Race race = test::PlainRace(raceNo, 10);
    race.result->quinella = std::vector<patfixture::Payoff>{{" 1- 2", quinella}};
    race.result->wide =
        std::vector<patfixture::Payoff>{{" 1- 2", wide12}, {" 1- 3", "300"}, {" 2- 3", "400"}};
    return race;
}

class BacktestMovementTest : public ::testing::Test {
protected:
    test::TempDir pat;
    test::TempDir data;
    std::string historyPath = (data.path() / "history.sqlite").string();

    // Writes the race into the PAT folder as last seen, and the given earlier
    // versions of its odds file into the history, `minutesBefore` each.
    void AddRace(const patfixture::Race& race,
                 const std::vector<std::pair<patfixture::Race, std::int64_t>>& history, HistoryStore* store) {
        std::vector<fs::path> written = patfixture::WriteRaceFiles(race, pat.path());
        SetModifiedMs(written.front(), kFileTimeMs);
        for (const auto& [version, msBeforeFile] : history) {
            store->Record({written.front().string(), patfixture::WinPlaceOddsBytes(version),
                           kFileTimeMs - msBeforeFile, 0});
        }
    }

    // Six races: the win-1 runner backed more (rising support), drifting
    // (falling), the same in its only recorded version, recorded a year ago,
    // never recorded, and one whose pair 1-2 is oversold.
    void WriteFolderWithHistory() {
        HistoryStore store(historyPath);
        patfixture::Race rising = PaidRace(1, "500", "200");
        patfixture::Race risingEarly = rising;
        risingEarly.runners[0].winOdds = "3.0";
        AddRace(rising, {{risingEarly, 30 * kMinuteMs}, {rising, 0}}, &store);

        patfixture::Race falling = PaidRace(2, "600", "210");
        patfixture::Race fallingEarly = falling;
        fallingEarly.runners[0].winOdds = "1.5";
        // Only the first and last versions count, not the one between.
        patfixture::Race fallingBetween = falling;
        fallingBetween.runners[0].winOdds = "1.2";
        AddRace(falling, {{fallingEarly, 40 * kMinuteMs}, {fallingBetween, 20 * kMinuteMs}, {falling, 0}},
                &store);

        patfixture::Race unchanged = PaidRace(3, "700", "220");
        AddRace(unchanged, {{unchanged, 0}}, &store);

        patfixture::Race lastYear = PaidRace(4, "800", "230");
        patfixture::Race lastYearEarly = lastYear;
        lastYearEarly.runners[0].winOdds = "3.0";
        AddRace(lastYear, {{lastYearEarly, kYearMs + 30 * kMinuteMs}, {lastYear, kYearMs}}, &store);

        AddRace(PaidRace(5, "900", "240"), {}, &store);

        patfixture::Race oversold = PaidRace(6, "1000", "250");
        oversold.pairs[{1, 2}] = {"1.1", "1.0", "1.1"};
        AddRace(oversold, {}, &store);
        ASSERT_FALSE(store.TakeProblem());
    }

    BacktestRun Run(const BacktestOptions& options) {
        BacktestRun run;
        run.Start(pat.path().string());
        StopFlag never;
        run.Finish(RunBacktest(pat.path().string(), run, never, options));
        return run;
    }

    BacktestOptions WithHistory() const {
        BacktestOptions options;
        options.historyPath = historyPath;
        return options;
    }
};

const Tally& Movement(const Figures& figures, Win1Movement movement) {
    return figures.byWin1Movement[static_cast<std::size_t>(movement)];
}

std::string ReportOf(const BacktestRun& run) {
    std::ostringstream text;
    WriteTextReport(run.RunFigures(), "folder", text);
    return text.str();
}

TEST_F(BacktestMovementTest, SplitsRacesByHowTheWin1RunnersSupportMovedOverTheirOwnHistory) {
    WriteFolderWithHistory();
    const std::string before = test::ReadFileBytes(historyPath);
    BacktestRun run = Run(WithHistory());
    ASSERT_EQ(run.Races().size(), 6u);
    const Figures& figures = run.RunFigures();
    EXPECT_EQ(Movement(figures, Win1Movement::Rose).races, 1);
    EXPECT_EQ(Movement(figures, Win1Movement::Fell).races, 1);
    EXPECT_EQ(Movement(figures, Win1Movement::Unchanged).races, 1);
    // Last year's history of the same file, and no history at all.
    EXPECT_EQ(Movement(figures, Win1Movement::NoHistory).races, 3);
    EXPECT_EQ(run.Races()[3].win1Movement, Win1Movement::NoHistory);

    // Nine pairs a race, 1-2 paying as a quinella and 1-2, 1-3, 2-3 as wides.
    const Tally& rising = Movement(figures, Win1Movement::Rose);
    EXPECT_EQ(rising.quinella.stake, 900);
    EXPECT_EQ(rising.quinella.returned, 500);
    EXPECT_EQ(rising.wide.returned, 200 + 300 + 400);
    const Tally& none = Movement(figures, Win1Movement::NoHistory);
    EXPECT_EQ(none.quinella.returned, 800 + 900 + 1000);
    EXPECT_EQ(none.wide.returned, 230 + 240 + 250 + 3 * (300 + 400));
    EXPECT_EQ(none.TotalStake(), 5400);

    // Read, never written.
    EXPECT_EQ(test::ReadFileBytes(historyPath), before);
    EXPECT_TRUE(run.HistoryProblem().empty());
}

TEST_F(BacktestMovementTest, SplitsRacesByAnAnomalyMarkOnAnyRecommendedPair) {
    WriteFolderWithHistory();
    BacktestRun run = Run(WithHistory());
    const Figures& figures = run.RunFigures();
    const Tally& marked = figures.byPairMark[0];
    EXPECT_EQ(marked.races, 1);
    EXPECT_EQ(marked.quinella.returned, 1000);
    EXPECT_EQ(marked.wide.returned, 250 + 300 + 400);
    EXPECT_EQ(figures.byPairMark[1].races, 5);
    const BacktestRace& oversold = run.Races()[5];
    ASSERT_FALSE(oversold.pairs.empty());
    EXPECT_EQ(oversold.pairs[0].pair, " 1- 2");
    EXPECT_TRUE(oversold.pairs[0].anomalyMark);
    EXPECT_EQ(std::count_if(oversold.pairs.begin(), oversold.pairs.end(),
                            [](const BacktestPair& pair) { return pair.anomalyMark; }),
              1);

    // The user's threshold decides: at a ratio no pair reaches, nothing is marked.
    BacktestOptions strict = WithHistory();
    strict.anomalyThresholds.quinellaRatio = 1000.0;
    EXPECT_EQ(Run(strict).RunFigures().byPairMark[0].races, 0);
}

TEST_F(BacktestMovementTest, MarksThePairsOfARunnerWhoseWinAndPlaceRanksLieApart) {
    patfixture::Race race = PaidRace(7, "500", "200");
    // Second in win popularity, last but one in place popularity.
    race.runners[1].placeOddsMin = "9.0";
    race.runners[1].placeOddsMax = "9.9";
    patfixture::WriteRaceFiles(race, pat.path());
    BacktestRun run = Run(BacktestOptions{});
    ASSERT_EQ(run.Races().size(), 1u);
    for (const BacktestPair& pair : run.Races()[0].pairs) {
        EXPECT_EQ(pair.anomalyMark, pair.first == 2 || pair.second == 2) << pair.pair;
    }
    BacktestOptions wide;
    wide.anomalyThresholds.rankGap = 17;
    EXPECT_FALSE(Run(wide).Races()[0].AnyPairMarked());
}

TEST_F(BacktestMovementTest, WithoutADatabaseEveryRaceIsWithoutHistoryAndNoneIsCreated) {
    WriteFolderWithHistory();
    fs::remove(historyPath);
    for (const char* suffix : {"-wal", "-shm"}) {
        fs::remove(historyPath + suffix);
    }
    BacktestRun withPath = Run(WithHistory());
    EXPECT_FALSE(fs::exists(historyPath));
    EXPECT_EQ(Movement(withPath.RunFigures(), Win1Movement::NoHistory).races, 6);
    EXPECT_TRUE(withPath.HistoryProblem().empty());
    // Every figure as a run that never looks for a history gives it.
    EXPECT_EQ(ReportOf(withPath), ReportOf(Run(BacktestOptions{})));
}

TEST_F(BacktestMovementTest, AHistoryThatCantBeReadIsSaidOnceAndTheRunGoesOnWithoutIt) {
    WriteFolderWithHistory();
    fs::remove(historyPath + "-wal");
    fs::remove(historyPath + "-shm");
    const std::string notADatabase(4096, 'x');
    std::ofstream(historyPath, std::ios::binary | std::ios::trunc) << notADatabase;
    BacktestRun run = Run(WithHistory());
    EXPECT_EQ(run.CurrentState(), BacktestRun::State::Complete);
    EXPECT_NE(run.HistoryProblem().find(historyPath), std::string::npos);
    EXPECT_EQ(Movement(run.RunFigures(), Win1Movement::NoHistory).races, 6);
    // Not put aside nor repaired, as a writer would.
    EXPECT_EQ(test::ReadFileBytes(historyPath), notADatabase);
    EXPECT_EQ(std::distance(fs::directory_iterator(data.path()), fs::directory_iterator()), 1);
}

TEST_F(BacktestMovementTest, AHistoryWithoutItsTablesIsSaidNotCountedAsNone) {
    WriteFolderWithHistory();
    {
        sqlite::Database db(historyPath);
        db.Execute("ALTER TABLE odds_version RENAME COLUMN compressed TO gone");
    }
    BacktestRun run = Run(WithHistory());
    EXPECT_EQ(run.CurrentState(), BacktestRun::State::Complete);
    EXPECT_NE(run.HistoryProblem().find("構造が壊れている"), std::string::npos) << run.HistoryProblem();
    EXPECT_EQ(Movement(run.RunFigures(), Win1Movement::NoHistory).races, 6);
}

TEST_F(BacktestMovementTest, EveryOutputShowsBothSplitsAfterWhatItShowedBefore) {
    WriteFolderWithHistory();
    std::string problem;
    std::ostringstream csv;
    ASSERT_TRUE(WriteBacktest(pat.path().string(), BacktestFormat::Csv, WithHistory(), csv, problem));
    std::istringstream lines(csv.str());
    std::string header;
    std::string first;
    std::getline(lines, header);
    std::getline(lines, first);
    EXPECT_NE(header.find(",wide_return,win1_support_movement,pair_anomaly_mark\r"), std::string::npos);
    EXPECT_NE(first.find(",上昇,なし\r"), std::string::npos);

    std::ostringstream json;
    ASSERT_TRUE(WriteBacktest(pat.path().string(), BacktestFormat::Json, WithHistory(), json, problem));
    Json parsed = Json::parse(json.str());
    EXPECT_EQ(parsed["races"][1]["win1_support_movement"], "下降");
    EXPECT_EQ(parsed["races"][5]["pair_anomaly_mark"], "あり");
    EXPECT_EQ(parsed["races"][5]["pairs"][0]["anomaly_mark"], true);
    EXPECT_EQ(parsed["figures"]["by_win1_support_movement"]["変化なし"]["races"], 1);
    EXPECT_EQ(parsed["figures"]["by_pair_anomaly_mark"]["なし"]["races"], 5);

    std::ostringstream report;
    ASSERT_TRUE(WriteBacktest(pat.path().string(), BacktestFormat::Report, WithHistory(), report, problem));
    const std::string text = report.str();
    EXPECT_LT(text.find("By runner count"), text.find("By win-1 support movement"));
    EXPECT_LT(text.find("By win-1 support movement"), text.find("By anomaly mark on the pairs"));
    EXPECT_TRUE(problem.empty());
}

} // namespace
} // namespace velmora
