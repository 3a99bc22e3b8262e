#include "ui/backtest_worker.h"

#include "backtest/backtest.h"
#include "browser/file_list.h"

#include <exception>
#include <utility>

namespace velmora {
namespace {

// Thrown from the visitor to leave RunBacktest at once; the back-test calls
// its visitor on this thread.
struct RunCancelled {};

class SignallingVisitor : public BacktestVisitor {
public:
    explicit SignallingVisitor(BacktestWorker& worker) : worker_(worker) {}

    void OnRace(const BacktestRace& race) override {
        StopIfCancelled();
        emit worker_.RaceDone(race);
    }
    void OnSkipped(const SkippedRace& skipped) override {
        StopIfCancelled();
        emit worker_.RaceSkipped(skipped);
    }

private:
    void StopIfCancelled() const {
        if (worker_.IsCancelled()) {
            throw RunCancelled{};
        }
    }

    BacktestWorker& worker_;
};

} // namespace

BacktestWorker::BacktestWorker(std::string folder) : folder_(std::move(folder)) {
    qRegisterMetaType<BacktestRace>();
    qRegisterMetaType<SkippedRace>();
}

void BacktestWorker::Run() {
    try {
        if (IsCancelled()) {
            throw RunCancelled{};
        }
        // Every odds file ends as a race or a skipped race, so this is the
        // length of the run.
        emit Counted(static_cast<int>(FindOddsFiles(folder_).size()));
        SignallingVisitor visitor(*this);
        if (!RunBacktest(folder_, visitor)) {
            emit Finished(false, QStringLiteral("フォルダを読み込めません。"));
            return;
        }
        // A cancel that came after the last race changes nothing: the run is whole.
        emit Finished(false, QString());
    } catch (const RunCancelled&) {
        emit Finished(true, QString());
    } catch (const std::exception& error) {
        emit Finished(false, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        emit Finished(false, QStringLiteral("unknown error"));
    }
}

} // namespace velmora
