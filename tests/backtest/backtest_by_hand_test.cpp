// The back-test holds to what a user's clicks give on the same files.
#include "backtest/backtest.h"
#include "backtest/backtest_fixtures.h"
#include "backtest/backtest_run.h"
#include "common/clock.h"
#include "common/messages.h"
#include "common/random.h"
#include "common/text.h"
#include "patdata/file_naming.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A folder with the skipped races of the fixture and some awkward usable ones.
void WriteAwkwardFolder(const fs::path& folder) {
    test::WriteBacktestFolder(folder);

    patfixture::Race noQuinella = test::PlainRace(8, 11);
    noQuinella.fileId = "NOQUINELLA.jra";
    noQuinella.withQuinellaFile = false;
    patfixture::WriteRaceFiles(noQuinella, folder);

    patfixture::Race fewerCells = test::PlainRace(9, 14);
    fewerCells.fileId = "FEWERCELLS.jra";
    fewerCells.courseName = "阪神";
    patfixture::WriteRaceFiles(fewerCells, folder);
    patfixture::Race twelve = fewerCells;
    twelve.runners.resize(12);
    for (const patfixture::FixtureFile& file : patfixture::BuildRaceFiles(twelve)) {
        if (file.name.rfind("Uo-", 0) == 0) {
            std::ofstream(folder / file.name, std::ios::binary | std::ios::trunc) << file.bytes;
        }
    }

    patfixture::Race full = test::PlainRace(10, 18);
    full.fileId = "FULL.jra";
    full.courseName = "小倉";
    full.raceName = "ＧⅠ　ﾃｽﾄ･ｽﾃｰｸｽ";
    full.runners[4].winOdds = std::string(patfixture::kScratched);
    full.result->order = {18, 1, 9};
    patfixture::WriteRaceFiles(full, folder);
}

// Every used race gives what a user gets by choosing it in the browser and
// pressing "結果表示": the grades, the pairs with their odds lines, and a
// "◎" where the pair paid as a quinella, else "○" where it paid as a wide.
TEST(BacktestByHand, RacesComeOutAsTheyDoByHand) {
    test::TempDir dir;
    WriteAwkwardFolder(dir.path());
    BacktestRun run;
    RunBacktest(dir.path().string(), run);
    ASSERT_EQ(run.Races().size(), 5U);

    MemorySettingsStore settings;
    RecordingMessageSink messages;
    StandardRandomSource random;
    SystemClock clock;
    RemarkList remarks;
    Services services{settings, messages, random, clock, remarks};
    for (const BacktestRace& race : run.Races()) {
        SCOPED_TRACE(race.fileName);
        RaceSheet sheet(settings);
        UpdateFormFromSelection(sheet, services, (dir.path() / race.fileName).string());
        EXPECT_EQ(race.hasQuinellaOdds, !sheet.sOddsFileName.empty());
        cmdResult_Click(sheet, services);

        EXPECT_EQ(race.meetingLine, sheet.Kaisai());
        EXPECT_EQ(race.raceLine, sheet.RaceName());
        EXPECT_EQ(race.runnerCount, sheet.GetRunnerCount());
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(race.grades[static_cast<std::size_t>(k)], sheet.Rank(k + 1));
        }
        const std::vector<std::string>& lines = sheet.Items(SheetList::Result);
        ASSERT_EQ(race.pairs.size(), lines.size());
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const BacktestPair& pair = race.pairs[k];
            ASSERT_EQ(lines[k].rfind(pair.pair, 0), 0U);
            if (race.hasQuinellaOdds) {
                EXPECT_EQ(pair.quinellaOdds, sheet.Items(SheetList::ResultUmaOdds).at(k));
                EXPECT_EQ(pair.wideOdds, sheet.Items(SheetList::ResultWideOdds).at(k));
                std::string mark = lines[k].substr(pair.pair.size());
                std::string expected = pair.quinellaHit ? kQuinellaHitMark : pair.wideHit ? kWideHitMark : "";
                EXPECT_EQ(mark, expected) << pair.pair;
            } else {
                EXPECT_TRUE(pair.quinellaOdds.empty());
                EXPECT_TRUE(sheet.Items(SheetList::ResultUmaOdds).empty());
            }
        }
    }
}

} // namespace
} // namespace velmora
