#pragma once

#include "backtest/backtest_record.h"
#include "backtest/figures.h"

#include <string>
#include <vector>

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

// Everything a back-test found, kept in memory.
struct BacktestReport {
    std::vector<BacktestRace> races;
    std::vector<SkippedRace> skipped;
    Figures figures;
    bool folderRead = true;
};
BacktestReport CollectBacktest(const std::string& folder);

} // namespace velmora
