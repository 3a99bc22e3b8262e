#include "cli/arguments.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmora::cli {

const std::string_view kUsage =
    "usage: velmora-cli <command> [options]\n"
    "\n"
    "commands:\n"
    "  calc [--json] [--runners N] FILE   compute a race typed as tab-separated rows\n"
    "                                     (win odds, place min, place max, name; - reads stdin)\n"
    "  load [--json] PATH                 load a win/place odds file and compute\n"
    "  result [--json] PATH               load, compute and show the race result\n"
    "  sample [--json] K                  compute test-data race K (1-3)\n"
    "  list [--json] [FOLDER]             list the races of a PAT folder (default: the\n"
    "                                     PAT folder of the settings)\n"
    "  backtest [--json | --csv [--bom]] [FOLDER]\n"
    "                                     back-test the recommendations over a PAT\n"
    "                                     folder: hit rates and returns; --bom starts\n"
    "                                     the CSV with a byte-order mark for Excel\n"
    "  watch [--json] [FOLDER]            follow a PAT folder: one line per new version\n"
    "                                     of a race's odds files, until SIGINT or SIGTERM\n"
    "  history [--json | --csv] ODDSFILE  the versions of the race of an odds file held in\n"
    "                                     the history, and how each runner's support moved;\n"
    "                                     --csv prints the movement table only\n"
    "  --version                          print the program's version\n"
    "\n"
    "exit status: 0 done, 1 the program showed a message, 2 usage error\n";

namespace {

constexpr int kMinRunners = 8;
constexpr int kMaxRunners = 18;

std::optional<CommandKind> CommandFromName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, CommandKind>, 6> kCommands = {{
        {"calc", CommandKind::Calc},
        {"load", CommandKind::Load},
        {"result", CommandKind::Result},
        {"sample", CommandKind::Sample},
        {"list", CommandKind::List},
        {"watch", CommandKind::Watch},
    }};
    for (const auto& [commandName, kind] : kCommands) {
        if (commandName == name) {
            return kind;
        }
    }
    return std::nullopt;
}

// A whole number in [low, high] written with plain digits only.
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

ParsedArguments Error(std::string message) {
    ParsedArguments parsed;
    parsed.error = std::move(message);
    return parsed;
}

bool IsHelp(std::string_view arg) {
    return arg == "-h" || arg == "--help";
}

std::string OperandName(CommandKind command) {
    switch (command) {
    case CommandKind::Calc:
        return "FILE";
    case CommandKind::Load:
    case CommandKind::Result:
        return "PATH";
    case CommandKind::Sample:
        return "K";
    case CommandKind::List:
    case CommandKind::Watch:
        return "FOLDER";
    }
    return "operand";
}

} // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
    if (args.empty()) {
        return Error("no command given");
    }
    if (IsHelp(args[0])) {
        ParsedArguments parsed;
        parsed.help = true;
        return parsed;
    }
    std::optional<CommandKind> command = CommandFromName(args[0]);
    if (!command) {
        return Error("unknown command '" + args[0] + "'");
    }
    Invocation invocation;
    invocation.command = *command;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (IsHelp(arg)) {
            ParsedArguments parsed;
            parsed.help = true;
            return parsed;
        } else if (arg == "--json") {
            invocation.json = true;
        } else if (*command == CommandKind::Calc && (arg == "--runners" || arg.starts_with("--runners="))) {
            if (invocation.runners) {
                return Error("--runners given twice");
            }
            std::string value;
            if (arg == "--runners") {
                if (i + 1 >= args.size()) {
                    return Error("--runners needs a number");
                }
                value = args[++i];
            } else {
                value = arg.substr(std::string_view("--runners=").size());
            }
            invocation.runners = SmallNumber(value, kMinRunners, kMaxRunners);
            if (!invocation.runners) {
                return Error("the runner count must be a number from 8 to 18, not '" + value + "'");
            }
        } else {
            return Error("unknown option '" + arg + "' for " + args[0]);
        }
    }
    bool operandOptional = *command == CommandKind::List || *command == CommandKind::Watch;
    if (operands.empty() && !operandOptional) {
        return Error(args[0] + " needs " + OperandName(*command));
    }
    if (operands.size() > 1) {
        return Error("too many operands for " + args[0]);
    }
    if (!operands.empty()) {
        invocation.operand = operands.front();
        invocation.hasOperand = true;
    }
    if (*command == CommandKind::Sample) {
        std::optional<int> sample = SmallNumber(invocation.operand, 1, 3);
        if (!sample) {
            return Error("the sample race must be 1, 2 or 3, not '" + invocation.operand + "'");
        }
        invocation.sample = *sample;
    }
    ParsedArguments parsed;
    parsed.invocation = invocation;
    return parsed;
}

} // namespace velmora::cli
