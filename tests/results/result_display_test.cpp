#include "results/result_display.h"

#include "engine/worked_pat_race.h"
#include "race/race_loader.h"
#include "shell/sample_races.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Texts = std::vector<std::string>;
using patfixture::Payoff;

std::string Spaces(std::size_t count) {
    return std::string(count, ' ');
}

class ResultDisplayTest : public ::testing::Test {
protected:
    ResultDisplayTest() {
        race = test::WorkedPatRace();
        race.result = patfixture::Result{};
        race.result->finishers = std::vector<patfixture::Finisher>{
            {"1", "3", "ウマ３", "1.34.5", "キシ"},
            {"2", "12", "アイウエオカキクケ", "1.34.7", "キシ"},
        };
        race.result->win = std::vector<Payoff>{{"3", "230"}};
        race.result->place = std::vector<Payoff>{{"3", "110"}, {"12", "1250"}};
        race.result->bracketQuinella = std::vector<Payoff>{{"2-6", "990"}};
        race.result->quinella = std::vector<Payoff>{{" 3- 5", "1230"}};
        race.result->wide =
            std::vector<Payoff>{{"3- 5", "450"}, {"3-12", "800"}, {"3-12", "800"}, {"3-5", "90"}};
    }

    // Writes the race's files and shows the sheet as loaded from them, with
    // the given recommendation lines.
    void ShowLoadedRace(const Texts& recommendations) {
        patfixture::WriteRaceFiles(race, dir.path());
        h.sheet.sOddsFileName = (dir.path() / patfixture::OddsFileName(race)).string();
        for (const auto& line : recommendations) {
            h.sheet.AddItem(SheetList::Result, line);
        }
    }

    patfixture::Race race;
    test::TempDir dir;
    test::EngineHarness h;
};

TEST_F(ResultDisplayTest, ShowsThirtyEightLinesOfFixedWidth) {
    ShowLoadedRace({});
    cmdResult_Click(h.sheet, h.services);

    Texts expected = {"競争成績", " 1 3ウマ３" + Spaces(15) + "1.34.5",
                      " 212アイウエオカキクケ" + Spaces(9) + "1.34.7"};
    for (int k = 3; k <= 7; ++k) {
        expected.push_back(Spaces(28));
    }
    expected.insert(expected.end(), {"単勝", " 3     230", Spaces(10), Spaces(10)});
    expected.insert(expected.end(), {"複勝", " 3     110", "12    1250", Spaces(10), Spaces(10), Spaces(10)});
    expected.insert(expected.end(), {"枠連", " 2-6     990", Spaces(12), Spaces(12)});
    expected.insert(expected.end(), {"馬連", "  3- 5    1230", Spaces(14), Spaces(14)});
    expected.insert(expected.end(),
                    {"ワイド", "  3- 5     450", "  3-12     800", "  3-12     800", "   3-5      90"});
    for (int k = 5; k <= 11; ++k) {
        expected.push_back(Spaces(14));
    }
    EXPECT_EQ(h.sheet.Items(SheetList::RaceResult), expected);
    EXPECT_EQ(h.sheet.Items(SheetList::RaceResult).size(), 38u);
    EXPECT_TRUE(h.sheet.Items(SheetList::Result).empty());
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(ResultDisplayTest, PaidPairsAreMarkedOnceAndAQuinellaHitOutranksAWideHit) {
    ShowLoadedRace({" 1- 3", " 3- 5", " 3-12", "10-12"});
    h.sheet.AddItem(SheetList::ResultUmaOdds, "  13.0");
    cmdResult_Click(h.sheet, h.services);
    const Texts marked = {" 1- 3", " 3- 5◎", " 3-12○", "10-12"};
    EXPECT_EQ(h.sheet.Items(SheetList::Result), marked);
    EXPECT_EQ(h.sheet.Items(SheetList::ResultUmaOdds), Texts{"  13.0"});

    // Pressing again rebuilds the result and marks nothing twice.
    const Texts shown = h.sheet.Items(SheetList::RaceResult);
    cmdResult_Click(h.sheet, h.services);
    EXPECT_EQ(h.sheet.Items(SheetList::Result), marked);
    EXPECT_EQ(h.sheet.Items(SheetList::RaceResult), shown);
}

TEST_F(ResultDisplayTest, KeysMatchThePairTextOnlyWithTheSameInnerSpaces) {
    struct Case {
        std::string key;
        Texts marked;
    };
    const std::vector<Case> cases = {
        {"3- 5", {" 3- 5○", " 3-12"}},  {"3-5", {" 3- 5", " 3-12"}},   {"3-12", {" 3- 5", " 3-12○"}},
        {"3-12 ", {" 3- 5", " 3-12○"}}, {"03-12", {" 3- 5", " 3-12"}}, {"12-3", {" 3- 5", " 3-12"}},
        {"", {" 3- 5", " 3-12"}},
    };
    for (const auto& c : cases) {
        test::TempDir folder;
        test::EngineHarness harness;
        race.result->quinella = std::vector<Payoff>{};
        race.result->wide = std::vector<Payoff>{{c.key, "100"}};
        patfixture::WriteRaceFiles(race, folder.path());
        harness.sheet.sOddsFileName = (folder.path() / patfixture::OddsFileName(race)).string();
        harness.sheet.AddItem(SheetList::Result, " 3- 5");
        harness.sheet.AddItem(SheetList::Result, " 3-12");
        cmdResult_Click(harness.sheet, harness.services);
        EXPECT_EQ(harness.sheet.Items(SheetList::Result), c.marked) << "key '" << c.key << "'";
    }
}

TEST_F(ResultDisplayTest, WithoutAResultFileNothingHappens) {
    race.result.reset();
    ShowLoadedRace({" 3- 5"});
    h.sheet.AddItem(SheetList::RaceResult, "kept");
    cmdResult_Click(h.sheet, h.services);
    EXPECT_EQ(h.sheet.Items(SheetList::RaceResult), Texts{"kept"});
    EXPECT_EQ(h.sheet.Items(SheetList::Result), Texts{" 3- 5"});
    EXPECT_TRUE(h.messages.messages.empty());

    // A sample race has no race file at all.
    mnuTestData1_Click(h.sheet);
    btnCalc_Click(h.sheet, h.services);
    const Texts listed = h.sheet.Items(SheetList::Result);
    cmdResult_Click(h.sheet, h.services);
    EXPECT_TRUE(h.sheet.Items(SheetList::RaceResult).empty());
    EXPECT_EQ(h.sheet.Items(SheetList::Result), listed);
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST_F(ResultDisplayTest, AShortResultFileIsReportedAndChangesNothing) {
    race.result.reset();
    ShowLoadedRace({" 3- 5"});
    patfixture::Race withResult = test::WorkedPatRace();
    withResult.result = patfixture::Result{};
    std::string bytes = patfixture::ResultFileBytes(withResult);
    ASSERT_EQ(bytes.size(), 687u);
    dir.Write(patfixture::ResultFileName(withResult), bytes.substr(0, 686));
    h.sheet.AddItem(SheetList::RaceResult, "kept");

    cmdResult_Click(h.sheet, h.services);
    EXPECT_EQ(h.messages.messages, (std::vector<Message>{{"ファイルの読み込みに失敗しました。", "えらー",
                                                          MessageIcon::Critical}}));
    EXPECT_EQ(h.sheet.Items(SheetList::RaceResult), Texts{"kept"});
    EXPECT_EQ(h.sheet.Items(SheetList::Result), Texts{" 3- 5"});
}

TEST_F(ResultDisplayTest, ALoadedRaceShowsWhichRecommendationsPaid) {
    race.result->quinella = std::vector<Payoff>{{" 1- 3", "640"}};
    race.result->wide = std::vector<Payoff>{{" 1- 3", "250"}, {" 3- 7", "1200"}, {" 1- 7", "3100"}};
    patfixture::WriteRaceFiles(race, dir.path());
    OpenOddsFile(h.sheet, h.services, (dir.path() / patfixture::OddsFileName(race)).string());
    cmdResult_Click(h.sheet, h.services);
    EXPECT_EQ(h.sheet.Items(SheetList::Result),
              (Texts{" 1- 3◎", " 2- 3", " 3- 4", " 3- 5", " 1- 2", " 2- 4", " 2- 5", " 3- 7○", " 1- 5"}));
    EXPECT_EQ(h.sheet.Items(SheetList::ResultUmaOdds).size(), 9u);

    // The next computation starts from clean lists.
    btnCalc_Click(h.sheet, h.services);
    ASSERT_FALSE(h.sheet.Items(SheetList::Result).empty());
    EXPECT_EQ(h.sheet.Items(SheetList::Result)[0], " 1- 3");
    EXPECT_TRUE(h.sheet.Items(SheetList::RaceResult).empty());
}

} // namespace
} // namespace velmora
