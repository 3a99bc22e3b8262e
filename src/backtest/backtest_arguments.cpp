#include "backtest/backtest_arguments.h"

#include "backtest/backtest.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"

namespace velmora {

BacktestArguments ParseBacktestArguments(const std::vector<std::string>& args) {
    BacktestArguments parsed;
    bool formatGiven = false;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            parsed.help = true;
        } else if (!optionsEnded && (arg == "--json" || arg == "--csv")) {
            BacktestFormat format = arg == "--json" ? BacktestFormat::Json : BacktestFormat::Csv;
            if (formatGiven && format != parsed.format) {
                parsed.error = "--json and --csv exclude each other";
                return parsed;
            }
            formatGiven = true;
            parsed.format = format;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            parsed.error = "unknown option " + arg;
            return parsed;
        } else if (parsed.hasFolder) {
            parsed.error = "more than one folder given";
            return parsed;
        } else if (arg.empty()) {
            parsed.error = "the folder is an empty text";
            return parsed;
        } else {
            parsed.folder = arg;
            parsed.hasFolder = true;
        }
    }
    return parsed;
}

bool WriteBacktest(const std::string& folder, BacktestFormat format, std::ostream& out) {
    switch (format) {
    case BacktestFormat::Csv: {
        CsvBacktestWriter writer(out);
        return RunBacktest(folder, writer);
    }
    case BacktestFormat::Json: {
        JsonBacktestWriter writer(out, folder);
        bool read = RunBacktest(folder, writer);
        writer.Finish();
        return read;
    }
    case BacktestFormat::Report: {
        BacktestTally tally;
        if (!RunBacktest(folder, tally)) {
            return false;
        }
        WriteTextReport(tally.RunFigures(), folder, out);
        return true;
    }
    }
    return false;
}

} // namespace velmora
