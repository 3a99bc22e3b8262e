#include "cli/report.h"

#include "cli/json_writer.h"
#include "common/display_width.h"
#include "common/text.h"
#include "shell/race_sheet.h"

#include <algorithm>

namespace velmora::cli {
namespace {

std::string_view IconName(MessageIcon icon) {
    return icon == MessageIcon::Critical ? "critical" : "none";
}

void WriteMessages(JsonWriter& json, const std::vector<Message>& messages) {
    json.Key("messages").BeginArray();
    for (const Message& message : messages) {
        json.BeginObject();
        json.Key("text").String(message.text);
        json.Key("caption").String(message.caption);
        json.Key("icon").String(IconName(message.icon));
        json.EndObject();
    }
    json.EndArray();
}

void WriteRunnerRow(JsonWriter& json, const RaceSheet& sheet, int row) {
    json.BeginObject();
    json.Key("no").Int(row);
    json.Key("enabled").Bool(sheet.IsEnabled(Column::TanOdds, row));
    json.Key("name").String(sheet.Text(Column::HorseName, row));
    json.Key("win_odds").String(sheet.Text(Column::TanOdds, row));
    json.Key("win_rank").String(sheet.Text(Column::TanPopular, row));
    json.Key("win_rate").String(sheet.Text(Column::TanRatio, row));
    json.Key("place_min").String(sheet.Text(Column::FukuOddsMin, row));
    json.Key("place_max").String(sheet.Text(Column::FukuOddsMax, row));
    json.Key("place_avg").String(sheet.Text(Column::FukuOdds, row));
    json.Key("place_rank").String(sheet.Text(Column::FukuPopular, row));
    json.Key("place_rate").String(sheet.Text(Column::FukuRatio, row));
    json.Key("win_rank_color").Int(sheet.Colors(Column::TanPopular, row).background);
    json.Key("place_rank_color").Int(sheet.Colors(Column::FukuPopular, row).background);
    json.EndObject();
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

} // namespace

std::string SheetJson(const RaceSheet& sheet, const std::vector<Message>& messages) {
    JsonWriter json;
    json.BeginObject();
    json.Key("meeting").String(sheet.Kaisai());
    json.Key("race").String(sheet.RaceName());
    json.Key("runner_count").Int(sheet.GetRunnerCount());
    json.Key("odds_file").String(sheet.sOddsFileName);
    json.Key("rows").BeginArray();
    for (int row = 1; row <= sheet.GetMaxRunners(); ++row) {
        WriteRunnerRow(json, sheet, row);
    }
    json.EndArray();
    json.Key("grades").BeginArray();
    for (int index = 1; index <= kRankCount; ++index) {
        json.String(sheet.Rank(index));
    }
    json.EndArray();
    json.Key("recommendations").StringArray(sheet.Items(SheetList::Result));
    json.Key("quinella_odds").StringArray(sheet.Items(SheetList::ResultUmaOdds));
    json.Key("wide_odds").StringArray(sheet.Items(SheetList::ResultWideOdds));
    json.Key("race_result").StringArray(sheet.Items(SheetList::RaceResult));
    json.Key("status").String(sheet.StatusText());
    WriteMessages(json, messages);
    json.EndObject();
    return json.Text() + "\n";
}

std::string ListJson(const std::string& folder, const std::vector<FileListRow>& rows,
                     const std::vector<Message>& messages) {
    JsonWriter json;
    json.BeginObject();
    json.Key("folder").String(folder);
    json.Key("rows").BeginArray();
    for (const FileListRow& row : rows) {
        json.BeginObject();
        json.Key("no").String(row.no);
        json.Key("course").String(row.course);
        json.Key("meeting").String(row.meeting);
        json.Key("race").String(row.race);
        json.Key("race_name").String(row.raceName);
        json.Key("runners").String(row.runners);
        json.Key("conditions").String(row.conditions);
        json.Key("file").String(row.file);
        json.EndObject();
    }
    json.EndArray();
    WriteMessages(json, messages);
    json.EndObject();
    return json.Text() + "\n";
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
