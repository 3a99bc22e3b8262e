#include "cli/backtest_command.h"

#include "backtest/backtest.h"
#include "backtest/backtest_formats.h"
#include "cli/cli_command.h"
#include "cli/commands.h"
#include "common/text.h"
#include "settings/settings_ops.h"

namespace velmora::cli {
namespace {

constexpr const char* kUnreadableFolderText = "cannot read the folder: ";

const CommandSpec kSpec{
    "backtest",
    "backtest [--json | --csv [--bom]] [FOLDER]",
    "back-test the recommendations over a PAT\nfolder: hit rates and returns; --bom starts\nthe CSV with a "
    "byte-order mark for Excel",
    {{"json"}, {"csv"}, {"bom"}},
    {"json", "csv"},
    "FOLDER",
    false,
};

std::optional<BacktestFormat> FormatOf(const ParsedCommand& parsed) {
    if (parsed.Has("bom")) {
        return parsed.Has("csv") ? std::optional(BacktestFormat::CsvWithByteOrderMark) : std::nullopt;
    }
    if (parsed.Has("csv")) {
        return BacktestFormat::Csv;
    }
    return parsed.Has("json") ? BacktestFormat::Json : BacktestFormat::Report;
}

int RunBacktest(const std::vector<std::string>& args, CliContext& context) {
    return RunBacktestCommand(args, context.out, context.err, context.settings);
}

} // namespace

const CliCommand kBacktestCommand{kSpec, RunBacktest};

int RunBacktestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       SettingsStore& settings) {
    ParsedCommand parsed;
    if (auto status = ReadArguments(kSpec, args, out, err, parsed)) {
        return *status;
    }
    const std::optional<BacktestFormat> format = FormatOf(parsed);
    if (!format) {
        return ReportUsageError(kSpec, "--bom goes with --csv", err);
    }
    if (parsed.operand && parsed.operand->empty()) {
        return ReportUsageError(kSpec, "the folder is an empty text", err);
    }
    std::string folder = parsed.operand.value_or(GetPatFolder(settings));
    switch (CheckBacktestFolder(folder)) {
    case BacktestFolderState::Missing:
        err << "velmora-cli backtest: no such folder: " << VisibleText(folder) << '\n';
        return 1;
    case BacktestFolderState::Unreadable:
        err << "velmora-cli backtest: " << kUnreadableFolderText << VisibleText(folder) << '\n';
        return 1;
    case BacktestFolderState::Ready:
        break;
    }
    std::string historyProblem;
    bool read = WriteBacktest(folder, *format, BacktestOptionsFrom(settings), out, historyProblem);
    out.flush();
    if (!historyProblem.empty()) {
        err << "velmora-cli backtest: " << VisibleLines(historyProblem) << '\n';
    }
    if (!read) {
        err << "velmora-cli backtest: " << kUnreadableFolderText << VisibleText(folder) << '\n';
        return 1;
    }
    // The figures are whole, but the movement split went without the history.
    return historyProblem.empty() ? 0 : 1;
}

} // namespace velmora::cli
