#include "cli/backtest_command.h"

#include "backtest/backtest_arguments.h"
#include "settings/settings_ops.h"

#include <filesystem>
#include <system_error>

namespace velmora::cli {

int RunBacktestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       SettingsStore& settings) {
    BacktestArguments parsed = ParseBacktestArguments(args);
    if (!parsed.error.empty()) {
        err << "velmora-cli backtest: " << parsed.error << '\n' << kBacktestUsage;
        return 2;
    }
    if (parsed.help) {
        out << kBacktestUsage;
        return 0;
    }
    std::string folder = parsed.hasFolder ? parsed.folder : GetPatFolder(settings);
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        err << "velmora-cli backtest: no such folder: " << folder << '\n';
        return 1;
    }
    WriteBacktest(folder, parsed.format, out);
    out.flush();
    return 0;
}

} // namespace velmora::cli
