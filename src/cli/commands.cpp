#include "cli/commands.h"

#include "cli/backtest_command.h"
#include "cli/history_command.h"

#include "browser/file_list.h"
#include "cli/arguments.h"
#include "cli/hand_race.h"
#include "cli/report.h"
#include "cli/watch_command.h"
#include "common/text.h"
#include "engine/anomalies.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "settings/settings_ops.h"
#include "sheet/race_sheet.h"
#include "shell/sample_races.h"
#include "shell/services.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>

namespace velmora::cli {
namespace {

// A hand-typed race is at most 18 short lines; anything far larger is not one.
constexpr std::size_t kMaxHandInput = 1 << 20;

int ReportUsageError(CliContext& context, const std::string& reason) {
    context.err << "velmora-cli: " << VisibleText(reason) << "\n\n" << kUsage;
    return kExitUsage;
}

std::optional<std::string> ReadLimited(std::istream& in) {
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxHandInput) {
            return std::nullopt;
        }
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> ReadHandInput(const std::string& operand, CliContext& context) {
    if (operand == "-") {
        return ReadLimited(context.input);
    }
    std::ifstream file(operand, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return ReadLimited(file);
}

int Finish(CliContext& context, const std::string& output, const RecordingMessageSink& messages) {
    context.out << output;
    context.out.flush();
    return messages.messages.empty() ? kExitDone : kExitMessage;
}

// A race loaded from its files carries the anomaly marks of its odds.
bool ShowsAnomalies(CommandKind command) {
    return command == CommandKind::Load || command == CommandKind::Result;
}

std::string SheetJsonOf(const Invocation& invocation, const RaceSheet& sheet,
                        const RecordingMessageSink& messages, const SettingsStore& settings) {
    if (!ShowsAnomalies(invocation.command)) {
        return SheetJson(sheet, messages.messages);
    }
    AnomalyThresholds thresholds{GetRankGap(settings), GetQuinellaRatio(settings)};
    return SheetJson(sheet, messages.messages, thresholds);
}

int PrintSheet(CliContext& context, const Invocation& invocation, const RaceSheet& sheet,
               const RecordingMessageSink& messages) {
    std::string output = invocation.json ? SheetJsonOf(invocation, sheet, messages, context.settings)
                                         : SheetTable(sheet, messages.messages);
    return Finish(context, output, messages);
}

int RunSheetCommand(const Invocation& invocation, CliContext& context) {
    std::optional<HandRace> handRace;
    if (invocation.command == CommandKind::Calc) {
        std::optional<std::string> text = ReadHandInput(invocation.operand, context);
        if (!text) {
            return ReportUsageError(context, "cannot read the race rows from '" + invocation.operand + "'");
        }
        HandRaceParse parse = ParseHandRace(*text, invocation.runners);
        if (!parse.race) {
            return ReportUsageError(context, parse.error);
        }
        handRace = std::move(parse.race);
    }

    RecordingMessageSink messages;
    Services services{context.settings, messages, context.random, context.clock, context.remarks};
    RaceSheet sheet(context.settings);
    switch (invocation.command) {
    case CommandKind::Calc:
        FillSheetFromHandRace(sheet, *handRace);
        btnCalc_Click(sheet, services);
        break;
    case CommandKind::Load:
        UpdateFormFromSelection(sheet, services, invocation.operand);
        break;
    case CommandKind::Result:
        UpdateFormFromSelection(sheet, services, invocation.operand);
        cmdResult_Click(sheet, services);
        break;
    case CommandKind::Sample:
        ShowSampleRace(sheet, invocation.sample);
        btnCalc_Click(sheet, services);
        break;
    case CommandKind::List:
    case CommandKind::Watch:
        break;
    }
    return PrintSheet(context, invocation, sheet, messages);
}

// Every readable race is listed; each file left out is named on the error
// stream (and in the JSON), and like any message it makes the status 1.
int RunList(const Invocation& invocation, CliContext& context) {
    std::string folder = invocation.hasOperand ? invocation.operand : GetPatFolder(context.settings);
    RaceListing listing = ListRaceFiles(folder);
    RecordingMessageSink messages;
    if (listing.folder != FolderState::Ready) {
        messages.ShowMessage(std::string(PatFolderProblemText(listing.folder)), kReadFailedCaption,
                             MessageIcon::Critical);
    }
    for (const SkippedOddsFile& skipped : listing.skipped) {
        context.err << "velmora-cli list: skipped " << VisibleText(skipped.file) << ": "
                    << OddsFileFaultText(skipped.fault) << '\n';
    }
    std::string output = invocation.json ? ListJson(folder, listing.rows, messages.messages, listing.skipped)
                                         : ListTable(folder, listing.rows, messages.messages);
    int status = Finish(context, output, messages);
    return listing.skipped.empty() ? status : kExitMessage;
}

} // namespace

int RunCli(const std::vector<std::string>& args, CliContext& context) {
    // The back-test has options of its own; it takes every argument after its name.
    if (!args.empty() && args.front() == "backtest") {
        return RunBacktestCommand({args.begin() + 1, args.end()}, context.out, context.err, context.settings);
    }
    if (!args.empty() && args.front() == "history") {
        return RunHistoryCommand({args.begin() + 1, args.end()}, context.out, context.err, context.settings);
    }
    ParsedArguments parsed = ParseArguments(args);
    if (parsed.help) {
        context.out << kUsage;
        return kExitDone;
    }
    if (!parsed.invocation) {
        return ReportUsageError(context, parsed.error);
    }
    if (parsed.invocation->command == CommandKind::List) {
        return RunList(*parsed.invocation, context);
    }
    if (parsed.invocation->command == CommandKind::Watch) {
        return RunWatch(*parsed.invocation, context);
    }
    return RunSheetCommand(*parsed.invocation, context);
}

} // namespace velmora::cli
