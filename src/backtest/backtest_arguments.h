#pragma once

#include "backtest/backtest.h"

#include <ostream>
#include <string>
#include <vector>

namespace velmora {

enum class BacktestFormat { Report, Json, Csv, CsvWithByteOrderMark };

// The arguments of "velmora-cli backtest [--json | --csv [--bom]] [FOLDER]".
struct BacktestArguments {
    BacktestFormat format = BacktestFormat::Report;
    std::string folder; // empty: the PAT folder of the settings
    bool hasFolder = false;
    bool help = false;
    std::string error; // a usage error, empty when the arguments are fine
};

inline constexpr const char* kBacktestUsage =
    "usage: velmora-cli backtest [--json | --csv [--bom]] [FOLDER]\n";

// Options may stand before or after the folder; "--" ends the options.
BacktestArguments ParseBacktestArguments(const std::vector<std::string>& args);

// Back-tests the folder and writes the result in the chosen form, streaming
// the races as they are done. False when the folder could not be listed.
bool WriteBacktest(const std::string& folder, BacktestFormat format, std::ostream& out);

// As above with a history and anomaly thresholds; why the history could not
// be read, if so, goes to `historyProblem`.
bool WriteBacktest(const std::string& folder, BacktestFormat format, const BacktestOptions& options,
                   std::ostream& out, std::string& historyProblem);

} // namespace velmora
