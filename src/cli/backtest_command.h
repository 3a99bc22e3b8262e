#pragma once

#include "settings/settings_store.h"

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

// "velmora-cli backtest [--json | --csv [--bom]] [FOLDER]": back-tests the recommended
// pairs over every race of a PAT folder (the stored PAT folder by default).
// `args` are the arguments after the subcommand. Returns 0 when it ran, 1 when
// the folder is not there (reason on `err`), 2 for a usage error (reason on
// `err`, nothing on `out`).
int RunBacktestCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       SettingsStore& settings);

} // namespace velmora::cli
