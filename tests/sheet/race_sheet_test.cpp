#include "settings/settings_ops.h"
#include "sheet/race_sheet.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

class RaceSheetTest : public ::testing::Test {
protected:
    MemorySettingsStore store;
    RaceSheet sheet{store};

    void ExpectResetState() const {
        EXPECT_EQ(sheet.HorseNumText(), "16");
        EXPECT_EQ(sheet.GetRunnerCount(), 16);
        EXPECT_EQ(sheet.Kaisai(), "");
        EXPECT_EQ(sheet.RaceName(), "");
        for (int i = 1; i <= 18; ++i) {
            for (int c = 0; c < kColumnCount; ++c) {
                EXPECT_EQ(sheet.Text(static_cast<Column>(c), i), "");
            }
            EXPECT_EQ(sheet.IsEnabled(Column::TanOdds, i), i <= 16);
            EXPECT_EQ(sheet.Colors(Column::TanPopular, i), (CellColors{kWhite, kBlack}));
        }
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(sheet.Rank(k), "");
        }
        for (int l = 0; l < kListCount; ++l) {
            EXPECT_TRUE(sheet.Items(static_cast<SheetList>(l)).empty());
        }
        EXPECT_EQ(sheet.StatusText(), "Ready");
        EXPECT_EQ(sheet.sOddsFileName, "");
    }
};

TEST_F(RaceSheetTest, StartsAndClearsToTheResetState) {
    ExpectResetState();
    sheet.SetHorseNumIndex(10);
    sheet.SetKaisai("東京 第 4回  2日");
    sheet.SetText(Column::TanOdds, 18, "3.4");
    sheet.SetText(Column::HorseName, 3, "ミドリノタイガ");
    sheet.SetText(Column::FukuRatio, 2, "0.400");
    sheet.SetRank(2, "B");
    sheet.AddItem(SheetList::RaceResult, "1着");
    sheet.SetStatusText("remark");
    sheet.sOddsFileName = "/pat/Zo-1.jra";
    sheet.ClearSheet();
    ExpectResetState();
}

TEST_F(RaceSheetTest, RunnerCountEnablesOnlyTheOddsInputsAndKeepsTheirTexts) {
    sheet.SetHorseNumIndex(10); // 18
    for (int i = 1; i <= 18; ++i) {
        sheet.SetText(Column::TanOdds, i, std::to_string(i) + ".0");
    }
    ASSERT_TRUE(sheet.SetHorseNumText("10"));
    EXPECT_EQ(sheet.GetRunnerCount(), 10);
    for (int i = 1; i <= 18; ++i) {
        for (Column c : {Column::TanOdds, Column::FukuOddsMin, Column::FukuOddsMax}) {
            EXPECT_EQ(sheet.IsEnabled(c, i), i <= 10) << i;
        }
        for (Column c : {Column::HorseName, Column::TanPopular, Column::FukuRatio}) {
            EXPECT_TRUE(sheet.IsEnabled(c, i));
        }
    }
    EXPECT_EQ(sheet.Text(Column::TanOdds, 15), "15.0");
    sheet.SetHorseNumIndex(10);
    EXPECT_TRUE(sheet.IsEnabled(Column::FukuOddsMax, 18));
    EXPECT_EQ(sheet.Text(Column::TanOdds, 18), "18.0");
}

TEST_F(RaceSheetTest, RunnerCountTextMustBeAnEntry) {
    EXPECT_FALSE(sheet.SetHorseNumText("7"));
    EXPECT_FALSE(sheet.SetHorseNumText("19"));
    EXPECT_FALSE(sheet.SetHorseNumText(" 9"));
    EXPECT_EQ(sheet.HorseNumText(), "16");
    EXPECT_TRUE(sheet.SetHorseNumText("8"));
    EXPECT_EQ(sheet.HorseNumIndex(), 0);
    EXPECT_THROW(sheet.SetHorseNumIndex(11), std::out_of_range);
}

TEST_F(RaceSheetTest, ScratchedRowsAreRecognisedByTheTrimmedMarker) {
    sheet.SetText(Column::TanOdds, 1, "  ﾄﾘｹｼ ");
    sheet.SetText(Column::FukuOddsMin, 1, "1.5");
    sheet.SetText(Column::TanOdds, 2, "トリケシ");
    sheet.SetText(Column::TanOdds, 3, "ﾄﾘｹｼx");
    sheet.SetText(Column::TanOdds, 4, "\tﾄﾘｹｼ");
    sheet.SetText(Column::TanOdds, 17, "ﾄﾘｹｼ"); // beyond the runner count
    EXPECT_TRUE(sheet.IsScratched(1));
    EXPECT_FALSE(sheet.IsScratched(2));
    EXPECT_FALSE(sheet.IsScratched(3));
    EXPECT_FALSE(sheet.IsScratched(4));
    EXPECT_TRUE(sheet.IsScratched(17));
    EXPECT_EQ(sheet.GetScratchedCount(), 1);
    EXPECT_EQ(sheet.GetActiveRunnerCount(), 15);
    EXPECT_FLOAT_EQ(sheet.GetWinOdds(1), 999.9f);
    EXPECT_FLOAT_EQ(sheet.GetPlaceOddsMin(1), 99.99f);
    EXPECT_FLOAT_EQ(sheet.GetPlaceOddsMax(1), 99.99f);
    EXPECT_EQ(sheet.GetWinOdds(2), 0.0f);
    EXPECT_EQ(sheet.GetWinOdds(3), 0.0f);
    sheet.SetHorseNumIndex(10);
    EXPECT_EQ(sheet.GetScratchedCount(), 2);
}

TEST_F(RaceSheetTest, OddsAccessorsReadNumbersAsSingles) {
    sheet.SetText(Column::TanOdds, 1, "1,234.5");
    sheet.SetText(Column::TanOdds, 2, "1 2.5");
    sheet.SetText(Column::TanOdds, 3, "12.5倍");
    sheet.SetText(Column::FukuOddsMin, 4, "1.1");
    sheet.SetText(Column::FukuOddsMax, 4, "");
    EXPECT_EQ(sheet.GetWinOdds(1), 1.0f);
    EXPECT_EQ(sheet.GetWinOdds(2), 12.5f);
    EXPECT_EQ(sheet.GetWinOdds(3), 12.5f);
    EXPECT_EQ(sheet.GetPlaceOddsMin(4), 1.1f); // the single nearest 1.1, not the double
    EXPECT_EQ(sheet.GetPlaceOddsMax(4), 0.0f);
    EXPECT_THROW(sheet.GetWinOdds(19), std::out_of_range);
    EXPECT_THROW(sheet.GetWinOdds(0), std::out_of_range);
}

TEST_F(RaceSheetTest, PopularityCellsTakeTheRankColourWithTheTextThatReadsBest) {
    SetPopularColor(store, 1, 255);
    SetPopularColor(store, 2, 0x00FF00);
    SetPopularColor(store, 3, 0x800000); // navy
    sheet.SetHorseNumIndex(0);           // 8 runners
    sheet.SetText(Column::FukuPopular, 7, "3");
    sheet.SetText(Column::TanPopular, 3, "1");
    sheet.SetText(Column::FukuPopular, 5, "1");
    sheet.SetText(Column::FukuPopular, 6, "2");
    sheet.SetText(Column::TanPopular, 4, "x");
    sheet.SetText(Column::TanPopular, 9, "1"); // beyond the runner count
    sheet.ColorPopularity();
    EXPECT_EQ(sheet.Colors(Column::TanPopular, 3), (CellColors{255, kBlack}));
    EXPECT_EQ(sheet.Colors(Column::FukuPopular, 5), (CellColors{255, kBlack}));
    EXPECT_EQ(sheet.Colors(Column::FukuPopular, 6), (CellColors{0x00FF00, kBlack}));
    EXPECT_EQ(sheet.Colors(Column::FukuPopular, 7), (CellColors{0x800000, kWhite}));
    EXPECT_EQ(sheet.Colors(Column::TanPopular, 4), (CellColors{kWhite, kBlack}));
    for (int i = 9; i <= 18; ++i) {
        EXPECT_EQ(sheet.Colors(Column::TanPopular, i), (CellColors{kWhite, kBlack}));
        EXPECT_EQ(sheet.Colors(Column::FukuPopular, i), (CellColors{kWhite, kBlack}));
    }
}

TEST_F(RaceSheetTest, ColoursAreLookedUpAnewForEveryColouring) {
    sheet.SetHorseNumIndex(0);
    sheet.SetText(Column::TanPopular, 3, "1");
    sheet.ColorPopularity();
    EXPECT_EQ(sheet.Colors(Column::TanPopular, 3).background, kWhite);
    SetPopularColor(store, 1, 255); // as the option window saves it
    sheet.ColorPopularity();
    EXPECT_EQ(sheet.Colors(Column::TanPopular, 3).background, 255);
}

TEST_F(RaceSheetTest, ClearResultsKeepsInputsGradesStatusAndFile) {
    SetPopularColor(store, 0, 255); // only something outside the program writes rank 0
    sheet.SetText(Column::TanOdds, 1, "2.0");
    sheet.SetText(Column::HorseName, 1, "name");
    sheet.SetText(Column::TanPopular, 1, "1");
    sheet.SetText(Column::TanRatio, 1, "0.400");
    sheet.SetText(Column::FukuOdds, 1, "1.25");
    sheet.SetRank(1, "A");
    sheet.AddItem(SheetList::Result, " 1- 3");
    sheet.SetStatusText("remark");
    sheet.sOddsFileName = "f";
    sheet.ClearResults();
    EXPECT_EQ(sheet.Text(Column::TanOdds, 1), "2.0");
    EXPECT_EQ(sheet.Text(Column::HorseName, 1), "name");
    EXPECT_EQ(sheet.Text(Column::TanPopular, 1), "");
    EXPECT_EQ(sheet.Text(Column::TanRatio, 1), "");
    EXPECT_EQ(sheet.Text(Column::FukuOdds, 1), "");
    EXPECT_EQ(sheet.Colors(Column::TanPopular, 1).background, 255); // the colour of rank 0
    EXPECT_EQ(sheet.Rank(1), "A");
    EXPECT_TRUE(sheet.Items(SheetList::Result).empty());
    EXPECT_EQ(sheet.StatusText(), "remark");
    EXPECT_EQ(sheet.sOddsFileName, "f");
}

TEST_F(RaceSheetTest, ViewsLearnOfEveryChange) {
    int calls = 0;
    sheet.SetChangeListener([&] { ++calls; });
    auto before = sheet.Revision();
    sheet.SetText(Column::TanOdds, 1, "3");
    EXPECT_GT(sheet.Revision(), before);
    EXPECT_GE(calls, 1);
    int afterEdit = calls;
    sheet.AddItem(SheetList::Result, "x");
    sheet.SetItem(SheetList::Result, 0, "x ◎");
    ASSERT_EQ(sheet.Items(SheetList::Result).size(), 1U);
    EXPECT_EQ(sheet.Items(SheetList::Result)[0], "x ◎");
    EXPECT_EQ(calls, afterEdit + 2);
}

} // namespace
} // namespace velmora
