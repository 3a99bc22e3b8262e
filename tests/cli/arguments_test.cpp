#include "cli/arguments.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

using Args = std::vector<std::string>;

TEST(ArgumentsTest, AcceptedCommandLines) {
    struct Case {
        Args args;
        CommandKind command;
        bool json;
        std::optional<int> runners;
        std::string operand;
        bool hasOperand;
        int sample;
    };
    const Case cases[] = {
        {{"calc", "race.tsv"}, CommandKind::Calc, false, std::nullopt, "race.tsv", true, 0},
        {{"calc", "--json", "--runners", "12", "-"}, CommandKind::Calc, true, 12, "-", true, 0},
        {{"calc", "-", "--runners=8", "--json"}, CommandKind::Calc, true, 8, "-", true, 0},
        {{"calc", "--runners", "18", "--", "--json"}, CommandKind::Calc, false, 18, "--json", true, 0},
        {{"load", "/pat/Zo-1.jra", "--json"},
         CommandKind::Load,
         true,
         std::nullopt,
         "/pat/Zo-1.jra",
         true,
         0},
        {{"result", "Zo-1.jra"}, CommandKind::Result, false, std::nullopt, "Zo-1.jra", true, 0},
        {{"sample", "--json", "3"}, CommandKind::Sample, true, std::nullopt, "3", true, 3},
        {{"list"}, CommandKind::List, false, std::nullopt, "", false, 0},
        {{"list", "--json", "--json", "pat"}, CommandKind::List, true, std::nullopt, "pat", true, 0},
        {{"watch"}, CommandKind::Watch, false, std::nullopt, "", false, 0},
        {{"watch", "pat", "--json"}, CommandKind::Watch, true, std::nullopt, "pat", true, 0},
    };
    for (const auto& c : cases) {
        ParsedArguments parsed = ParseArguments(c.args);
        ASSERT_TRUE(parsed.invocation) << c.args[0] << ": " << parsed.error;
        EXPECT_FALSE(parsed.help);
        const Invocation& inv = *parsed.invocation;
        EXPECT_EQ(inv.command, c.command);
        EXPECT_EQ(inv.json, c.json) << c.args[0];
        EXPECT_EQ(inv.runners, c.runners) << c.args[0];
        EXPECT_EQ(inv.operand, c.operand);
        EXPECT_EQ(inv.hasOperand, c.hasOperand);
        EXPECT_EQ(inv.sample, c.sample);
    }
}

TEST(ArgumentsTest, UsageErrors) {
    const Args cases[] = {
        {},
        {"compute", "x"},
        {"calc"},
        {"calc", "a", "b"},
        {"calc", "--runners"},
        {"calc", "--runners", "7", "f"},
        {"calc", "--runners", "19", "f"},
        {"calc", "--runners=", "f"},
        {"calc", "--runners", "+9", "f"},
        {"calc", "--runners", "9", "--runners", "10", "f"},
        {"calc", "--verbose", "f"},
        {"load"},
        {"load", "--runners", "9", "p"},
        {"result", "p", "q"},
        {"sample"},
        {"sample", "0"},
        {"sample", "4"},
        {"sample", "1.0"},
        {"sample", " 1"},
        {"list", "a", "b"},
        {"list", "-x"},
        {"watch", "a", "b"},
        {"watch", "--runners", "9"},
        {"--json", "list"},
    };
    for (const auto& args : cases) {
        ParsedArguments parsed = ParseArguments(args);
        EXPECT_FALSE(parsed.invocation) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(parsed.help);
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(ArgumentsTest, HelpAnywhereBeforeTheEndOfOptions) {
    for (const Args& args : {Args{"-h"}, Args{"--help"}, Args{"calc", "--help"}, Args{"list", "x", "-h"}}) {
        EXPECT_TRUE(ParseArguments(args).help);
    }
    EXPECT_FALSE(ParseArguments({"load", "--", "--help"}).help);
}

} // namespace
} // namespace velmora::cli
