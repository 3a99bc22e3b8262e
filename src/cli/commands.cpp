#include "cli/commands.h"

#include "cli/cli_command.h"
#include "common/text.h"

#include <algorithm>
#include <ostream>

namespace velmora::cli {
namespace {

constexpr std::size_t kSynopsisColumn = 37;

const CliCommand* FindCommand(std::string_view name) {
    for (const CliCommand& command : CliCommands()) {
        if (command.spec.name == name) {
            return &command;
        }
    }
    return nullptr;
}

// The summary's lines, the first beside the synopsis when it fits.
void AppendOverviewEntry(std::string& usage, std::string_view synopsis, std::string_view summary) {
    std::string line = "  " + std::string(synopsis);
    line = line.size() + 1 < kSynopsisColumn ? PadToWidth(line, kSynopsisColumn)
                                             : line + "\n" + std::string(kSynopsisColumn, ' ');
    usage += line;
    for (char c : summary) {
        usage += c;
        if (c == '\n') {
            usage += std::string(kSynopsisColumn, ' ');
        }
    }
    usage += '\n';
}

int ReportNoCommand(CliContext& context, const std::string& reason) {
    context.err << "velmora-cli: " << VisibleText(reason) << "\n\n" << OverviewUsage();
    return kExitUsage;
}

// "velmora-cli help [COMMAND]"
int RunHelp(const std::vector<std::string>& args, CliContext& context) {
    if (args.empty()) {
        context.out << OverviewUsage();
        return kExitDone;
    }
    const CliCommand* command = args.size() == 1 ? FindCommand(args.front()) : nullptr;
    if (command == nullptr) {
        return ReportNoCommand(context, args.size() == 1 ? "unknown command '" + args.front() + "'"
                                                         : "help takes one command");
    }
    context.out << CommandUsage(command->spec);
    return kExitDone;
}

} // namespace

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {kCalcCommand,   kLoadCommand,   kResultCommand,
                                                     kSampleCommand, kListCommand,   kBacktestCommand,
                                                     kWatchCommand,  kHistoryCommand};
    return commands;
}

std::string OverviewUsage() {
    std::string usage = "usage: velmora-cli COMMAND [OPTIONS]\n"
                        "       velmora-cli help COMMAND, or COMMAND --help: the usage of one command\n"
                        "\n"
                        "commands:\n";
    for (const CliCommand& command : CliCommands()) {
        AppendOverviewEntry(usage, command.spec.synopsis, command.spec.summary);
    }
    AppendOverviewEntry(usage, "--version", "print the program's version");
    usage += "\nexit status: 0 done, 1 the program showed a message, 2 usage error\n";
    return usage;
}

std::optional<int> ReadArguments(const CommandSpec& spec, const std::vector<std::string>& args,
                                 std::ostream& out, std::ostream& err, ParsedCommand& parsed) {
    parsed = ParseCommand(spec, args);
    if (!parsed.error.empty()) {
        return ReportUsageError(spec, parsed.error, err);
    }
    if (parsed.help) {
        out << CommandUsage(spec);
        return kExitDone;
    }
    return std::nullopt;
}

int ReportUsageError(const CommandSpec& spec, const std::string& reason, std::ostream& err) {
    err << "velmora-cli " << spec.name << ": " << VisibleText(reason) << '\n' << CommandUsage(spec);
    return kExitUsage;
}

std::optional<int> SmallNumber(std::string_view text, int low, int high) {
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

int RunCli(const std::vector<std::string>& args, CliContext& context) {
    if (args.empty()) {
        return ReportNoCommand(context, "no command given");
    }
    const std::string& name = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (name == "-h" || name == "--help") {
        context.out << OverviewUsage();
        return kExitDone;
    }
    if (name == "help") {
        return RunHelp(rest, context);
    }
    const CliCommand* command = FindCommand(name);
    if (command == nullptr) {
        return ReportNoCommand(context, "unknown command '" + name + "'");
    }
    return command->run(rest, context);
}

} // namespace velmora::cli
