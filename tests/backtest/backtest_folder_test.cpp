#include "backtest/backtest.h"
#include "backtest/backtest_formats.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"
#include "backtest/csv_reader.h"
#include "backtest/result_index.h"
#include "common/folder_files.h"
#include "common/text.h"
#include "results/result_file.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include "backtest/backtest_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using patfixture::Payoff;

class BacktestFolder : public ::testing::Test {
protected:
    void SetUp() override { test::WriteBacktestFolder(dir.path()); }

    test::TempDir dir;
};

TEST_F(BacktestFolder, FiguresMatchTheHandCount) {
    auto before = test::FolderSnapshot(dir.path());
    BacktestRun run;
    RunBacktest(dir.path().string(), run);
    EXPECT_EQ(test::FolderSnapshot(dir.path()), before) << "the folder must stay as it was";

    ASSERT_EQ(run.Races().size(), 2U);
    // The browser's order: course first, 中山 before 東京.
    const BacktestRace& worked = run.Races()[0];
    const BacktestRace& deadHeat = run.Races()[1];
    EXPECT_EQ(worked.course, "中山");
    EXPECT_EQ(worked.GradePattern(), "CDBB");
    EXPECT_EQ(worked.runnerCount, 8);
    EXPECT_TRUE(worked.hasQuinellaOdds);
    std::vector<std::string> pairs;
    for (const BacktestPair& pair : worked.pairs) {
        pairs.push_back(pair.pair);
    }
    EXPECT_EQ(pairs, (std::vector<std::string>{" 1- 3", " 2- 3", " 3- 4", " 3- 5", " 1- 2", " 2- 4", " 2- 5",
                                               " 3- 7", " 1- 5"}));
    ASSERT_EQ(worked.pairs.size(), 9U);
    EXPECT_EQ(worked.pairs[0].first, 1);
    EXPECT_EQ(worked.pairs[0].second, 3);
    EXPECT_EQ(worked.pairs[0].quinellaOdds, "   8.2");
    EXPECT_EQ(worked.pairs[0].wideOdds, "   3.1～   3.5");
    EXPECT_TRUE(worked.pairs[0].quinellaHit);
    EXPECT_TRUE(worked.pairs[0].wideHit);
    EXPECT_EQ(worked.pairs[7].wideReturn, 1450);
    EXPECT_EQ(worked.meetingLine.rfind("中山", 0), 0U);
    EXPECT_EQ(worked.raceLine.rfind(" 2R ", 0), 0U);

    EXPECT_EQ(deadHeat.GradePattern().substr(0, 1), "A");
    ASSERT_EQ(deadHeat.pairs.size(), 4U);
    EXPECT_EQ(deadHeat.pairs[0].pair, " 1- 2");
    EXPECT_TRUE(deadHeat.pairs[0].refunded);
    EXPECT_EQ(deadHeat.pairs[1].quinellaReturn, 1500);
    EXPECT_EQ(deadHeat.pairs[2].quinellaReturn, 2500);

    const Tally& all = run.RunFigures().all;
    EXPECT_EQ(all.races, 2);
    EXPECT_EQ(all.pairsBet, 12);
    EXPECT_EQ(all.pairsRefunded, 1);
    EXPECT_EQ(all.quinella.hits, 3);
    EXPECT_EQ(all.quinella.stake, 1200);
    EXPECT_EQ(all.quinella.returned, 820 + 1500 + 2500);
    EXPECT_EQ(all.wide.hits, 4);
    EXPECT_EQ(all.wide.returned, 310 + 1450 + 300 + 400);
    EXPECT_EQ(all.racesAnyHit, 2);
    EXPECT_EQ(run.RunFigures().byWin1Grade.at("C").quinella.returned, 820);
    EXPECT_EQ(run.RunFigures().byWin1Grade.at("A").wide.returned, 700);
    EXPECT_EQ(run.RunFigures().byCourse.at("東京").pairsRefunded, 1);
    EXPECT_EQ(run.RunFigures().byRunnerBand[0].races, 2);
}

TEST_F(BacktestFolder, UnusableRacesAreCountedByReason) {
    BacktestRun run;
    RunBacktest(dir.path().string() + "/", run);
    std::map<std::string, SkipReason> skipped;
    for (const SkippedRace& race : run.Skipped()) {
        skipped[race.fileName] = race.reason;
        EXPECT_EQ(race.detail, race.reason == SkipReason::InvalidOdds ? "4番の単ｵｯｽﾞ、6番の複ｵｯｽﾞMin" : "");
    }
    std::map<std::string, SkipReason> expected{
        {"Zo-NORESULT.jra", SkipReason::NoResultFile},
        {"Zo-SEVEN.jra", SkipReason::TooFewRunners},
        {"Zo-SCRATCHED.jra", SkipReason::TooFewActiveRunners},
        {"Zo-BADRESULT.jra", SkipReason::UnreadableResultFile},
        {"Zo-WRONGFORMAT.jra", SkipReason::WrongFormatOddsFile},
        {"Zo-SHORT.jra", SkipReason::UnreadableOddsFile},
        {"Zo-BADODDS.jra", SkipReason::InvalidOdds},
    };
    EXPECT_EQ(skipped, expected);
    for (int reason = 0; reason < kSkipReasonCount; ++reason) {
        EXPECT_EQ(run.RunFigures().skipped[static_cast<std::size_t>(reason)], 1) << reason;
    }
    // The races behind an unreadable file are still used, unlike in the browser.
    EXPECT_EQ(run.Races().size(), 2U);
}

TEST_F(BacktestFolder, OnlyTheCsvForExcelStartsWithAByteOrderMark) {
    const std::string mark = "\xEF\xBB\xBF";
    std::ostringstream plain;
    std::ostringstream excel;
    ASSERT_TRUE(WriteBacktest(dir.path().string(), BacktestFormat::Csv, plain));
    ASSERT_TRUE(WriteBacktest(dir.path().string(), BacktestFormat::CsvWithByteOrderMark, excel));
    EXPECT_EQ(plain.str().substr(0, 5), "file,");
    EXPECT_EQ(excel.str(), mark + plain.str());
}

TEST_F(BacktestFolder, CsvParsesBackToTheRecordedPairs) {
    BacktestRun run;
    RunBacktest(dir.path().string(), run);
    std::ostringstream out;
    WriteBacktest(dir.path().string(), BacktestFormat::Csv, out);
    std::vector<std::vector<std::string>> records;
    ASSERT_TRUE(test::ParseCsv(out.str(), records));
    std::size_t line = 1;
    for (const BacktestRace& race : run.Races()) {
        for (const BacktestPair& pair : race.pairs) {
            ASSERT_LT(line, records.size());
            const std::vector<std::string>& fields = records[line++];
            // The two groups of the later breakdowns close the line.
            ASSERT_EQ(fields.size(), 19U);
            EXPECT_EQ(fields[17], Win1MovementLabel(race.win1Movement));
            EXPECT_EQ(fields[18], PairMarkGroupLabel(PairMarkGroup(race)));
            EXPECT_EQ(fields[0], race.fileName);
            EXPECT_EQ(fields[6], pair.pair);
            EXPECT_EQ(fields[7], std::to_string(pair.first));
            EXPECT_EQ(fields[9], std::string(TrimSpaces(pair.quinellaOdds)));
            EXPECT_EQ(fields[12], pair.refunded ? "1" : "0");
            EXPECT_EQ(fields[13], pair.quinellaHit ? "1" : "0");
            EXPECT_EQ(fields[14], pair.wideHit ? "1" : "0");
            EXPECT_EQ(fields[15], std::to_string(pair.quinellaReturn));
            EXPECT_EQ(fields[16], std::to_string(pair.wideReturn));
        }
    }
    EXPECT_EQ(line, records.size());
    EXPECT_EQ(line, 1U + 13U);
}

ResultIndex IndexOf(const fs::path& folder) {
    return ResultIndex(folder.string(), ListFolderFiles(folder.string(), ResultIndex::IsResultName).names);
}

TEST(BacktestResultIndex, FindsWhatTheFolderSearchFinds) {
    test::TempDir dir;
    for (const char* name :
         {"Ks-A11BCDEF.jra", "ks-a00bcdef.JRA", "Ks-A0BCDEF.jra", "Ks-B00CDEF.jra", "Ks-D東京x.jra",
          "Ks-E000y.jra", "Ks-馬12B.jra", "Ks-馬1B.jra", "Ks-F馬馬g.jra"}) {
        dir.Write(name, "x");
    }
    fs::create_directory(dir.path() / "Ks-C00x.jra");
    fs::create_directory(dir.path() / "kazo-1");
    dir.Write("kazo-1/Ks-k00azo-1.jra", "x");
    dir.Write("kazo-1/Ks-x00.jra", "x");
    ResultIndex index = IndexOf(dir.path());
    std::string folder = dir.path().string() + "/";
    for (const char* odds : {"Zo-ABCDEF.jra", "zo-abcdef.jra", "ZO-BCDEF.jra", "Zo-Cx.jra", "Zo-Dx.jra",
                             "Zo-Ey.jra", "Zo-none.jra", "Zo-.jra", "Zo-馬B.jra", "Zo-Fg.jra", "xZo-1.jra"}) {
        std::string path = folder + odds;
        EXPECT_EQ(index.Find(path), ResultFileName(path)) << odds;
    }
    EXPECT_EQ(index.Find(folder + "Zo-ABCDEF.jra"), folder + "Ks-A11BCDEF.jra");
    EXPECT_EQ(index.Find(folder + "Zo-馬B.jra"), folder + "Ks-馬12B.jra");
    // A "zo-" in the folder's name is only part of the folder.
    ResultIndex nested = IndexOf(dir.path() / "kazo-1");
    std::string path = (dir.path() / "kazo-1" / "Zo-x.jra").string();
    EXPECT_EQ(nested.Find(path), ResultFileName(path));
    EXPECT_EQ(nested.Find(path), (dir.path() / "kazo-1" / "Ks-x00.jra").string());
}

TEST(BacktestResultIndex, NonAsciiNamesAreAnsweredFromTheIndexWithoutASearchOnDisk) {
    // The folder doesn't exist: only the index can know these names.
    const std::string folder = "/nonexistent-velmora-folder/";
    ResultIndex index(folder, {"Ks-東12京.jra", "Ks-A馬1.jra", "Ks-ｱ12ｲ.jra"});
    EXPECT_EQ(index.Find(folder + "Zo-東京.jra"), folder + "Ks-東12京.jra");
    EXPECT_EQ(index.Find(folder + "Zo-A.jra"), folder + "Ks-A馬1.jra");
    EXPECT_EQ(index.Find(folder + "zo-ｱｲ.JRA"), folder + "Ks-ｱ12ｲ.jra");
    EXPECT_EQ(index.Find(folder + "Zo-ｱｳ.jra"), "");
}

TEST(BacktestUnreadableFolder, IsToldApartFromAMissingOneAndRunsNoRace) {
    test::TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755)); // the unprivileged user may pass through
    const fs::path unlistable = dir.path() / "unlistable";
    const fs::path locked = dir.path() / "locked";
    fs::create_directories(unlistable);
    fs::create_directories(locked / "pat");
    test::WriteBacktestFolder(unlistable);
    fs::permissions(unlistable, fs::perms(0311));
    fs::permissions(locked, fs::perms::none);
    int found = test::RunUnprivileged([&] {
        BacktestRun run;
        bool noRace = !RunBacktest(unlistable.string(), run) && run.Races().empty() && run.Skipped().empty();
        return (CheckBacktestFolder(unlistable.string()) == BacktestFolderState::Unreadable ? 1 : 0) +
               (CheckBacktestFolder((locked / "pat").string()) == BacktestFolderState::Unreadable ? 2 : 0) +
               (noRace ? 4 : 0);
    });
    fs::permissions(unlistable, fs::perms(0755));
    fs::permissions(locked, fs::perms(0755));
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a folder unreadable";
    }
    EXPECT_EQ(found, 7);
    EXPECT_EQ(CheckBacktestFolder((dir.path() / "none").string()), BacktestFolderState::Missing);
    EXPECT_EQ(CheckBacktestFolder(test::TempDir().path().string()), BacktestFolderState::Ready);
    std::ofstream(dir.path() / "file") << "x";
    EXPECT_EQ(CheckBacktestFolder((dir.path() / "file").string()), BacktestFolderState::Missing);
}

} // namespace
} // namespace velmora
