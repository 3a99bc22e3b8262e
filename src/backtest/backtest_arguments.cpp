#include "backtest/backtest_arguments.h"

#include "backtest/backtest.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"

namespace velmora {

BacktestArguments ParseBacktestArguments(const std::vector<std::string>& args) {
    BacktestArguments parsed;
    bool formatGiven = false;
    bool optionsEnded = false;
    bool byteOrderMark = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--bom") {
            byteOrderMark = true;
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
    if (byteOrderMark && parsed.format != BacktestFormat::Csv) {
        parsed.error = "--bom goes with --csv";
    } else if (byteOrderMark) {
        parsed.format = BacktestFormat::CsvWithByteOrderMark;
    }
    return parsed;
}

namespace {

// Passes the races on to a writer and keeps the history's trouble apart, for
// the caller to show.
class ProblemKeeper : public BacktestVisitor {
public:
    ProblemKeeper(BacktestVisitor& writer, std::string& problem) : writer_(writer), problem_(problem) {}
    void OnRace(const BacktestRace& race) override { writer_.OnRace(race); }
    void OnSkipped(const SkippedRace& skipped) override { writer_.OnSkipped(skipped); }
    void OnHistoryProblem(const std::string& problem) override { problem_ = problem; }

private:
    BacktestVisitor& writer_;
    std::string& problem_;
};

bool Run(const std::string& folder, BacktestVisitor& writer, const BacktestOptions& options,
         std::string& historyProblem) {
    ProblemKeeper keeper(writer, historyProblem);
    StopFlag never;
    return RunBacktest(folder, keeper, never, options) != BacktestEnd::Unreadable;
}

} // namespace

bool WriteBacktest(const std::string& folder, BacktestFormat format, std::ostream& out) {
    std::string ignored;
    return WriteBacktest(folder, format, BacktestOptions{}, out, ignored);
}

bool WriteBacktest(const std::string& folder, BacktestFormat format, const BacktestOptions& options,
                   std::ostream& out, std::string& historyProblem) {
    switch (format) {
    case BacktestFormat::Csv:
    case BacktestFormat::CsvWithByteOrderMark: {
        CsvBacktestWriter writer(out, format == BacktestFormat::Csv ? ByteOrderMark::Without
                                                                    : ByteOrderMark::With);
        return Run(folder, writer, options, historyProblem);
    }
    case BacktestFormat::Json: {
        JsonBacktestWriter writer(out, folder);
        bool read = Run(folder, writer, options, historyProblem);
        writer.Finish();
        return read;
    }
    case BacktestFormat::Report: {
        BacktestTally tally;
        if (!Run(folder, tally, options, historyProblem)) {
            return false;
        }
        WriteTextReport(tally.RunFigures(), folder, out);
        return true;
    }
    }
    return false;
}

} // namespace velmora
