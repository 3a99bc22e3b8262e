#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/hand_race.h"
#include "cli/sheet_report.h"
#include "race/race_loader.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

#include <fstream>
#include <istream>

namespace velmora::cli {
namespace {

const CommandSpec kSpec{
    "calc",
    "calc [--json] [--runners N] FILE",
    "compute a race typed as tab-separated rows\n(win odds, place min, place max, name; - reads stdin)",
    {{"json"}, {"runners", "N"}},
    {},
    "FILE",
};

// A hand-typed race is at most 18 short lines; anything far larger is not one.
constexpr std::size_t kMaxHandInput = 1 << 20;

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

int RunCalc(const std::vector<std::string>& args, CliContext& context) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kSpec, args, context.out, context.err, parsed)) {
        return *status;
    }
    std::optional<int> runners;
    if (auto value = parsed.values.find("runners"); value != parsed.values.end()) {
        runners = SmallNumber(value->second, 8, kMaxRunners);
        if (!runners) {
            return ReportUsageError(
                kSpec, "the runner count must be a number from 8 to 18, not '" + value->second + "'",
                context.err);
        }
    }
    std::optional<std::string> text = ReadHandInput(*parsed.operand, context);
    if (!text) {
        return ReportUsageError(kSpec, "cannot read the race rows from '" + *parsed.operand + "'",
                                context.err);
    }
    HandRaceParse hand = ParseHandRace(*text, runners);
    if (!hand.race) {
        return ReportUsageError(kSpec, hand.error, context.err);
    }
    RecordingMessageSink messages;
    Services services{context.settings, messages, context.random, context.clock, context.remarks};
    RaceSheet sheet(context.settings);
    FillSheetFromHandRace(sheet, *hand.race);
    btnCalc_Click(sheet, services);
    return PrintSheet(context, parsed.Has("json"), false, sheet, messages);
}

} // namespace

const CliCommand kCalcCommand{kSpec, RunCalc};

} // namespace velmora::cli
