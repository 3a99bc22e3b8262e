#include "cli/report.h"
#include "common/display_width.h"
#include "json_reader.h"
#include "settings/settings_ops.h"
#include "shell/race_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace velmora::cli {
namespace {

using test::JsonValue;

const std::vector<std::string> kSheetKeys = {"meeting",   "race",        "runner_count",    "odds_file",
                                             "rows",      "grades",      "recommendations", "quinella_odds",
                                             "wide_odds", "race_result", "status",          "messages"};
const std::vector<std::string> kRowKeys = {
    "no",        "enabled",   "name",       "win_odds",   "win_rank",       "win_rate",        "place_min",
    "place_max", "place_avg", "place_rank", "place_rate", "win_rank_color", "place_rank_color"};

class ReportTest : public ::testing::Test {
protected:
    MemorySettingsStore settings;
    RaceSheet sheet{settings};

    void SetUp() override {
        SetPopularColor(settings, 1, 255);
        sheet.SetHorseNumText("9");
        sheet.SetKaisai("東京 第 5回  8日");
        sheet.SetRaceName("11R ジャパンカップ      ");
        sheet.sOddsFileName = "/pat/Zo-\"q\".jra";
        sheet.SetText(Column::HorseName, 1, "アグネス          ");
        sheet.SetText(Column::TanOdds, 1, "2.0");
        sheet.SetText(Column::TanPopular, 1, "1");
        sheet.SetText(Column::TanRatio, 1, "0.400");
        sheet.SetText(Column::FukuOddsMin, 1, "1.1");
        sheet.SetText(Column::FukuOddsMax, 1, "1.4");
        sheet.SetText(Column::FukuOdds, 1, "1.25");
        sheet.SetText(Column::FukuPopular, 1, "2");
        sheet.SetText(Column::FukuRatio, 1, "0.213");
        sheet.SetText(Column::TanOdds, 12, "ﾄﾘｹｼ");
        sheet.ColorPopularity();
        sheet.SetRank(1, "A");
        sheet.SetRank(4, "D");
        sheet.AddItem(SheetList::Result, " 1- 2◎");
        sheet.AddItem(SheetList::Result, " 1-12");
        sheet.AddItem(SheetList::ResultUmaOdds, "  12.3");
        sheet.AddItem(SheetList::ResultWideOdds, "  3.1 - 4.0");
        sheet.AddItem(SheetList::RaceResult, "競争成績");
        sheet.SetStatusText("ひとこと");
    }
};

TEST_F(ReportTest, SheetJsonHoldsEveryTextAsTheSheetHasIt) {
    std::vector<Message> messages = {{"ファイルの読み込みに失敗しました。", "えらー", MessageIcon::Critical},
                                     {"行を選んでちょ", "Velmora", MessageIcon::None}};
    std::string text = SheetJson(sheet, messages);
    ASSERT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1); // one line
    auto json = test::ParseJson(text);
    ASSERT_TRUE(json) << text;
    EXPECT_EQ(json->Keys(), kSheetKeys);
    EXPECT_EQ((*json)["meeting"].text, "東京 第 5回  8日");
    EXPECT_EQ((*json)["race"].text, "11R ジャパンカップ      ");
    EXPECT_EQ((*json)["runner_count"].number, 9);
    EXPECT_EQ((*json)["odds_file"].text, "/pat/Zo-\"q\".jra");

    const JsonValue& rows = (*json)["rows"];
    ASSERT_EQ(rows.items.size(), 18U);
    for (std::size_t i = 0; i < 18; ++i) {
        EXPECT_EQ(rows[i].Keys(), kRowKeys);
        EXPECT_EQ(rows[i]["no"].number, static_cast<double>(i + 1));
        EXPECT_EQ(rows[i]["enabled"].boolean, i < 9);
    }
    const JsonValue& first = rows[0];
    EXPECT_EQ(first["name"].text, "アグネス          ");
    EXPECT_EQ(first["win_odds"].text, "2.0");
    EXPECT_EQ(first["win_rank"].text, "1");
    EXPECT_EQ(first["win_rate"].text, "0.400");
    EXPECT_EQ(first["place_min"].text, "1.1");
    EXPECT_EQ(first["place_max"].text, "1.4");
    EXPECT_EQ(first["place_avg"].text, "1.25");
    EXPECT_EQ(first["place_rank"].text, "2");
    EXPECT_EQ(first["place_rate"].text, "0.213");
    EXPECT_EQ(first["win_rank_color"].number, 255);
    EXPECT_EQ(first["place_rank_color"].number, kWhite);
    EXPECT_EQ(rows[11]["win_odds"].text, "ﾄﾘｹｼ");
    EXPECT_EQ(rows[11]["win_rank"].text, "");

    EXPECT_EQ((*json)["grades"].Texts(), (std::vector<std::string>{"A", "", "", "D"}));
    EXPECT_EQ((*json)["recommendations"].Texts(), (std::vector<std::string>{" 1- 2◎", " 1-12"}));
    EXPECT_EQ((*json)["quinella_odds"].Texts(), (std::vector<std::string>{"  12.3"}));
    EXPECT_EQ((*json)["wide_odds"].Texts(), (std::vector<std::string>{"  3.1 - 4.0"}));
    EXPECT_EQ((*json)["race_result"].Texts(), (std::vector<std::string>{"競争成績"}));
    EXPECT_EQ((*json)["status"].text, "ひとこと");

    const JsonValue& shown = (*json)["messages"];
    ASSERT_EQ(shown.items.size(), 2U);
    EXPECT_EQ(shown[0].Keys(), (std::vector<std::string>{"text", "caption", "icon"}));
    EXPECT_EQ(shown[0]["text"].text, "ファイルの読み込みに失敗しました。");
    EXPECT_EQ(shown[0]["caption"].text, "えらー");
    EXPECT_EQ(shown[0]["icon"].text, "critical");
    EXPECT_EQ(shown[1]["icon"].text, "none");
}

TEST_F(ReportTest, ListJsonShape) {
    FileListRow row{"1", "東京", "第5回 8日", "10R", "ジャパンカップ", "16", "条件", "Zo-1.jra"};
    auto json = test::ParseJson(ListJson("/pat/", {row, row}, {}));
    ASSERT_TRUE(json);
    EXPECT_EQ(json->Keys(), (std::vector<std::string>{"folder", "rows", "messages"}));
    EXPECT_EQ((*json)["folder"].text, "/pat/");
    ASSERT_EQ((*json)["rows"].items.size(), 2U);
    const JsonValue& first = (*json)["rows"][0];
    EXPECT_EQ(first.Keys(), (std::vector<std::string>{"no", "course", "meeting", "race", "race_name",
                                                      "runners", "conditions", "file"}));
    EXPECT_EQ(first["no"].text, "1");
    EXPECT_EQ(first["meeting"].text, "第5回 8日");
    EXPECT_EQ(first["race_name"].text, "ジャパンカップ");
    EXPECT_TRUE((*json)["messages"].items.empty());
}

// The column where `needle` starts on screen, in the first line holding it.
std::size_t ScreenColumn(const std::string& table, const std::string& lineStart, const std::string& needle) {
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(lineStart, 0) == 0) {
            std::size_t at = line.find(needle);
            return at == std::string::npos ? std::string::npos : DisplayWidth(line.substr(0, at));
        }
    }
    return std::string::npos;
}

TEST_F(ReportTest, TablesLineUpFullWidthText) {
    std::string table = SheetTable(sheet, {{"行を選んでちょ", "Velmora", MessageIcon::None}});
    // The win-odds header and the odds of rows 1 and 2 end at the same screen column.
    std::size_t header = ScreenColumn(table, "馬番", "単ｵｯｽﾞ") + DisplayWidth("単ｵｯｽﾞ");
    std::size_t row1 = ScreenColumn(table, "   1", "2.0") + 3;
    EXPECT_EQ(header, row1);
    EXPECT_NE(table.find("[Velmora] 行を選んでちょ"), std::string::npos);
    EXPECT_EQ(table.find("ﾄﾘｹｼ"), std::string::npos); // rows past the runner count are not shown

    FileListRow a{"1", "東京  ", "第5回 8日", "10R", "ジャパンカップ      ", "16", "条件", "Zo-a.jra"};
    FileListRow b{"2", "ab  ", "第10回 12日", "9R", "x", " 9", "c", "Zo-b.jra"};
    std::string list = ListTable("/pat/", {a, b}, {});
    EXPECT_EQ(ScreenColumn(list, " 1", "Zo-a.jra"), ScreenColumn(list, " 2", "Zo-b.jra"));
    EXPECT_EQ(ScreenColumn(list, "No", "ﾌｧｲﾙ名"), ScreenColumn(list, " 1", "Zo-a.jra"));
}

TEST_F(ReportTest, TextOutputShowsNoControlCharacterButJsonKeepsThem) {
    const std::string hostile = "\x1B[41m\x1B]0;pwned\x07\xC2\x9B"
                                "2J";
    sheet.SetText(Column::HorseName, 1, "ア" + hostile);
    sheet.sOddsFileName = "/pat/Zo-\x1B\n.jra";
    sheet.SetStatusText("status\x1B");
    FileListRow row{"1", "東京", "第5回 8日", "10R", hostile, "16", "条件", "Zo-a\x1B\nb.jra"};
    const std::string texts[] = {SheetTable(sheet, {{"m\x1B", "c\x07", MessageIcon::None}}),
                                 ListTable("/pat\x1B/", {row}, {})};
    for (const std::string& text : texts) {
        for (char c : text) {
            auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE((byte >= 0x20 && byte != 0x7F) || c == '\n') << static_cast<int>(byte);
        }
        EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos);
    }
    // A newline in a name no longer breaks the table: the list is its header,
    // a blank line, the column captions and one row.
    EXPECT_EQ(std::count(texts[1].begin(), texts[1].end(), '\n'), 4);
    EXPECT_NE(texts[1].find("Zo-a??b.jra"), std::string::npos);
    // JSON escapes the same texts instead, and keeps them whole.
    auto json = test::ParseJson(ListJson("/pat/", {row}, {}));
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)["rows"][0]["file"].text, "Zo-a\x1B\nb.jra");
}

} // namespace
} // namespace velmora::cli
