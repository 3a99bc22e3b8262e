#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

enum class CommandKind { Calc, Load, Result, Sample, List, Watch };

struct Invocation {
    CommandKind command = CommandKind::Calc;
    bool json = false;
    std::optional<int> runners; // calc --runners N
    std::string operand;        // FILE, PATH, K or FOLDER
    bool hasOperand = false;
    int sample = 0; // sample K, 1 ... 3
};

// What the command line asks for: a command to run, the usage text, or a usage
// error with its reason.
struct ParsedArguments {
    std::optional<Invocation> invocation;
    bool help = false;
    std::string error;
};

extern const std::string_view kUsage;

// Parses the arguments after the program name. Options may stand before or
// after the operand; "--" ends the options; "-" is an operand (standard input).
ParsedArguments ParseArguments(const std::vector<std::string>& args);

} // namespace velmora::cli
