#include "cli/history_command.h"

#include "cli/cli_command.h"
#include "cli/commands.h"
#include "common/clock.h"

#include "common/display_width.h"
#include "common/json.h"
#include "common/text.h"
#include "engine/movement.h"
#include "history/history_store.h"
#include "movement/version_figures.h"
#include "settings/settings_ops.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

namespace velmora::cli {
namespace {

constexpr const char* kPrefix = "velmora-cli history: ";
const CommandSpec kSpec{
    "history",
    "history [--json | --csv] ODDSFILE",
    "the versions of the race of an odds file held in\nthe history, and how each runner's support "
    "moved;\n--csv "
    "prints the movement table only",
    {{"json"}, {"csv"}},
    {"json", "csv"},
    "ODDSFILE",
};

// What the history holds of one race: its versions in file time order and how
// each runner's support moved from the first win/place version to the last.
struct RaceHistory {
    HeldRace race;
    std::vector<OddsVersion> versions;
    int firstVersion = 0; // indices into `versions`: win/place versions
    int lastVersion = 0;
    double factor = 0.0;
    std::vector<MovementRow> movement;
};

enum class HistoryFormat { Text, Json, Csv };

// Local date and time, as the user's clock shows it.
std::string TimeText(std::int64_t epochMs) {
    return FormatLocalTime(epochMs, "%Y-%m-%d %H:%M:%S", "----------- --:--:--");
}

std::string FileNameOf(const HeldRace& race, OddsFileKind kind) {
    return OddsFileNameOfKind(race.fileName, kind);
}

std::string Fixed(double value, const char* format) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

double Rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

// Only the first and last readable win/place versions make the table.
std::optional<RaceHistory> HistoryOf(HistoryStore& store, const HeldRace& race, double factor) {
    RaceHistory history;
    history.race = race;
    history.versions = store.Versions(race.id);
    history.factor = factor;
    const std::vector<FiguresAt> states = FiguresOfVersions(history.versions);
    if (states.empty()) {
        return std::nullopt;
    }
    history.firstVersion = states.front().version;
    history.lastVersion = states.back().version;
    history.movement = ComputeMovement(states.front().figures, states.back().figures, factor);
    return history;
}

std::string RaceTitle(const HeldRace& race) {
    return race.course + " " + std::to_string(race.meetingNo) + "回" + std::to_string(race.meetingDay) +
           "日 " + std::to_string(race.raceNo) + "R";
}

std::string OddsCell(double odds) {
    return odds > 0.0 ? Fixed(odds, "%.1f") : "-";
}

std::string SupportCell(double support) {
    return support > 0.0 ? Fixed(support * 100.0, "%.1f%%") : "-";
}

std::string ChangeCell(const SupportMove& move) {
    return move.change > 0.0 ? Fixed(move.change, "%.2f") : "-";
}

std::vector<std::string> MoveCells(const SupportMove& move) {
    return {OddsCell(move.firstOdds),     OddsCell(move.nowOdds), SupportCell(move.firstSupport),
            SupportCell(move.nowSupport), ChangeCell(move),       std::string(MoveMarkText(move.mark))};
}

std::string VersionsTable(const RaceHistory& history) {
    std::vector<std::vector<std::string>> cells{{"#", "seen", "file time", "file", ""}};
    for (std::size_t i = 0; i < history.versions.size(); ++i) {
        const OddsVersion& version = history.versions[i];
        std::string role = static_cast<int>(i) == history.firstVersion ? "first" : "";
        if (static_cast<int>(i) == history.lastVersion) {
            role += role.empty() ? "last" : ", last";
        }
        cells.push_back({std::to_string(i + 1), TimeText(version.seenMs), TimeText(version.modifiedMs),
                         VisibleText(FileNameOf(history.race, version.kind)), role});
    }
    return FormatTable(cells, {Align::Right, Align::Left, Align::Left, Align::Left, Align::Left});
}

std::string MovementTable(const RaceHistory& history) {
    std::vector<std::vector<std::string>> cells{{"no", "win first", "win now", "win% first", "win% now",
                                                 "change", "", "place first", "place now", "place% first",
                                                 "place% now", "change", ""}};
    for (const MovementRow& row : history.movement) {
        std::vector<std::string> line{std::to_string(row.no)};
        for (const SupportMove* move : {&row.win, &row.place}) {
            auto cellsOfMove = MoveCells(*move);
            line.insert(line.end(), cellsOfMove.begin(), cellsOfMove.end());
        }
        cells.push_back(std::move(line));
    }
    std::vector<Align> align(13, Align::Right);
    align[6] = Align::Left;
    align[12] = Align::Left;
    return FormatTable(cells, align);
}

Json MoveJson(const SupportMove& move) {
    return {{"odds_first", move.firstOdds},
            {"odds_now", move.nowOdds},
            {"support_first", Rounded(move.firstSupport, 1e5)},
            {"support_now", Rounded(move.nowSupport, 1e5)},
            {"change", Rounded(move.change, 1e4)},
            {"mark", JsonText(MoveMarkText(move.mark))}};
}

Json VersionJson(const RaceHistory& history, const OddsVersion& version) {
    return {{"file", JsonText(FileNameOf(history.race, version.kind))},
            {"kind", version.kind == OddsFileKind::WinPlace ? "win_place" : "quinella"},
            {"seen_ms", version.seenMs},
            {"modified_ms", version.modifiedMs}};
}

std::string CsvCell(double value, double scale) {
    return value > 0.0 ? DumpJson(Rounded(value, scale)) : "";
}

std::string CsvMove(const SupportMove& move) {
    return CsvCell(move.firstOdds, 10) + "," + CsvCell(move.nowOdds, 10) + "," +
           CsvCell(move.firstSupport, 1e5) + "," + CsvCell(move.nowSupport, 1e5) + "," +
           CsvCell(move.change, 1e4) + "," + std::string(MoveMarkText(move.mark));
}

int ShowNothing(std::ostream& err, const std::string& reason, const std::string& oddsFile) {
    err << kPrefix << reason << ": " << VisibleText(oddsFile) << '\n';
    return 1;
}

std::string HistoryText(const RaceHistory& history) {
    std::string out = VisibleText(RaceTitle(history.race)) + "  " + VisibleText(history.race.folder) + "\n\n";
    out += "versions held: " + std::to_string(history.versions.size()) + "\n";
    out += VersionsTable(history);
    out += "\nsupport moved from version " + std::to_string(history.firstVersion + 1) + " to version " +
           std::to_string(history.lastVersion + 1) + " (marked at a factor of " +
           Fixed(history.factor, "%.2f") + ")\n";
    out += MovementTable(history);
    return out;
}

std::string HistoryJson(const RaceHistory& history) {
    Json versions = Json::array();
    for (const OddsVersion& version : history.versions) {
        versions.push_back(VersionJson(history, version));
    }
    Json runners = Json::array();
    for (const MovementRow& row : history.movement) {
        runners.push_back({{"no", row.no}, {"win", MoveJson(row.win)}, {"place", MoveJson(row.place)}});
    }
    const HeldRace& race = history.race;
    Json root = {{"race",
                  {{"folder", JsonText(race.folder)},
                   {"file", JsonText(race.fileName)},
                   {"course", JsonText(race.course)},
                   {"meeting_no", race.meetingNo},
                   {"meeting_day", race.meetingDay},
                   {"race_no", race.raceNo}}},
                 {"move_factor", history.factor},
                 {"versions", std::move(versions)},
                 {"first_version", history.firstVersion + 1},
                 {"last_version", history.lastVersion + 1},
                 {"runners", std::move(runners)}};
    return DumpJson(root) + "\n";
}

std::string HistoryCsv(const RaceHistory& history) {
    std::string out = "no,win_odds_first,win_odds_now,win_support_first,win_support_now,win_change,win_mark,"
                      "place_odds_first,place_odds_now,place_support_first,place_support_now,place_change,"
                      "place_mark\n";
    for (const MovementRow& row : history.movement) {
        out += std::to_string(row.no) + "," + CsvMove(row.win) + "," + CsvMove(row.place) + "\n";
    }
    return out;
}

} // namespace

int RunHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const SettingsStore& settings, const std::string& historyPath) {
    ParsedCommand arguments;
    if (auto status = ReadArguments(kSpec, args, out, err, arguments)) {
        return *status;
    }
    const HistoryFormat format = arguments.Has("json")  ? HistoryFormat::Json
                                 : arguments.Has("csv") ? HistoryFormat::Csv
                                                        : HistoryFormat::Text;
    const std::string& oddsFile = *arguments.operand;
    if (!IsHeldFileName(oddsFile)) {
        return ShowNothing(err, "not an odds file (Zo-….jra or Uo-….jra)", oddsFile);
    }
    // Looking must leave no trace: a history not there yet is not started here.
    if (!HistoryFileExists(historyPath)) {
        return ShowNothing(err, "no history is held for this race", oddsFile);
    }
    HistoryStore::Options readOnly;
    readOnly.readOnly = true;
    HistoryStore store(historyPath, readOnly);
    if (auto problem = store.TakeProblem()) {
        err << kPrefix << VisibleLines(*problem) << '\n';
        return 1;
    }
    // The file's own time picks this year's race; a file gone since, its last one.
    const auto race = store.FindRace(oddsFile, FileModifiedMs(oddsFile));
    const auto history = race ? HistoryOf(store, *race, GetMoveFactor(settings)) : std::nullopt;
    // Rows left out, or a read that failed, are said beside what could be shown.
    const std::optional<std::string> problem = store.TakeProblem();
    if (problem) {
        err << kPrefix << VisibleLines(*problem) << '\n';
    }
    if (!history) {
        return problem ? 1
                       : ShowNothing(err,
                                     race ? "the history holds no readable odds for this race"
                                          : "no history is held for this race",
                                     oddsFile);
    }
    switch (format) {
    case HistoryFormat::Text:
        out << HistoryText(*history);
        break;
    case HistoryFormat::Json:
        out << HistoryJson(*history);
        break;
    case HistoryFormat::Csv:
        out << HistoryCsv(*history);
        break;
    }
    out.flush();
    return problem ? 1 : 0;
}

int RunHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const SettingsStore& settings) {
    return RunHistoryCommand(args, out, err, settings, DefaultHistoryPath());
}

namespace {

int RunHistory(const std::vector<std::string>& args, CliContext& context) {
    return RunHistoryCommand(args, context.out, context.err, context.settings);
}

} // namespace

const CliCommand kHistoryCommand{kSpec, RunHistory};

} // namespace velmora::cli
