#include "engine/calculation.h"

#include "common/conversions.h"
#include "engine/engine_harness.h"
#include "race/race_loader.h"
#include "settings/settings_ops.h"
#include "shell/sample_races.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

using test::EngineHarness;
using test::OddsRow;
using test::WorkedRace;
using Texts = std::vector<std::string>;

class CalculationTest : public ::testing::Test {
protected:
    void Compute(const std::vector<OddsRow>& rows) {
        h.TypeRace(rows);
        btnCalc_Click(h.sheet, h.services);
    }
    Texts Col(Column column) const { return h.ColumnTexts(column, h.sheet.GetRunnerCount()); }

    EngineHarness h;
};

TEST_F(CalculationTest, WorkedRaceGivesItsRatesRanksGradesAndNinePairs) {
    Compute(WorkedRace());

    EXPECT_EQ(Col(Column::TanPopular), (Texts{"2", "3", "1", "4", "5", "6", "7", "8"}));
    EXPECT_EQ(Col(Column::TanRatio),
              (Texts{"0.222", "0.157", "0.364", "0.070", "0.052", "0.031", "0.030", "0.008"}));
    EXPECT_EQ(Col(Column::FukuOdds),
              (Texts{"1.85", "1.40", "1.25", "3.55", "3.30", "4.50", "3.70", "10.00"}));
    EXPECT_EQ(Col(Column::FukuPopular), (Texts{"3", "2", "1", "5", "4", "7", "6", "8"}));
    EXPECT_EQ(Col(Column::FukuRatio),
              (Texts{"0.144", "0.190", "0.213", "0.075", "0.081", "0.059", "0.072", "0.027"}));
    EXPECT_EQ(h.Grades(), (Texts{"C", "D", "B", "B"}));
    EXPECT_EQ(h.sheet.Items(SheetList::Result),
              (Texts{" 1- 3", " 2- 3", " 3- 4", " 3- 5", " 1- 2", " 2- 4", " 2- 5", " 3- 7", " 1- 5"}));
    // Typed by hand: no race file, so no odds beside the pairs.
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultUmaOdds).empty());
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultWideOdds).empty());
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.sheet.StatusText(), "second remark");
    EXPECT_EQ(h.random.seeds, (std::vector<std::uint64_t>{4242}));
}

TEST_F(CalculationTest, ClearFavouriteCarriesTheWholeListOfFour) {
    auto rows = WorkedRace();
    rows[2][0] = "1.6";
    Compute(rows);

    EXPECT_EQ(h.sheet.Text(Column::TanRatio, 3), "0.500");
    EXPECT_EQ(h.sheet.Rank(1), "A");
    EXPECT_EQ(h.sheet.Items(SheetList::Result), (Texts{" 2- 3", " 1- 3", " 3- 5", " 3- 4"}));
}

TEST_F(CalculationTest, FavouriteAtTwoIsGradedBAndAtOnePointSixA) {
    for (auto [odds, grade] :
         {std::pair{"2.0", "B"}, {"1.6", "A"}, {"1.7", "B"}, {"2.1", "C"}, {"2.7", "D"}}) {
        auto rows = WorkedRace();
        rows[2][0] = odds;
        Compute(rows);
        EXPECT_EQ(h.sheet.Rank(1), grade) << odds;
    }
}

struct RowCase {
    OddsRow row;
    std::string winRate;
    std::string placeAverage;
    std::string placeRate;
};

// One runner under test in row 1 of a field of nine, so that a scratched row
// still leaves eight runners.
TEST_F(CalculationTest, RowTextsFollowTheOddsDownToTheLastDecimal) {
    const std::vector<RowCase> cases = {
        {{"1.0", "1.0", "1.0"}, "0.800", "1.00", "0.267"},
        {{"2.0", "2.7", "4.4"}, "0.400", "3.55", "0.075"},
        {{"3.6", "1.1", "1.4"}, "0.222", "1.25", "0.213"},
        {{"12.8", "1.0", "1.25"}, "0.063", "1.13", "0.236"}, // 0.0625 and 1.125 round up
        {{"15.5", "2.5", "4.1"}, "0.052", "3.30", "0.081"},
        {{"100", "10", "10"}, "0.008", "10.00", "0.027"},
        {{" ﾄﾘｹｼ ", "1.1", "1.4"}, "0.001", "99.99", "0.003"},
        {{"ﾄﾘｹｼ", "", ""}, "0.001", "99.99", "0.003"},
        {{" 12.8 ", "1.0", "1.01"}, "0.063", "1.01", "0.264"},        // single 1.005 is written 1.005000
        {{"１２．５", "１．２４", "1.26"}, "0.064", "1.25", "0.213"}, // typed full-width
        {{"99999", "99999", "99999"}, "0.000", "99999.00", "0.000"},
    };
    for (const auto& c : cases) {
        std::vector<OddsRow> rows(9, OddsRow{"5.0", "2.0", "3.0"});
        rows[0] = c.row;
        Compute(rows);
        SCOPED_TRACE(c.row[0] + " / " + c.row[1] + " / " + c.row[2]);
        EXPECT_EQ(h.sheet.Text(Column::TanRatio, 1), c.winRate);
        EXPECT_EQ(h.sheet.Text(Column::FukuOdds, 1), c.placeAverage);
        EXPECT_EQ(h.sheet.Text(Column::FukuRatio, 1), c.placeRate);
        EXPECT_TRUE(h.messages.messages.empty());
    }
}

TEST_F(CalculationTest, ScratchedRunnerRanksLastWhateverItsPlaceOdds) {
    std::vector<OddsRow> rows = {{"ﾄﾘｹｼ", "", "x"},     {"4.0", "1.5", "2.0"}, {"3.0", "1.3", "1.8"},
                                 {"900", "50", "90"},   {"1.5", "1.0", "1.1"}, {"8.0", "2.0", "3.0"},
                                 {"9.0", "2.2", "3.1"}, {"7.0", "1.9", "2.9"}, {"6.0", "1.8", "2.5"}};
    Compute(rows);
    EXPECT_EQ(Col(Column::TanPopular), (Texts{"9", "3", "2", "8", "1", "6", "7", "5", "4"}));
    EXPECT_EQ(Col(Column::FukuPopular), (Texts{"9", "3", "2", "8", "1", "6", "7", "5", "4"}));
    EXPECT_EQ(h.sheet.Text(Column::FukuOdds, 1), "99.99");
}

TEST_F(CalculationTest, OddsAtTheLimitsRankInOrderAndEveryRateStaysFinite) {
    std::vector<OddsRow> rows = {{"4.9e-324", "1.1", "1.2"},  {"4.0", "1.5", "2.0"},
                                 {"3.0", "1.3", "1.8"},       {"99999", "99999", "99999"},
                                 {"99999", "99999", "99999"}, {"99999", "99999", "99999"},
                                 {"9.0", "2.2", "3.1"},       {"7.0", "1.9", "2.9"}};
    Compute(rows);
    EXPECT_EQ(Col(Column::TanPopular), (Texts{"1", "3", "2", "6", "7", "8", "5", "4"}));
    EXPECT_EQ(Col(Column::FukuPopular), (Texts{"1", "3", "2", "6", "7", "8", "5", "4"}));
    for (int row = 4; row <= 6; ++row) {
        EXPECT_EQ(h.sheet.Text(Column::TanRatio, row), "0.000") << row;
        EXPECT_EQ(h.sheet.Text(Column::FukuRatio, row), "0.000") << row;
    }
    // The tiny odds give the largest rate, not one that shows as nothing.
    EXPECT_NE(h.sheet.Text(Column::TanRatio, 1), "0.000");
    EXPECT_TRUE(h.messages.messages.empty());
    for (Column column : {Column::TanRatio, Column::FukuRatio, Column::FukuOdds}) {
        for (int row = 1; row <= 8; ++row) {
            EXPECT_TRUE(std::isfinite(NumericValue(h.sheet.Text(column, row)))) << row;
        }
    }
}

TEST_F(CalculationTest, EqualOddsGoToTheLowerRunnerNumber) {
    std::vector<OddsRow> rows(8, OddsRow{"20.0", "5.0", "6.0"});
    // Win: rows 2 and 5 tie; rows 6 and 7 are equal only as single-precision numbers.
    rows[1][0] = "3.0";
    rows[4][0] = "3.0";
    rows[5][0] = "4.0000001";
    rows[6][0] = "4.0";
    // Place: rows 1 and 3 both show 1.25, whichever side the unrounded average lies on;
    // rows 4 and 8 both show 1.01 although row 8's average (1.005) is smaller.
    rows[0][1] = "1.25";
    rows[0][2] = "1.25";
    rows[2][1] = "1.24";
    rows[2][2] = "1.26";
    rows[3][1] = "1.01";
    rows[3][2] = "1.01";
    rows[7][1] = "1.0";
    rows[7][2] = "1.01";
    Compute(rows);
    EXPECT_EQ(Col(Column::TanPopular), (Texts{"5", "1", "6", "7", "2", "3", "4", "8"}));
    EXPECT_EQ(Col(Column::FukuOdds), (Texts{"1.25", "5.50", "1.25", "1.01", "5.50", "5.50", "5.50", "1.01"}));
    EXPECT_EQ(Col(Column::FukuPopular), (Texts{"3", "5", "4", "1", "6", "7", "8", "2"}));

    // The same tie with the runners the other way round.
    std::swap(rows[0], rows[2]);
    Compute(rows);
    EXPECT_EQ(h.sheet.Text(Column::FukuPopular, 1), "3");
    EXPECT_EQ(h.sheet.Text(Column::FukuPopular, 3), "4");
}

TEST_F(CalculationTest, FewerThanEightActiveRunnersStopAfterClearingAndKeepTheGrades) {
    Compute(WorkedRace());
    ASSERT_EQ(h.Grades(), (Texts{"C", "D", "B", "B"}));
    h.sheet.SetStatusText("before");

    h.sheet.SetText(Column::TanOdds, 4, "ﾄﾘｹｼ");
    btnCalc_Click(h.sheet, h.services);

    ASSERT_EQ(h.messages.messages.size(), 1u);
    EXPECT_EQ(h.messages.messages[0], (Message{kTooFewRunnersMessage, kAppTitle, MessageIcon::None}));
    for (Column column :
         {Column::TanPopular, Column::TanRatio, Column::FukuOdds, Column::FukuPopular, Column::FukuRatio}) {
        EXPECT_EQ(Col(column), Texts(8, "")) << static_cast<int>(column);
    }
    for (SheetList list : {SheetList::Result, SheetList::ResultUmaOdds, SheetList::ResultWideOdds}) {
        EXPECT_TRUE(h.sheet.Items(list).empty());
    }
    EXPECT_EQ(h.Grades(), (Texts{"C", "D", "B", "B"}));
    EXPECT_EQ(h.sheet.StatusText(), "before");
}

// Mistyped odds would read as 0, rank first and carry every recommended pair.
TEST_F(CalculationTest, MistypedOddsAreRefusedNamedAndMarkedAndThePreviousResultsCleared) {
    const std::string message3 = "3番の単ｵｯｽﾞが正しくありません。取消の馬は ﾄﾘｹｼ と入力してください。";
    for (const std::string& text :
         {std::string(), std::string("  "), std::string("abc"), std::string("-5"), std::string("0"),
          std::string("0.0"), std::string("1 2.8"), std::string("12.5x"), std::string("５．５円"),
          std::string("100000"), std::string("1e999"), std::string(5000, '9')}) {
        SCOPED_TRACE("win odds '" + text.substr(0, 20) + "'");
        Compute(WorkedRace());
        ASSERT_EQ(h.sheet.Items(SheetList::Result).size(), 9u);
        h.messages.messages.clear();

        auto rows = WorkedRace();
        rows[2][0] = text;
        Compute(rows);

        EXPECT_EQ(h.messages.messages, (std::vector<Message>{{message3, kAppTitle, MessageIcon::None}}));
        for (Column column : {Column::TanPopular, Column::TanRatio, Column::FukuOdds, Column::FukuPopular,
                              Column::FukuRatio}) {
            EXPECT_EQ(Col(column), Texts(8, ""));
        }
        EXPECT_TRUE(h.sheet.Items(SheetList::Result).empty());
        for (int row = 1; row <= 8; ++row) {
            for (Column column : {Column::TanOdds, Column::FukuOddsMin, Column::FukuOddsMax}) {
                EXPECT_EQ(h.sheet.IsMarked(column, row), row == 3 && column == Column::TanOdds) << row;
            }
        }
    }
}

TEST_F(CalculationTest, TheMessageNamesEveryRunnerAndFieldAndCountsBeyondSix) {
    auto rows = WorkedRace();
    rows[1][1] = "";
    rows[4][0] = "x";
    rows[4][2] = "-1";
    Compute(rows);
    ASSERT_EQ(h.messages.messages.size(), 1u);
    EXPECT_EQ(h.messages.messages[0].text, "2番の複ｵｯｽﾞMin、5番の単ｵｯｽﾞ・複ｵｯｽﾞMaxが正しくありません。"
                                           "取消の馬は ﾄﾘｹｼ と入力してください。");

    // A sheet left blank, as after New, with one runner scratched.
    h.messages.messages.clear();
    h.sheet.ClearSheet();
    h.sheet.SetText(Column::TanOdds, 2, "ﾄﾘｹｼ");
    btnCalc_Click(h.sheet, h.services);
    ASSERT_EQ(h.messages.messages.size(), 1u);
    EXPECT_EQ(h.messages.messages[0].text,
              "1番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、3番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、"
              "4番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、5番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、"
              "6番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、7番の単ｵｯｽﾞ・複ｵｯｽﾞMin・複ｵｯｽﾞMax、"
              "ほか9頭のｵｯｽﾞが正しくありません。取消の馬は ﾄﾘｹｼ と入力してください。");
    EXPECT_FALSE(h.sheet.IsMarked(Column::TanOdds, 2));
    EXPECT_TRUE(h.sheet.IsMarked(Column::FukuOddsMax, 16));
    EXPECT_FALSE(h.sheet.IsMarked(Column::TanOdds, 17));
}

TEST_F(CalculationTest, AMarkGoesWhenItsFieldIsTypedOverAndAllGoWithTheNextComputation) {
    auto rows = WorkedRace();
    rows.push_back({"50", "10", "12"});
    rows[0][0] = "abc";
    rows[1][2] = "";
    Compute(rows);
    ASSERT_TRUE(h.sheet.IsMarked(Column::TanOdds, 1));

    h.sheet.SetText(Column::TanOdds, 1, "３．６");
    EXPECT_EQ(h.sheet.Text(Column::TanOdds, 1), "3.6");
    EXPECT_FALSE(h.sheet.IsMarked(Column::TanOdds, 1));
    EXPECT_TRUE(h.sheet.IsMarked(Column::FukuOddsMax, 2));

    // Scratching the runner instead is the other way out.
    h.sheet.SetText(Column::TanOdds, 2, "ﾄﾘｹｼ");
    h.messages.messages.clear();
    btnCalc_Click(h.sheet, h.services);
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_FALSE(h.sheet.IsMarked(Column::FukuOddsMax, 2));
    EXPECT_EQ(h.sheet.Text(Column::TanRatio, 1), "0.222");

    // Too few runners is said first, alone.
    h.messages.messages.clear();
    h.sheet.SetText(Column::TanOdds, 3, "ﾄﾘｹｼ");
    h.sheet.SetText(Column::TanOdds, 4, "");
    btnCalc_Click(h.sheet, h.services);
    EXPECT_EQ(h.messages.messages,
              (std::vector<Message>{{kTooFewRunnersMessage, kAppTitle, MessageIcon::None}}));
    EXPECT_FALSE(h.sheet.IsMarked(Column::TanOdds, 4));
}

TEST_F(CalculationTest, TenRunnersWithThreeScratchedAreRefusedButNineWithOneAreComputed) {
    std::vector<OddsRow> rows(10, OddsRow{"5.0", "2.0", "3.0"});
    rows[1][0] = rows[4][0] = rows[9][0] = "ﾄﾘｹｼ";
    Compute(rows);
    EXPECT_EQ(h.messages.messages.size(), 1u);
    EXPECT_EQ(h.sheet.Text(Column::TanPopular, 1), "");

    // A scratched row beyond the runner count does not count.
    h.messages.messages.clear();
    h.sheet.SetHorseNumText("9");
    h.sheet.SetText(Column::TanOdds, 2, "5.0");
    h.sheet.SetText(Column::TanOdds, 5, "5.0");
    btnCalc_Click(h.sheet, h.services);
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.sheet.Text(Column::TanPopular, 9), "9");
    EXPECT_EQ(h.sheet.Text(Column::TanPopular, 10), "");
}

TEST_F(CalculationTest, RaceFileWithoutQuinellaOddsIsForgottenAndRunningTwiceChangesNothingElse) {
    h.TypeRace(WorkedRace());
    h.sheet.sOddsFileName = "/nowhere/Zo-0000.jra";
    btnCalc_Click(h.sheet, h.services);
    EXPECT_EQ(h.sheet.sOddsFileName, "");
    EXPECT_EQ(h.sheet.Items(SheetList::Result).size(), 9u);
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultUmaOdds).empty());
    EXPECT_TRUE(h.messages.messages.empty());

    const Texts first = h.sheet.Items(SheetList::Result);
    const Texts ranks = Col(Column::FukuPopular);
    btnCalc_Click(h.sheet, h.services);
    EXPECT_EQ(h.sheet.Items(SheetList::Result), first);
    EXPECT_EQ(Col(Column::FukuPopular), ranks);
}

TEST_F(CalculationTest, RankCellsAreColouredAfterTheListsAndRowsBeyondTheCountStayWhite) {
    SetPopularColor(h.settings, 1, 255);
    std::vector<OddsRow> rows = WorkedRace();
    Compute(rows);
    // Runner 3 is the favourite of both pools.
    EXPECT_EQ(h.sheet.Colors(Column::TanPopular, 3), (CellColors{255, kBlack}));
    EXPECT_EQ(h.sheet.Colors(Column::FukuPopular, 3), (CellColors{255, kBlack}));
    EXPECT_EQ(h.sheet.Colors(Column::TanPopular, 1), CellColors{});
    EXPECT_EQ(h.sheet.Colors(Column::FukuPopular, 9), CellColors{});
}

TEST_F(CalculationTest, WithoutRemarksTheComputationStillCompletes) {
    h.remarks.clear();
    Compute(WorkedRace());
    EXPECT_EQ(h.sheet.StatusText(), "Ready");
    EXPECT_EQ(h.sheet.Items(SheetList::Result).size(), 9u);
}

// Sample race 1, "’９９毎日王冠", computed: the output pinned in full.
TEST_F(CalculationTest, SampleRaceOneReplacesItsNoteWithTheRecommendation) {
    mnuTestData1_Click(h.sheet);
    btnCalc_Click(h.sheet, h.services);

    EXPECT_EQ(Col(Column::TanPopular), (Texts{"6", "7", "8", "4", "3", "9", "10", "1", "2", "5"}));
    EXPECT_EQ(Col(Column::TanRatio), (Texts{"0.043", "0.038", "0.038", "0.057", "0.067", "0.011", "0.010",
                                            "0.615", "0.077", "0.049"}));
    EXPECT_EQ(Col(Column::FukuOdds),
              (Texts{"4.35", "3.50", "2.15", "3.05", "3.10", "6.85", "7.75", "1.15", "2.25", "3.05"}));
    EXPECT_EQ(Col(Column::FukuPopular), (Texts{"8", "7", "2", "4", "6", "9", "10", "1", "3", "5"}));
    EXPECT_EQ(Col(Column::FukuRatio), (Texts{"0.061", "0.076", "0.124", "0.087", "0.086", "0.039", "0.034",
                                             "0.232", "0.119", "0.087"}));
    EXPECT_EQ(h.Grades(), (Texts{"A", "C", "B", "C"}));
    EXPECT_EQ(h.sheet.Items(SheetList::Result), (Texts{" 3- 8", " 8- 9", " 4- 8", " 8-10"}));
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultUmaOdds).empty());
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultWideOdds).empty());
    for (int i = 11; i <= 18; ++i) {
        EXPECT_EQ(h.sheet.Text(Column::TanPopular, i), "");
    }
    EXPECT_TRUE(h.messages.messages.empty());
}

} // namespace
} // namespace velmora
