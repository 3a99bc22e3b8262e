#include "backtest/backtest_formats.h"

#include "backtest/backtest.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"

namespace velmora {

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
