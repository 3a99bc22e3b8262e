#pragma once

#include "common/clock.h"
#include "common/random.h"
#include "history/odds_recorder.h"
#include "settings/settings_store.h"
#include "shell/remarks.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitMessage = 1;
inline constexpr int kExitUsage = 2;

// What a run of velmora-cli works with; main plugs in the real ones.
struct CliContext {
    SettingsStore& settings;
    const RemarkList& remarks;
    RandomSource& random;
    const Clock& clock;
    std::istream& input;
    std::ostream& out;
    std::ostream& err;
    // Takes every version of the odds files a command reads.
    OddsRecorder& recorder;
};

// Runs the command line (the arguments after the program name) and returns the
// exit status: 0 done, 1 the program showed a message, 2 usage error (reason on
// the error stream, nothing on the output).
int RunCli(const std::vector<std::string>& args, CliContext& context);

// Every command's synopsis and summary, and the exit statuses.
std::string OverviewUsage();

} // namespace velmora::cli
