#include "cli/cli_command.h"
#include "cli/commands.h"
#include "cli/sheet_report.h"

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
    return LoadAndPrintRace(context, *parsed.operand, false, parsed.Has("json"));
}

} // namespace

const CliCommand kLoadCommand{kSpec, RunLoad};

} // namespace velmora::cli
