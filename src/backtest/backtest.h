#pragma once

#include "backtest/backtest_record.h"
#include "backtest/figures.h"
#include "engine/anomalies.h"
#include "settings/settings_ops.h"

#include <atomic>
#include <string>

namespace velmora {

// Back-tests every win/place odds file ("Zo-*.jra") of a PAT folder: each race
// is loaded, computed and checked against its result file as a user would do
// by hand, on a private sheet with no message shown and no settings touched.
// Files whose header can't be read are reported first (in name order), then
// the races in the file browser's order, each as soon as it is done, so that
// nothing of a race is kept once the visitor has seen it. Nothing is written
// into the folder. The visitor is called on the calling thread. False, with
// the visitor never called, when the folder can't be listed.
bool RunBacktest(const std::string& folder, BacktestVisitor& visitor);

enum class BacktestFolderState { Ready, Missing, Unreadable };

// Whether a back-test can list `folder`: missing (or not a folder), there but
// not readable (by the folder's own permissions or a parent's), or ready.
BacktestFolderState CheckBacktestFolder(const std::string& folder);

// Asks a run on another thread to end early. Set from any thread; the run
// looks at it before each race, so the race in hand is finished first and a
// visitor never sees half a race.
class StopFlag {
public:
    void Request() { requested_.store(true, std::memory_order_relaxed); }
    bool IsRequested() const { return requested_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> requested_{false};
};

enum class BacktestEnd { Complete, Stopped, Unreadable };

// What a run reads beyond the folder. The front ends fill it from the user's
// settings; the run itself touches no settings.
struct BacktestOptions {
    // The odds history the win-1 runner's movement is read from. It is only
    // read, and only when the file is there; empty for no history.
    std::string historyPath;
    AnomalyThresholds anomalyThresholds{kDefaultRankGap, kDefaultQuinellaRatio};
};

// The options of a front end: the user's anomaly thresholds and the history
// at its usual place.
BacktestOptions BacktestOptionsFrom(const SettingsStore& settings);

// As above, ending before the next race once `stop` is set. A stop that comes
// after the last race changes nothing: the run is complete. Unreadable, with
// the visitor never called, when the folder can't be listed.
BacktestEnd RunBacktest(const std::string& folder, BacktestVisitor& visitor, const StopFlag& stop);

// As above with a history and the given anomaly thresholds. The history is
// opened once, on the calling thread; one that can't be read is reported to
// the visitor, and every race then counts as having no history.
BacktestEnd RunBacktest(const std::string& folder, BacktestVisitor& visitor, const StopFlag& stop,
                        const BacktestOptions& options);

} // namespace velmora
