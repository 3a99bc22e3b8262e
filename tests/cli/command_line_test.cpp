#include "cli/command_line.h"
#include "cli/commands.h"
#include "support/manual_clock.h"

#include "history/odds_recorder.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velmora::cli {
namespace {

using Args = std::vector<std::string>;

const CommandSpec kSpec{
    "calc", "calc [--json] [--runners N] FILE", "", {{"json"}, {"csv"}, {"runners", "N"}}, {"json", "csv"},
    "FILE",
};

TEST(ParseCommand, OptionsStandAnywhereAndDashIsAnOperand) {
    struct Case {
        Args args;
        bool json;
        std::string runners;
        std::string operand;
    };
    for (const Case& c : std::vector<Case>{
             {{"race.tsv"}, false, "", "race.tsv"},
             {{"--json", "--runners", "12", "-"}, true, "12", "-"},
             {{"-", "--runners=8", "--json"}, true, "8", "-"},
             {{"--runners", "18", "--", "--json"}, false, "18", "--json"},
             {{"--json", "--json", "x"}, true, "", "x"},
             {{"-json", "x"}, true, "", "x"},
         }) {
        const ParsedCommand parsed = ParseCommand(kSpec, c.args);
        ASSERT_EQ(parsed.error, "") << testing::PrintToString(c.args);
        EXPECT_FALSE(parsed.help);
        EXPECT_EQ(parsed.Has("json"), c.json);
        EXPECT_EQ(parsed.values.count("runners") ? parsed.values.at("runners") : "", c.runners);
        EXPECT_EQ(parsed.operand, c.operand);
    }
}

TEST(ParseCommand, NamesTheFaultOfARefusedLine) {
    struct Case {
        Args args;
        std::string error;
    };
    for (const Case& c : std::vector<Case>{
             {{}, "calc needs FILE"},
             {{"a", "b"}, "too many operands for calc"},
             {{"--runners"}, "Missing value after '--runners'."},
             {{"--runners", "9", "--runners", "10", "f"}, "--runners given twice"},
             {{"--verbose", "f"}, "Unknown option 'verbose'."},
             {{"--json", "--csv", "f"}, "--json and --csv exclude each other"},
         }) {
        EXPECT_EQ(ParseCommand(kSpec, c.args).error, c.error) << testing::PrintToString(c.args);
    }
}

TEST(ParseCommand, FileNamesKeepEveryByteAndHelpEndsAtTheEndOfOptions) {
    const std::string name = "/pat/\xff\x83\x65-\xe9\xa6\xac.jra"; // CP932 and UTF-8 bytes mixed
    EXPECT_EQ(ParseCommand(kSpec, {name}).operand, name);
    EXPECT_EQ(ParseCommand(kSpec, {"--runners=\xef\xbc\x98", "f"}).values.at("runners"), "\xef\xbc\x98");
    for (const Args& args : {Args{"-h"}, Args{"--help"}, Args{"x", "-h"}, Args{"--help", "--nonsense"}}) {
        EXPECT_TRUE(ParseCommand(kSpec, args).help) << testing::PrintToString(args);
    }
    EXPECT_FALSE(ParseCommand(kSpec, {"--", "--help"}).help);
}

class CommandsTest : public ::testing::Test {
protected:
    struct Outcome {
        int code;
        std::string out;
        std::string err;
    };
    Outcome Run(const Args& args) {
        std::istringstream in;
        std::ostringstream out, err;
        CliContext context{settings, remarks, random, clock, in, out, err, recorder};
        const int code = RunCli(args, context);
        return {code, out.str(), err.str()};
    }

    MemorySettingsStore settings;
    RemarkList remarks;
    StandardRandomSource random;
    test::ManualClock clock;
    NullRecorder recorder;
};

// Every command reads its arguments by the same rule and answers a fault the same way.
TEST_F(CommandsTest, EveryUsageErrorIsStatusTwoWithTheCommandsUsageOnTheErrorStream) {
    for (const Args& args : std::vector<Args>{{"calc"},
                                              {"calc", "--runners", "7", "f"},
                                              {"calc", "--runners", "19", "f"},
                                              {"calc", "--runners=", "f"},
                                              {"calc", "--runners", "+9", "f"},
                                              {"load"},
                                              {"load", "--runners", "9", "p"},
                                              {"result", "p", "q"},
                                              {"sample"},
                                              {"sample", "0"},
                                              {"sample", "1.0"},
                                              {"sample", " 1"},
                                              {"list", "a", "b"},
                                              {"list", "-x"},
                                              {"watch", "a", "b"},
                                              {"watch", "--runners", "9"},
                                              {"backtest", "--json", "--csv"},
                                              {"backtest", "--bom"},
                                              {"backtest", "--json", "--bom"},
                                              {"backtest", "a", "b"},
                                              {"backtest", ""},
                                              {"history"},
                                              {"history", "--json", "--csv", "Zo-1.jra"}}) {
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.code, kExitUsage) << testing::PrintToString(args);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("velmora-cli " + args[0] + ": ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find("\nusage: velmora-cli " + args[0] + " "), std::string::npos)
            << outcome.err;
    }
    for (const Args& args : std::vector<Args>{{}, {"compute", "x"}, {"--json", "list"}, {"help", "bet"}}) {
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.code, kExitUsage);
        EXPECT_NE(outcome.err.find("\n\nusage: velmora-cli COMMAND"), std::string::npos) << outcome.err;
    }
}

TEST_F(CommandsTest, HelpOfACommandIsTheSameAskedEitherWay) {
    for (const char* name : {"calc", "load", "result", "sample", "list", "backtest", "watch", "history"}) {
        const Outcome asked = Run({"help", name});
        const Outcome flag = Run({name, "--help"});
        EXPECT_EQ(asked.code, kExitDone);
        EXPECT_EQ(flag.code, kExitDone);
        EXPECT_EQ(asked.out, flag.out);
        EXPECT_EQ(asked.out.rfind(std::string("usage: velmora-cli ") + name + " ", 0), 0u) << asked.out;
        EXPECT_NE(Run({"help"}).out.find(std::string("\n  ") + name + " "), std::string::npos) << name;
    }
}

} // namespace
} // namespace velmora::cli
