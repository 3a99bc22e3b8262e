#pragma once

#include "settings/settings_store.h"

#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

// "velmora-cli history [--json | --csv] ODDSFILE": the versions of the race of
// that odds (or quinella) file held in the history at `historyPath`, and the
// movement table. `args` are the arguments after the subcommand. Returns 0
// when shown, 1 when there is nothing to show (reason on `err`), 2 for a usage
// error. A history that doesn't exist yet is never created.
int RunHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const SettingsStore& settings, const std::string& historyPath);
// The same over the user's history.
int RunHistoryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const SettingsStore& settings);

} // namespace velmora::cli
