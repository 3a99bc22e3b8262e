#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/sheet_report.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

namespace velmora::cli {
namespace {

const CommandSpec kSpec{
    "result", "result [--json] PATH", "load, compute and show the race result", {{"json"}}, {}, "PATH",
};

int RunResult(const std::vector<std::string>& args, CliContext& context) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kSpec, args, context.out, context.err, parsed)) {
        return *status;
    }
    RecordingMessageSink messages;
    Services services{context.settings, messages, context.random, context.clock, context.remarks};
    RaceSheet sheet(context.settings);
    UpdateFormFromSelection(sheet, services, *parsed.operand);
    cmdResult_Click(sheet, services);
    return PrintSheet(context, parsed.Has("json"), true, sheet, messages);
}

} // namespace

const CliCommand kResultCommand{kSpec, RunResult};

} // namespace velmora::cli
