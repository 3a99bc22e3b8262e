#include "cli/report.h"

#include "common/display_width.h"
#include "common/json.h"
#include "common/text.h"
#include "engine/anomalies.h"
#include "sheet/race_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora::cli {
namespace {

std::string_view IconName(MessageIcon icon) {
    return icon == MessageIcon::Critical ? "critical" : "none";
}

Json MessagesJson(const std::vector<Message>& messages) {
    Json array = Json::array();
    for (const Message& message : messages) {
        array.push_back({{"text", JsonText(message.text)},
                         {"caption", JsonText(message.caption)},
                         {"icon", JsonText(IconName(message.icon))}});
    }
    return array;
}

Json TextsJson(const std::vector<std::string>& texts) {
    Json array = Json::array();
    for (const std::string& text : texts) {
        array.push_back(JsonText(text));
    }
    return array;
}

Json RunnerRowJson(const RaceSheet& sheet, int row) {
    return {{"no", row},
            {"enabled", sheet.IsEnabled(Column::TanOdds, row)},
            {"name", JsonText(sheet.Text(Column::HorseName, row))},
            {"win_odds", JsonText(sheet.Text(Column::TanOdds, row))},
            {"win_rank", JsonText(sheet.Text(Column::TanPopular, row))},
            {"win_rate", JsonText(sheet.Text(Column::TanRatio, row))},
            {"place_min", JsonText(sheet.Text(Column::FukuOddsMin, row))},
            {"place_max", JsonText(sheet.Text(Column::FukuOddsMax, row))},
            {"place_avg", JsonText(sheet.Text(Column::FukuOdds, row))},
            {"place_rank", JsonText(sheet.Text(Column::FukuPopular, row))},
            {"place_rate", JsonText(sheet.Text(Column::FukuRatio, row))},
            {"win_rank_color", sheet.Colors(Column::TanPopular, row).background},
            {"place_rank_color", sheet.Colors(Column::FukuPopular, row).background}};
}

// Shares and ratios to a few decimals: the last digits of a double say nothing here.
double Rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

// The pair text of the recommendations (" 3-12"), so a mark can be matched to a pair.
std::string PairText(int a, int b) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d-%2d", a, b);
    return text;
}

Json AnomaliesJson(const RaceSheet& sheet, const AnomalyThresholds& thresholds) {
    Anomalies anomalies = ComputeAnomalies(FiguresFromSheet(sheet), thresholds);
    Json runners = Json::array();
    for (const RankGap& gap : anomalies.rankGaps) {
        runners.push_back({{"no", gap.no}, {"win_rank", gap.winRank}, {"place_rank", gap.placeRank}});
    }
    Json pairs = Json::array();
    for (const PairShare& pair : anomalies.oversoldPairs) {
        pairs.push_back({{"pair", PairText(pair.a, pair.b)},
                         {"quinella_odds", pair.odds},
                         {"market_share", Rounded(pair.marketShare, 1e5)},
                         {"model_share", Rounded(pair.modelShare, 1e5)},
                         {"ratio", Rounded(pair.ratio, 1e3)}});
    }
    return {{"rank_gap", thresholds.rankGap},
            {"quinella_ratio", thresholds.quinellaRatio},
            {"rank_gaps", std::move(runners)},
            {"oversold_pairs", std::move(pairs)}};
}

// Trailing field padding only widens a terminal table.
std::string Trimmed(std::string_view text) {
    std::size_t last = text.find_last_not_of(' ');
    return std::string(last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1));
}

std::string MessageLines(const std::vector<Message>& messages) {
    std::string out;
    for (const Message& message : messages) {
        out += "[" + VisibleText(message.caption) + "] " + VisibleText(message.text) + "\n";
    }
    return out;
}

std::string TitleBlock(const RaceSheet& sheet) {
    std::vector<std::vector<std::string>> rows = {
        {"開催", Trimmed(sheet.Kaisai())},
        {"ﾚｰｽ", Trimmed(sheet.RaceName())},
        {"出走頭数", sheet.HorseNumText()},
    };
    if (!sheet.sOddsFileName.empty()) {
        rows.push_back({"ﾌｧｲﾙ", sheet.sOddsFileName});
    }
    return FormatTable(rows, {Align::Left, Align::Left});
}

std::string RunnerBlock(const RaceSheet& sheet) {
    std::vector<std::vector<std::string>> rows = {
        {"馬番", "馬名", "単ｵｯｽﾞ", "人気", "支持率", "複ｵｯｽﾞMin", "Max", "平均", "人気", "支持率"}};
    constexpr std::array kColumns = {Column::HorseName, Column::TanOdds,     Column::TanPopular,
                                     Column::TanRatio,  Column::FukuOddsMin, Column::FukuOddsMax,
                                     Column::FukuOdds,  Column::FukuPopular, Column::FukuRatio};
    for (int row = 1; row <= sheet.GetRunnerCount(); ++row) {
        std::vector<std::string> cells = {std::to_string(row)};
        for (Column column : kColumns) {
            cells.push_back(Trimmed(sheet.Text(column, row)));
        }
        rows.push_back(std::move(cells));
    }
    return FormatTable(rows, {Align::Right, Align::Left, Align::Right, Align::Right, Align::Right,
                              Align::Right, Align::Right, Align::Right, Align::Right, Align::Right});
}

std::string GradeBlock(const RaceSheet& sheet) {
    return FormatTable({{"単１信頼度", sheet.Rank(1), "単２信頼度", sheet.Rank(2), "複１信頼度",
                         sheet.Rank(3), "複２信頼度", sheet.Rank(4)}},
                       {});
}

std::string RecommendationBlock(const RaceSheet& sheet) {
    const auto& pairs = sheet.Items(SheetList::Result);
    const auto& quinella = sheet.Items(SheetList::ResultUmaOdds);
    const auto& wide = sheet.Items(SheetList::ResultWideOdds);
    std::size_t count = std::max({pairs.size(), quinella.size(), wide.size()});
    std::vector<std::vector<std::string>> rows = {{"推奨買い目", "馬連ｵｯｽﾞ", "ﾜｲﾄﾞｵｯｽﾞMin～Max"}};
    auto at = [](const std::vector<std::string>& list, std::size_t i) {
        return i < list.size() ? list[i] : std::string();
    };
    for (std::size_t i = 0; i < count; ++i) {
        rows.push_back({at(pairs, i), at(quinella, i), at(wide, i)});
    }
    return FormatTable(rows, {Align::Left, Align::Right, Align::Right});
}

std::string RaceResultBlock(const RaceSheet& sheet) {
    std::string out;
    for (const std::string& line : sheet.Items(SheetList::RaceResult)) {
        out += VisibleText(Trimmed(line)) + "\n";
    }
    return out;
}

Json SheetObject(const RaceSheet& sheet, const std::vector<Message>& messages) {
    Json rows = Json::array();
    for (int row = 1; row <= sheet.GetMaxRunners(); ++row) {
        rows.push_back(RunnerRowJson(sheet, row));
    }
    Json grades = Json::array();
    for (int index = 1; index <= kRankCount; ++index) {
        grades.push_back(JsonText(sheet.Rank(index)));
    }
    Json json = {{"meeting", JsonText(sheet.Kaisai())},
                 {"race", JsonText(sheet.RaceName())},
                 {"runner_count", sheet.GetRunnerCount()},
                 {"odds_file", JsonText(sheet.sOddsFileName)},
                 {"rows", std::move(rows)},
                 {"grades", std::move(grades)},
                 {"recommendations", TextsJson(sheet.Items(SheetList::Result))},
                 {"quinella_odds", TextsJson(sheet.Items(SheetList::ResultUmaOdds))},
                 {"wide_odds", TextsJson(sheet.Items(SheetList::ResultWideOdds))},
                 {"race_result", TextsJson(sheet.Items(SheetList::RaceResult))},
                 {"status", JsonText(sheet.StatusText())},
                 {"messages", MessagesJson(messages)}};
    return json;
}

} // namespace

std::string SheetJson(const RaceSheet& sheet, const std::vector<Message>& messages) {
    return DumpJson(SheetObject(sheet, messages)) + "\n";
}

std::string SheetJson(const RaceSheet& sheet, const std::vector<Message>& messages,
                      const AnomalyThresholds& thresholds) {
    Json json = SheetObject(sheet, messages);
    json["anomalies"] = AnomaliesJson(sheet, thresholds);
    return DumpJson(json) + "\n";
}

std::string ListJson(const std::string& folder, const std::vector<FileListRow>& rows,
                     const std::vector<Message>& messages, const std::vector<SkippedOddsFile>& skipped) {
    Json listed = Json::array();
    for (const FileListRow& row : rows) {
        listed.push_back({{"no", JsonText(row.no)},
                          {"course", JsonText(row.course)},
                          {"meeting", JsonText(row.meeting)},
                          {"race", JsonText(row.race)},
                          {"race_name", JsonText(row.raceName)},
                          {"runners", JsonText(row.runners)},
                          {"conditions", JsonText(row.conditions)},
                          {"file", JsonText(row.file)}});
    }
    Json left = Json::array();
    for (const SkippedOddsFile& file : skipped) {
        left.push_back({{"file", JsonText(file.file)}, {"reason", JsonText(OddsFileFaultKey(file.fault))}});
    }
    Json json = {{"folder", JsonText(folder)},
                 {"rows", std::move(listed)},
                 {"messages", MessagesJson(messages)},
                 {"skipped", std::move(left)}};
    return DumpJson(json) + "\n";
}

std::string SheetTable(const RaceSheet& sheet, const std::vector<Message>& messages) {
    std::string out = TitleBlock(sheet);
    out += "\n" + RunnerBlock(sheet);
    out += "\n" + GradeBlock(sheet);
    out += "\n" + RecommendationBlock(sheet);
    if (!sheet.Items(SheetList::RaceResult).empty()) {
        out += "\n" + RaceResultBlock(sheet);
    }
    out += "\n" + VisibleText(sheet.StatusText()) + "\n";
    if (!messages.empty()) {
        out += "\n" + MessageLines(messages);
    }
    return out;
}

std::string ListTable(const std::string& folder, const std::vector<FileListRow>& rows,
                      const std::vector<Message>& messages) {
    std::vector<std::vector<std::string>> cells;
    std::vector<std::string> header;
    for (const FileListColumn& column : FileListColumns()) {
        header.emplace_back(column.caption);
    }
    cells.push_back(std::move(header));
    for (const FileListRow& row : rows) {
        std::vector<std::string> line;
        for (int column = 0; column < kFileListColumnCount; ++column) {
            line.push_back(Trimmed(CellText(row, column)));
        }
        cells.push_back(std::move(line));
    }
    std::string out = VisibleText(folder) + "\n\n";
    out +=
        FormatTable(cells, {Align::Right, Align::Left, Align::Left, Align::Right, Align::Left, Align::Right});
    if (!messages.empty()) {
        out += "\n" + MessageLines(messages);
    }
    return out;
}

} // namespace velmora::cli
