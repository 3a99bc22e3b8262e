#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// One option of a command: a flag ("--json") or one that takes a value
// ("--runners N" or "--runners=N").
struct OptionSpec {
    std::string_view name;           // without the dashes
    std::string_view valueName = {}; // empty: a flag
};

// What a command accepts, and the words its usage is written with.
struct CommandSpec {
    std::string_view name;
    std::string_view synopsis; // after "velmora-cli ": "calc [--json] [--runners N] FILE"
    std::string_view summary;  // one or more lines, each indented in the overview
    std::vector<OptionSpec> options;
    // Flags of which at most one may be given ("json", "csv").
    std::vector<std::string_view> exclusive;
    std::string_view operandName;
    bool operandRequired = true;
};

// The arguments after the command's name, read by the one rule every command
// follows: options before or after the operand, "--" ends the options, "-" is
// an operand (standard input), -h and --help ask for the usage.
struct ParsedCommand {
    bool help = false;
    std::string error; // a usage error, empty when the arguments are fine
    std::vector<std::string> flags;
    std::map<std::string, std::string> values;
    std::optional<std::string> operand;

    bool Has(std::string_view flag) const;
};

ParsedCommand ParseCommand(const CommandSpec& spec, const std::vector<std::string>& args);

// "usage: velmora-cli calc ..." and the summary, as help and usage errors print it.
std::string CommandUsage(const CommandSpec& spec);

} // namespace velmora::cli
