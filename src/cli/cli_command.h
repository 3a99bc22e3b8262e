#pragma once

#include "cli/command_line.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

struct CliContext;

// One command of velmora-cli: what it accepts and how it runs with the
// arguments after its name.
struct CliCommand {
    const CommandSpec& spec;
    int (*run)(const std::vector<std::string>& args, CliContext& context);
};

// Every command, in the order the usage lists them.
const std::vector<CliCommand>& CliCommands();

// Reads a command's arguments by the common rule. For --help the usage goes to
// `out` (status 0); a usage error goes to `err` with the usage (status 2);
// nothing when the command should run with `parsed`.
std::optional<int> ReadArguments(const CommandSpec& spec, const std::vector<std::string>& args,
                                 std::ostream& out, std::ostream& err, ParsedCommand& parsed);

// Reports a usage error found after the arguments were read (a value out of range).
int ReportUsageError(const CommandSpec& spec, const std::string& reason, std::ostream& err);

// A whole number in [low, high] written with plain digits only.
std::optional<int> SmallNumber(std::string_view text, int low, int high);

// The commands, each in a file of its own.
extern const CliCommand kCalcCommand;
extern const CliCommand kLoadCommand;
extern const CliCommand kResultCommand;
extern const CliCommand kSampleCommand;
extern const CliCommand kListCommand;
extern const CliCommand kBacktestCommand;
extern const CliCommand kWatchCommand;
extern const CliCommand kHistoryCommand;

} // namespace velmora::cli
