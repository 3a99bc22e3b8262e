#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/sheet_report.h"
#include "race/race_loader.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

namespace velmora::cli {
namespace {

const CommandSpec kSpec{
    "load", "load [--json] PATH", "load a win/place odds file and compute", {{"json"}}, {}, "PATH",
};

int RunLoad(const std::vector<std::string>& args, CliContext& context) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kSpec, args, context.out, context.err, parsed)) {
        return *status;
    }
    RecordingMessageSink messages;
    Services services{context.settings, messages, context.random, context.clock, context.remarks};
    RaceSheet sheet(context.settings);
    UpdateFormFromSelection(sheet, services, *parsed.operand);
    return PrintSheet(context, parsed.Has("json"), true, sheet, messages);
}

} // namespace

const CliCommand kLoadCommand{kSpec, RunLoad};

} // namespace velmora::cli
