#include "engine/recommendations.h"

#include "engine/engine_harness.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Texts = std::vector<std::string>;

TEST(FormatPair, SmallerNumberFirstEachInTwoCharacters) {
    RecordingMessageSink messages;
    const std::vector<std::tuple<int, int, std::string>> cases = {
        {3, 5, " 3- 5"},   {5, 3, " 3- 5"},  {12, 3, " 3-12"},
        {10, 12, "10-12"}, {9, 10, " 9-10"}, {18, 17, "17-18"},
    };
    for (const auto& [a, b, text] : cases) {
        EXPECT_EQ(FormatPair(a, b, messages), text);
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST(FormatPair, EqualNumbersAreReportedAndStillFormatted) {
    RecordingMessageSink messages;
    EXPECT_EQ(FormatPair(4, 4, messages), " 4- 4");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], (Message{kSameRunnerMessage, kAppTitle, MessageIcon::None}));
}

TEST(ParsePair, ReadsBackEveryPairFormatPairWritesAndNothingElse) {
    RecordingMessageSink messages;
    for (int a = 1; a <= 18; ++a) {
        for (int b = a + 1; b <= 18; ++b) {
            EXPECT_EQ(ParsePair(FormatPair(b, a, messages)), (RunnerPair{a, b}));
        }
    }
    // A result mark after the pair is not read.
    EXPECT_EQ(ParsePair("12-13◎"), (RunnerPair{12, 13}));
    for (const char* line :
         {"", "ﾚｰｽ結果は", " 3- 3", " 5- 3", " 0- 4", "19-20", " 3+12", "3-12", " 3-1", "a3-12"}) {
        EXPECT_FALSE(ParsePair(line)) << line;
    }
}

TEST(IsPairListed, MatchesWholeLinesExactly) {
    test::EngineHarness h;
    h.sheet.AddItem(SheetList::Result, " 3- 5");
    h.sheet.AddItem(SheetList::Result, "3-12");
    h.sheet.AddItem(SheetList::Result, " 9-10◎");
    EXPECT_TRUE(IsPairListed(h.sheet, 5, 3, h.messages));
    EXPECT_FALSE(IsPairListed(h.sheet, 3, 12, h.messages));
    EXPECT_FALSE(IsPairListed(h.sheet, 9, 10, h.messages));
}

// A rank names the first runner holding it, and rows beyond the runner count
// hold none.
TEST(ListRecommendations, ARankNamesItsFirstRunnerWithinTheRunnerCount) {
    test::EngineHarness h;
    h.sheet.SetHorseNumText("8");
    h.sheet.SetRank(1, "A");
    h.sheet.SetText(Column::TanPopular, 9, "1"); // beyond the count
    h.sheet.SetText(Column::TanPopular, 3, "1");
    h.sheet.SetText(Column::FukuPopular, 7, "1");
    h.sheet.SetText(Column::FukuPopular, 2, "2");
    h.sheet.SetText(Column::FukuPopular, 5, "2");
    h.sheet.SetText(Column::FukuPopular, 9, "3");
    ListRecommendations(h.sheet, h.messages);
    EXPECT_EQ(h.sheet.Items(SheetList::Result), (Texts{" 3- 7", " 2- 3"}));
    EXPECT_TRUE(h.messages.messages.empty());
}

PairOdds Cell(const std::string& quinella, const std::string& low, const std::string& high) {
    return {"01", "00001", quinella, low, high};
}

TEST(AddRecommendation, OddsStandBesideThePairOnlyWithARaceFile) {
    test::EngineHarness h;
    h.sheet.tUmaOdds.Cells[3][12] = Cell("  12.5", "   3.1", "   4.0");
    AddRecommendation(h.sheet, " 3-12");
    EXPECT_EQ(h.sheet.Items(SheetList::Result), (Texts{" 3-12"}));
    EXPECT_TRUE(h.sheet.Items(SheetList::ResultUmaOdds).empty());

    h.sheet.sOddsFileName = "/pat/Zo-x.jra";
    AddRecommendation(h.sheet, " 3-12");
    AddRecommendation(h.sheet, "17-18"); // a cell the file did not cover
    EXPECT_EQ(h.sheet.Items(SheetList::Result), (Texts{" 3-12", " 3-12", "17-18"}));
    EXPECT_EQ(h.sheet.Items(SheetList::ResultUmaOdds), (Texts{"  12.5", "      "}));
    EXPECT_EQ(h.sheet.Items(SheetList::ResultWideOdds), (Texts{"   3.1～   4.0", "      ～      "}));
}

TEST(AddRecommendation, APairTextNamingNoRunnerKeepsTheListsParallel) {
    test::EngineHarness h;
    h.sheet.sOddsFileName = "/pat/Zo-x.jra";
    AddRecommendation(h.sheet, " 0-99");
    AddRecommendation(h.sheet, "x");
    EXPECT_EQ(h.sheet.Items(SheetList::ResultUmaOdds), (Texts{"      ", "      "}));
    EXPECT_EQ(h.sheet.Items(SheetList::ResultWideOdds).size(), 2u);
}

class ListRecommendationsTest : public ::testing::Test {
protected:
    // Eight runners; win rank i on runner i, place ranks 2 1 3 4 5 6 7 8.
    void SetUp() override {
        h.sheet.SetHorseNumText("8");
        const std::vector<std::string> place = {"2", "1", "3", "4", "5", "6", "7", "8"};
        for (int i = 1; i <= 8; ++i) {
            h.sheet.SetText(Column::TanPopular, i, std::to_string(i));
            h.sheet.SetText(Column::FukuPopular, i, place[static_cast<std::size_t>(i - 1)]);
        }
    }
    Texts List(const Texts& grades) {
        h.sheet.ClearList(SheetList::Result);
        for (int k = 1; k <= 4; ++k) {
            h.sheet.SetRank(k, grades[static_cast<std::size_t>(k - 1)]);
        }
        ListRecommendations(h.sheet, h.messages);
        return h.sheet.Items(SheetList::Result);
    }

    test::EngineHarness h;
};

TEST_F(ListRecommendationsTest, TrustedWinFavouritesLeadWithPlacePartners) {
    EXPECT_EQ(List({"B", "B", "B", "B"}),
              (Texts{" 1- 2", " 1- 3", " 1- 4", " 1- 5", " 2- 3", " 2- 4", " 2- 5", " 2- 6", " 1- 6"}));
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(ListRecommendationsTest, AStrongerPlaceFavouriteTakesTheLead) {
    // Win-1 "B" but place-1 "A": the place favourites lead.
    const Texts placeLed = {" 1- 2", " 2- 3", " 2- 4", " 2- 5", " 1- 3", " 1- 4", " 1- 5", " 1- 6", " 2- 6"};
    EXPECT_EQ(List({"B", "C", "A", "C"}), placeLed);
    EXPECT_EQ(List({"C", "D", "B", "B"}), placeLed);
    EXPECT_EQ(List({"B", "B", "A", "A"}), placeLed);
}

TEST_F(ListRecommendationsTest, EachFavouriteDecidesItsOwnPhases) {
    // Only the win favourite is trusted: phases 1 and 3 change sides, 2 and 4 do not.
    EXPECT_EQ(List({"B", "C", "B", "C"}),
              (Texts{" 1- 2", " 1- 3", " 1- 4", " 1- 5", " 1- 6", " 1- 7", " 1- 8", " 2- 3", " 2- 4"}));
    // Only the second favourites are trusted.
    EXPECT_EQ(List({"C", "B", "C", "C"}),
              (Texts{" 1- 2", " 2- 3", " 2- 4", " 2- 5", " 2- 6", " 2- 7", " 2- 8", " 1- 3", " 1- 4"}));
}

TEST_F(ListRecommendationsTest, ClearWinFavouriteGivesFourLinesInPlaceOrder) {
    EXPECT_EQ(List({"A", "D", "D", "D"}), (Texts{" 1- 2", " 1- 3", " 1- 4", " 1- 5"}));
}

TEST_F(ListRecommendationsTest, WinFavouriteThatIsAlsoPlaceFavouriteAddsTheFirstUnlistedPlacePartner) {
    // Runner 1 leads both pools; runner 3 is second in place.
    const std::vector<std::string> place = {"1", "3", "2", "4", "5", "6", "7", "8"};
    for (int i = 1; i <= 8; ++i) {
        h.sheet.SetText(Column::FukuPopular, i, place[static_cast<std::size_t>(i - 1)]);
    }
    EXPECT_EQ(List({"C", "C", "C", "C"}),
              (Texts{" 1- 2", " 1- 3", " 1- 4", " 1- 5", " 2- 3", " 3- 4", " 3- 5", " 1- 6", " 2- 4"}));
}

TEST_F(ListRecommendationsTest, OddsListsFollowEveryPairWhileARaceFileIsShown) {
    h.sheet.sOddsFileName = "/pat/Zo-x.jra";
    for (int a = 1; a <= 8; ++a) {
        for (int b = a + 1; b <= 8; ++b) {
            std::string tag = std::to_string(a) + std::to_string(b);
            h.sheet.tUmaOdds.Cells[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] =
                Cell("  " + tag + ".0", "    " + tag, "   " + tag + "9");
        }
    }
    EXPECT_EQ(List({"A", "D", "D", "D"}).size(), 4u);
    EXPECT_EQ(h.sheet.Items(SheetList::ResultUmaOdds), (Texts{"  12.0", "  13.0", "  14.0", "  15.0"}));
    EXPECT_EQ(h.sheet.Items(SheetList::ResultWideOdds),
              (Texts{"    12～   129", "    13～   139", "    14～   149", "    15～   159"}));
}

TEST_F(ListRecommendationsTest, MissingRanksListNothing) {
    for (int i = 1; i <= 8; ++i) {
        h.sheet.SetText(Column::TanPopular, i, "");
        h.sheet.SetText(Column::FukuPopular, i, "");
    }
    EXPECT_TRUE(List({"C", "D", "B", "B"}).empty());
    EXPECT_TRUE(h.messages.messages.empty());
}

} // namespace
} // namespace velmora
