#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/sample_races.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

const std::vector<std::string> kNoteStart = {"オッズは",     "締め切り", "2～3時間前",
                                             "のものです。", "",         "ﾚｰｽ結果は"};

std::vector<std::string> Note(const std::string& resultLine) {
    auto note = kNoteStart;
    note.push_back(resultLine);
    note.push_back("でした。");
    return note;
}

TEST(SampleRaces, RaceOneReplacesALoadedRaceCompletely) {
    MemorySettingsStore store;
    RaceSheet sheet(store);
    sheet.SetHorseNumIndex(10);
    sheet.SetKaisai("東京");
    sheet.SetRaceName("11R");
    sheet.SetText(Column::HorseName, 2, "name");
    sheet.SetText(Column::TanOdds, 15, "4.0");
    sheet.sOddsFileName = "/pat/Zo-x.jra";
    mnuTestData1_Click(sheet);

    EXPECT_EQ(sheet.HorseNumText(), "10");
    EXPECT_EQ(sheet.Kaisai(), "");
    EXPECT_EQ(sheet.RaceName(), "");
    EXPECT_EQ(sheet.sOddsFileName, "");
    EXPECT_EQ(sheet.Text(Column::TanOdds, 1), "18.4");
    EXPECT_EQ(sheet.Text(Column::TanOdds, 8), "1.3");
    EXPECT_EQ(sheet.Text(Column::FukuOddsMin, 8), "1.1");
    EXPECT_EQ(sheet.Text(Column::FukuOddsMax, 10), "3.7");
    EXPECT_EQ(sheet.Text(Column::TanOdds, 4), "14.0");
    for (int i = 1; i <= 18; ++i) {
        EXPECT_EQ(sheet.Text(Column::HorseName, i), "");
        EXPECT_EQ(sheet.IsEnabled(Column::TanOdds, i), i <= 10);
        if (i > 10) {
            EXPECT_EQ(sheet.Text(Column::TanOdds, i), "");
        }
    }
    EXPECT_EQ(sheet.Items(SheetList::Result), Note("8-10 \\550"));
    EXPECT_TRUE(sheet.Items(SheetList::ResultUmaOdds).empty());
    EXPECT_TRUE(sheet.Items(SheetList::ResultWideOdds).empty());
    EXPECT_TRUE(sheet.Items(SheetList::RaceResult).empty());
    EXPECT_EQ(sheet.StatusText(), "Ready");
}

TEST(SampleRaces, RacesTwoAndThreeHaveTheirShape) {
    MemorySettingsStore store;
    RaceSheet sheet(store);
    mnuTestData2_Click(sheet);
    EXPECT_EQ(sheet.GetRunnerCount(), 10);
    EXPECT_EQ(sheet.Items(SheetList::Result), Note("4-6 \\2580"));
    EXPECT_EQ(sheet.Text(Column::HorseName, 1), "");
    mnuTestData3_Click(sheet);
    EXPECT_EQ(sheet.GetRunnerCount(), 18);
    EXPECT_EQ(sheet.Items(SheetList::Result), Note("7-14 \\780?"));
    for (int i = 1; i <= 18; ++i) {
        EXPECT_FALSE(sheet.Text(Column::HorseName, i).empty());
        EXPECT_GT(sheet.GetWinOdds(i), 1.0f);
        EXPECT_LE(sheet.GetPlaceOddsMin(i), sheet.GetPlaceOddsMax(i));
        EXPECT_TRUE(sheet.IsEnabled(Column::FukuOddsMax, i));
    }
    ASSERT_EQ(SampleRaces().size(), 3U);
    EXPECT_EQ(SampleRaces()[0].caption, "’９９毎日王冠");
    EXPECT_EQ(SampleRaces()[2].caption, "’０１皐月賞");
}

} // namespace
} // namespace velmora
