#include "cli/backtest_command.h"

#include "backtest/backtest.h"
#include "backtest/backtest_arguments.h"
#include "common/text.h"
#include "settings/settings_ops.h"

namespace velmora::cli {
namespace {

constexpr const char* kUnreadableFolderText = "cannot read the folder: ";

} // namespace

int RunBacktestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       SettingsStore& settings) {
    BacktestArguments parsed = ParseBacktestArguments(args);
    if (!parsed.error.empty()) {
        err << "velmora-cli backtest: " << VisibleText(parsed.error) << '\n' << kBacktestUsage;
        return 2;
    }
    if (parsed.help) {
        out << kBacktestUsage;
        return 0;
    }
    std::string folder = parsed.hasFolder ? parsed.folder : GetPatFolder(settings);
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
    bool read = WriteBacktest(folder, parsed.format, BacktestOptionsFrom(settings), out, historyProblem);
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
