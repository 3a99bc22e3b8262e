#include "cli/hand_race.h"

#include "common/utf8.h"
#include "sheet/race_sheet.h"

namespace velmora::cli {
namespace {

constexpr std::size_t kFieldCount = 4;
constexpr int kMinRunners = 8;

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    while (true) {
        std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

// Blank lines after the last row are an editor's leftovers, not runners
// without odds; a blank line between rows still is one.
void DropTrailingBlankLines(std::vector<std::string_view>& lines) {
    while (!lines.empty() && IsBlankLine(lines.back())) {
        lines.pop_back();
    }
}

// A byte-order mark some editors put first would glue itself to runner 1's odds.
std::string_view WithoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    return text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? text.substr(kByteOrderMark.size())
                                                                   : text;
}

HandRaceParse Error(std::string message) {
    HandRaceParse parse;
    parse.error = std::move(message);
    return parse;
}

} // namespace

HandRaceParse ParseHandRace(std::string_view text, std::optional<int> runners) {
    if (!IsValidUtf8(text)) {
        return Error("the input is not UTF-8 text");
    }
    std::vector<std::string_view> lines = SplitLines(WithoutByteOrderMark(text));
    DropTrailingBlankLines(lines);
    if (lines.size() > static_cast<std::size_t>(kMaxRunners)) {
        return Error("the input has " + std::to_string(lines.size()) + " lines; a race has at most 18 rows");
    }
    HandRace race;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string_view> fields = SplitFields(lines[i]);
        if (fields.size() > kFieldCount) {
            return Error("line " + std::to_string(i + 1) + " has more than 4 tab-separated fields");
        }
        fields.resize(kFieldCount);
        race.rows.push_back(
            {std::string(fields[0]), std::string(fields[1]), std::string(fields[2]), std::string(fields[3])});
    }
    race.runnerCount = runners.value_or(static_cast<int>(lines.size()));
    if (race.runnerCount < kMinRunners || race.runnerCount > kMaxRunners) {
        return Error("the runner count is " + std::to_string(race.runnerCount) + "; it must be 8 to 18");
    }
    HandRaceParse parse;
    parse.race = std::move(race);
    return parse;
}

void FillSheetFromHandRace(RaceSheet& sheet, const HandRace& race) {
    sheet.ClearSheet();
    sheet.SetHorseNumText(std::to_string(race.runnerCount));
    int row = 1;
    for (const HandRow& hand : race.rows) {
        sheet.SetText(Column::HorseName, row, hand.name);
        sheet.SetText(Column::TanOdds, row, hand.winOdds);
        sheet.SetText(Column::FukuOddsMin, row, hand.placeMin);
        sheet.SetText(Column::FukuOddsMax, row, hand.placeMax);
        ++row;
    }
}

} // namespace velmora::cli
