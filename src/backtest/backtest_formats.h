#pragma once

#include "backtest/backtest.h"

#include <ostream>
#include <string>
#include <vector>

namespace velmora {

enum class BacktestFormat { Report, Json, Csv, CsvWithByteOrderMark };

// Back-tests the folder and writes the result in the chosen form, streaming
// the races as they are done. False when the folder could not be listed.
bool WriteBacktest(const std::string& folder, BacktestFormat format, std::ostream& out);

// As above with a history and anomaly thresholds; why the history could not
// be read, if so, goes to `historyProblem`.
bool WriteBacktest(const std::string& folder, BacktestFormat format, const BacktestOptions& options,
                   std::ostream& out, std::string& historyProblem);

} // namespace velmora
