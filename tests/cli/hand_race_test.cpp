#include "cli/hand_race.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

std::string Lines(int count, const std::string& line, const std::string& end = "\n") {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line + end;
    }
    return text;
}

TEST(HandRaceTest, FieldsAndLineEnds) {
    std::string text = "1.5\t1.1\t1.3\tアグネス\r\n"
                       "ﾄﾘｹｼ\r\n"
                       "\n"
                       " 2.0 \t\t 3.1\n"
                       "a\rb\t1\t2\tname with spaces  \r\n" +
                       Lines(3, "9.9\t2\t3") + "7.0";
    HandRaceParse parse = ParseHandRace(text, std::nullopt);
    ASSERT_TRUE(parse.race) << parse.error;
    const auto& rows = parse.race->rows;
    ASSERT_EQ(rows.size(), 9U);
    EXPECT_EQ(parse.race->runnerCount, 9);
    EXPECT_EQ(rows[0], (HandRow{"1.5", "1.1", "1.3", "アグネス"}));
    EXPECT_EQ(rows[1], (HandRow{"ﾄﾘｹｼ", "", "", ""}));
    EXPECT_EQ(rows[2], (HandRow{}));
    EXPECT_EQ(rows[3], (HandRow{" 2.0 ", "", " 3.1", ""}));
    EXPECT_EQ(rows[4], (HandRow{"a\rb", "1", "2", "name with spaces  "}));
    EXPECT_EQ(rows[8], (HandRow{"7.0", "", "", ""}));
}

TEST(HandRaceTest, TrailingBlankLinesAddNoRunner) {
    for (const char* tail : {"\n", "   \n", "\t \r\n\n", " "}) {
        HandRaceParse parse = ParseHandRace(Lines(8, "3.6\t1.5\t2.2") + tail, std::nullopt);
        ASSERT_TRUE(parse.race) << parse.error;
        EXPECT_EQ(parse.race->runnerCount, 8);
        EXPECT_EQ(parse.race->rows.size(), 8U);
    }
    // Between rows a blank line is still a runner without odds, as on the sheet.
    HandRaceParse gap = ParseHandRace(Lines(4, "3.6") + "\n" + Lines(4, "5.0") + "\n \n", std::nullopt);
    ASSERT_TRUE(gap.race) << gap.error;
    EXPECT_EQ(gap.race->runnerCount, 9);
    ASSERT_EQ(gap.race->rows.size(), 9U);
    EXPECT_EQ(gap.race->rows[4], HandRow{});
}

TEST(HandRaceTest, ByteOrderMarkIsNotPartOfRunner1sOdds) {
    HandRaceParse parse = ParseHandRace("\xEF\xBB\xBF" + Lines(8, "3.6\t1.5\t2.2"), std::nullopt);
    ASSERT_TRUE(parse.race) << parse.error;
    ASSERT_EQ(parse.race->rows.size(), 8U);
    EXPECT_EQ(parse.race->rows[0].winOdds, "3.6");
    // Only a mark at the very start is one; elsewhere it is text as typed.
    HandRaceParse later = ParseHandRace(Lines(1, "3.6") + "\xEF\xBB\xBF" + Lines(7, "3.6"), std::nullopt);
    ASSERT_TRUE(later.race) << later.error;
    EXPECT_EQ(later.race->rows[1].winOdds, "\xEF\xBB\xBF"
                                           "3.6");
}

TEST(HandRaceTest, RunnerCount) {
    struct Case {
        int lines;
        std::optional<int> runners;
        std::optional<int> count; // nothing: usage error
    };
    const Case cases[] = {
        {8, std::nullopt, 8},
        {18, std::nullopt, 18},
        {7, std::nullopt, std::nullopt},
        {0, std::nullopt, std::nullopt},
        {19, std::nullopt, std::nullopt},
        {19, 18, std::nullopt},
        {3, 10, 10},
        {12, 8, 8},
        {18, 9, 9},
    };
    for (const auto& c : cases) {
        HandRaceParse parse = ParseHandRace(Lines(c.lines, "2.0\t1.1\t1.5"), c.runners);
        if (!c.count) {
            EXPECT_FALSE(parse.race) << c.lines;
            EXPECT_FALSE(parse.error.empty());
            continue;
        }
        ASSERT_TRUE(parse.race) << c.lines << ": " << parse.error;
        EXPECT_EQ(parse.race->runnerCount, *c.count);
        EXPECT_EQ(parse.race->rows.size(), static_cast<std::size_t>(c.lines));
    }
}

TEST(HandRaceTest, RejectsRowsItCannotPlace) {
    EXPECT_FALSE(ParseHandRace(Lines(8, "1\t2\t3\tname\textra"), std::nullopt).race);
    EXPECT_FALSE(ParseHandRace(Lines(8, "1\t2\t3\tname\t"), std::nullopt).race);
    EXPECT_FALSE(ParseHandRace(Lines(8, "1\t2\t3\t\xff\xfe"), std::nullopt).race);
}

TEST(HandRaceTest, FillsTheSheetAsTyped) {
    MemorySettingsStore settings;
    RaceSheet sheet(settings);
    sheet.SetKaisai("old");
    sheet.sOddsFileName = "/pat/Zo-1.jra";
    HandRaceParse parse = ParseHandRace(Lines(12, " 3.5\t1.2\t1.9\tホース  "), 10);
    ASSERT_TRUE(parse.race);
    FillSheetFromHandRace(sheet, *parse.race);
    EXPECT_EQ(sheet.Kaisai(), "");
    EXPECT_EQ(sheet.sOddsFileName, "");
    EXPECT_EQ(sheet.GetRunnerCount(), 10);
    for (int row = 1; row <= 12; ++row) {
        EXPECT_EQ(sheet.Text(Column::TanOdds, row), " 3.5");
        EXPECT_EQ(sheet.Text(Column::FukuOddsMin, row), "1.2");
        EXPECT_EQ(sheet.Text(Column::FukuOddsMax, row), "1.9");
        EXPECT_EQ(sheet.Text(Column::HorseName, row), "ホース  ");
        EXPECT_EQ(sheet.IsEnabled(Column::TanOdds, row), row <= 10);
    }
    EXPECT_EQ(sheet.Text(Column::TanOdds, 13), "");
}

} // namespace
} // namespace velmora::cli
