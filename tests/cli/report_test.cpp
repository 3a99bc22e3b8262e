#include "cli/report.h"
#include "common/display_width.h"
#include "common/json.h"
#include "settings/settings_ops.h"
#include "sheet/race_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace velmora::cli {
namespace {

std::vector<std::string> Keys(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& member : object.items()) {
        keys.push_back(member.key());
    }
    return keys;
}

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
    const Json json = Json::parse(text);
    EXPECT_EQ(Keys(json), kSheetKeys);
    EXPECT_EQ(json.at("meeting"), "東京 第 5回  8日");
    EXPECT_EQ(json.at("race"), "11R ジャパンカップ      ");
    EXPECT_EQ(json.at("runner_count"), 9);
    EXPECT_EQ(json.at("odds_file"), "/pat/Zo-\"q\".jra");

    const Json& rows = json.at("rows");
    ASSERT_EQ(rows.size(), 18U);
    for (std::size_t i = 0; i < 18; ++i) {
        EXPECT_EQ(Keys(rows.at(i)), kRowKeys);
        EXPECT_EQ(rows.at(i).at("no"), i + 1);
        EXPECT_EQ(rows.at(i).at("enabled"), i < 9);
    }
    const Json& first = rows.at(0);
    EXPECT_EQ(first.at("name"), "アグネス          ");
    EXPECT_EQ(first.at("win_odds"), "2.0");
    EXPECT_EQ(first.at("win_rank"), "1");
    EXPECT_EQ(first.at("win_rate"), "0.400");
    EXPECT_EQ(first.at("place_min"), "1.1");
    EXPECT_EQ(first.at("place_max"), "1.4");
    EXPECT_EQ(first.at("place_avg"), "1.25");
    EXPECT_EQ(first.at("place_rank"), "2");
    EXPECT_EQ(first.at("place_rate"), "0.213");
    EXPECT_EQ(first.at("win_rank_color"), 255);
    EXPECT_EQ(first.at("place_rank_color"), kWhite);
    EXPECT_EQ(rows.at(11).at("win_odds"), "ﾄﾘｹｼ");
    EXPECT_EQ(rows.at(11).at("win_rank"), "");

    using Texts = std::vector<std::string>;
    EXPECT_EQ(json.at("grades").get<Texts>(), (Texts{"A", "", "", "D"}));
    EXPECT_EQ(json.at("recommendations").get<Texts>(), (Texts{" 1- 2◎", " 1-12"}));
    EXPECT_EQ(json.at("quinella_odds").get<Texts>(), (Texts{"  12.3"}));
    EXPECT_EQ(json.at("wide_odds").get<Texts>(), (Texts{"  3.1 - 4.0"}));
    EXPECT_EQ(json.at("race_result").get<Texts>(), (Texts{"競争成績"}));
    EXPECT_EQ(json.at("status"), "ひとこと");

    const Json& shown = json.at("messages");
    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(Keys(shown.at(0)), (Texts{"text", "caption", "icon"}));
    EXPECT_EQ(shown.at(0).at("text"), "ファイルの読み込みに失敗しました。");
    EXPECT_EQ(shown.at(0).at("caption"), "えらー");
    EXPECT_EQ(shown.at(0).at("icon"), "critical");
    EXPECT_EQ(shown.at(1).at("icon"), "none");
}

TEST_F(ReportTest, ListJsonShape) {
    FileListRow row{"1", "東京", "第5回 8日", "10R", "ジャパンカップ", "16", "条件", "Zo-1.jra"};
    const Json json = Json::parse(ListJson("/pat/", {row, row}, {}));
    EXPECT_EQ(Keys(json), (std::vector<std::string>{"folder", "rows", "messages", "skipped"}));
    EXPECT_EQ(json.at("folder"), "/pat/");
    ASSERT_EQ(json.at("rows").size(), 2U);
    const Json& first = json.at("rows").at(0);
    EXPECT_EQ(Keys(first), (std::vector<std::string>{"no", "course", "meeting", "race", "race_name",
                                                     "runners", "conditions", "file"}));
    EXPECT_EQ(first.at("no"), "1");
    EXPECT_EQ(first.at("meeting"), "第5回 8日");
    EXPECT_EQ(first.at("race_name"), "ジャパンカップ");
    EXPECT_TRUE(json.at("messages").empty());
    EXPECT_TRUE(json.at("skipped").empty());
    const Json skipped = Json::parse(ListJson("/pat/", {}, {}, {{"Zo-2.jra", OddsFileFault::WrongFormat}}));
    EXPECT_EQ(Keys(skipped.at("skipped").at(0)), (std::vector<std::string>{"file", "reason"}));
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
    const Json json = Json::parse(ListJson("/pat/", {row}, {}));
    EXPECT_EQ(json["rows"][0]["file"], "Zo-a\x1B\nb.jra");
}

} // namespace
} // namespace velmora::cli
