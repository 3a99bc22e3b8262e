#include "backtest/backtest_output.h"

#include "backtest/csv_reader.h"
#include "common/json.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velmora {
namespace {

TEST(BacktestCsv, FieldsAreQuotedOnlyWhenNeeded) {
    struct Case {
        const char* text;
        const char* field;
    };
    for (Case c : {Case{"Zo-1.jra", "Zo-1.jra"}, Case{"", ""}, Case{" 3- 5", "\" 3- 5\""},
                   Case{"a,b", "\"a,b\""}, Case{"say \"hi\"", "\"say \"\"hi\"\"\""},
                   Case{"two\nlines", "\"two\nlines\""}, Case{"東京 第1回", "東京 第1回"}}) {
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
    }
}

TEST(BacktestReportText, DisplayWidthCountsWideCharactersTwice) {
    EXPECT_EQ(DisplayWidth("abc"), 3U);
    EXPECT_EQ(DisplayWidth("東京"), 4U);
    EXPECT_EQ(DisplayWidth("ﾄﾘｹｼ"), 4U);   // half-width katakana
    EXPECT_EQ(DisplayWidth("第１回"), 6U); // full-width digit
    EXPECT_EQ(DisplayWidth("～"), 2U);
}

BacktestRace AwkwardRace() {
    BacktestRace race;
    race.fileName = "Zo-a,\"b\".jra";
    race.course = "東京";
    race.meetingLine = "東京   第 5回  8日";
    race.raceLine = "11R ジャパン,カップ             ";
    race.runnerCount = 12;
    race.grades = {"C", "D", "B", "B"};
    race.hasQuinellaOdds = true;
    BacktestPair first;
    first.pair = " 3-12";
    first.first = 3;
    first.second = 12;
    first.quinellaOdds = "  12.3";
    first.wideOdds = "   3.1～   4.0";
    first.quinellaHit = true;
    first.quinellaReturn = 1230;
    BacktestPair second;
    second.pair = " 1- 3";
    second.first = 1;
    second.second = 3;
    second.refunded = true;
    race.pairs = {first, second};
    race.quinellaPayoffs = {{"3-12", 1230}};
    return race;
}

TEST(BacktestCsv, ParsesBackToThePairs) {
    std::ostringstream out;
    {
        CsvBacktestWriter writer(out);
        writer.OnRace(AwkwardRace());
        writer.OnSkipped({"Zo-x.jra", SkipReason::NoResultFile});
    }
    std::vector<std::vector<std::string>> records;
    ASSERT_TRUE(test::ParseCsv(out.str(), records)) << out.str();
    ASSERT_EQ(records.size(), 3U);
    const std::vector<std::string>& header = records[0];
    ASSERT_EQ(header.size(), 19U);
    EXPECT_EQ(header[6], "pair");
    EXPECT_EQ(header[17], "win1_support_movement");
    for (std::size_t k = 1; k < records.size(); ++k) {
        ASSERT_EQ(records[k].size(), header.size());
        EXPECT_EQ(records[k][0], "Zo-a,\"b\".jra");
        EXPECT_EQ(records[k][1], "東京");
        EXPECT_EQ(records[k][3], "11R ジャパン,カップ");
        EXPECT_EQ(records[k][5], "CDBB");
    }
    EXPECT_EQ(records[1][6], " 3-12");
    EXPECT_EQ(records[1][7], "3");
    EXPECT_EQ(records[1][8], "12");
    EXPECT_EQ(records[1][9], "12.3");
    EXPECT_EQ(records[1][10], "3.1");
    EXPECT_EQ(records[1][11], "4.0");
    EXPECT_EQ(records[1][13], "1");
    EXPECT_EQ(records[1][15], "1230");
    EXPECT_EQ(records[2][6], " 1- 3");
    EXPECT_EQ(records[2][12], "1");
    EXPECT_EQ(records[2][9], "");
    EXPECT_EQ(records[2][11], "");
}

TEST(BacktestJson, StreamsRacesThenSkippedThenFigures) {
    std::ostringstream out;
    JsonBacktestWriter writer(out, "/pat/");
    writer.OnSkipped({"Zo-bad.jra", SkipReason::WrongFormatOddsFile});
    writer.OnRace(AwkwardRace());
    writer.OnRace(AwkwardRace());
    writer.Finish();
    std::string json = out.str();
    EXPECT_EQ(json.rfind("{\"folder\":\"/pat/\",\"races\":[", 0), 0U) << json;
    EXPECT_NE(json.find("\"file\":\"Zo-a,\\\"b\\\".jra\""), std::string::npos);
    EXPECT_NE(json.find("\"pair\":\" 3-12\",\"first\":3,\"second\":12,\"quinella_odds\":\"  12.3\""),
              std::string::npos);
    EXPECT_NE(json.find("\"skipped\":[\n{\"file\":\"Zo-bad.jra\",\"reason\":\"wrong_format_odds_file\"}"),
              std::string::npos);
    EXPECT_NE(json.find("\"all\":{\"races\":2,\"pairs_bet\":2,\"pairs_refunded\":2"), std::string::npos);
    EXPECT_NE(json.find("\"wrong_format_odds_file\":1"), std::string::npos);
    // Nothing paid on the wide side, so its hit rate is a number and its
    // return rate 0; an empty group's rates are null.
    EXPECT_NE(json.find("\"8-10\":{\"races\":0,\"pairs_bet\":0,\"pairs_refunded\":0,\"races_any_hit\":0,"
                        "\"race_hit_rate\":null"),
              std::string::npos);
    const Json parsed = Json::parse(json, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << json;
    EXPECT_EQ(parsed.at("races").size(), 2U);
    EXPECT_EQ(parsed.at("skipped").size(), 1U);
    EXPECT_EQ(parsed.at("figures").at("all").at("quinella").at("return_rate"), 2 * 1230.0 / 200.0);
}

TEST(BacktestReportText, ShowsTotalsAndSkipReasons) {
    Figures figures;
    figures.Add(AwkwardRace());
    figures.AddSkipped(SkipReason::TooFewActiveRunners);
    std::ostringstream out;
    WriteTextReport(figures, "/pat/", out);
    std::string text = out.str();
    EXPECT_NE(text.find("Races used: 1, skipped: 1"), std::string::npos) << text;
    EXPECT_NE(text.find("fewer than 8 active runners: 1"), std::string::npos);
    EXPECT_NE(text.find("stake 100 yen, return 1230 yen, 回収率 1230.0%"), std::string::npos);
    EXPECT_NE(text.find("By grade pattern"), std::string::npos);
    EXPECT_NE(text.find("CDBB"), std::string::npos);
}

} // namespace
} // namespace velmora
