#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/sheet_report.h"

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
    return LoadAndPrintRace(context, *parsed.operand, true, parsed.Has("json"));
}

} // namespace

const CliCommand kResultCommand{kSpec, RunResult};

} // namespace velmora::cli
