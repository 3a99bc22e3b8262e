#include "ui/backtest_worker.h"

#include "browser/file_list.h"

#include <exception>
#include <utility>

namespace velmora {
namespace {

class SignallingVisitor : public BacktestVisitor {
public:
    explicit SignallingVisitor(BacktestWorker& worker) : worker_(worker) {}

    void OnRace(const BacktestRace& race) override { emit worker_.RaceDone(race); }
    void OnSkipped(const SkippedRace& skipped) override { emit worker_.RaceSkipped(skipped); }
    void OnHistoryProblem(const std::string& problem) override {
        emit worker_.HistoryProblem(QString::fromStdString(problem));
    }

private:
    BacktestWorker& worker_;
};

} // namespace

BacktestWorker::BacktestWorker(std::string folder, BacktestOptions options)
    : folder_(std::move(folder)), options_(std::move(options)) {
    qRegisterMetaType<BacktestRace>();
    qRegisterMetaType<SkippedRace>();
}

void BacktestWorker::Run() {
    if (IsCancelled()) {
        emit Finished(true, QString());
        return;
    }
    try {
        // Every odds file ends as a race or a skipped race, so this is the
        // length of the run.
        emit Counted(static_cast<int>(FindOddsFiles(folder_).size()));
        SignallingVisitor visitor(*this);
        switch (RunBacktest(folder_, visitor, stop_, options_)) {
        case BacktestEnd::Complete:
            emit Finished(false, QString());
            break;
        case BacktestEnd::Stopped:
            emit Finished(true, QString());
            break;
        case BacktestEnd::Unreadable:
            emit Finished(false, QStringLiteral("フォルダを読み込めません。"));
            break;
        }
    } catch (const std::exception& error) {
        // Running out of memory, say: the window reports it and stays usable.
        emit Finished(false, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        emit Finished(false, QStringLiteral("unknown error"));
    }
}

} // namespace velmora
