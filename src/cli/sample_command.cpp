#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/sheet_report.h"
#include "race/race_loader.h"
#include "sheet/race_sheet.h"
#include "shell/sample_races.h"
#include "shell/services.h"

namespace velmora::cli {
namespace {

const CommandSpec kSpec{
    "sample", "sample [--json] K", "compute test-data race K (1-3)", {{"json"}}, {}, "K",
};

int RunSample(const std::vector<std::string>& args, CliContext& context) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kSpec, args, context.out, context.err, parsed)) {
        return *status;
    }
    std::optional<int> sample = SmallNumber(*parsed.operand, 1, 3);
    if (!sample) {
        return ReportUsageError(kSpec, "the sample race must be 1, 2 or 3, not '" + *parsed.operand + "'",
                                context.err);
    }
    RecordingMessageSink messages;
    Services services{context.settings, messages, context.random, context.clock, context.remarks};
    RaceSheet sheet(context.settings);
    ShowSampleRace(sheet, *sample);
    btnCalc_Click(sheet, services);
    return PrintSheet(context, parsed.Has("json"), false, sheet, messages);
}

} // namespace

const CliCommand kSampleCommand{kSpec, RunSample};

} // namespace velmora::cli
