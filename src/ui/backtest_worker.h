#pragma once

#include "backtest/backtest.h"
#include "backtest/backtest_record.h"

#include <QMetaType>
#include <QObject>
#include <QString>

#include <string>

namespace velmora {

// Runs the back-test of one folder off the user-interface thread and hands
// every race over through queued signals, so the window stays responsive and
// no widget is touched from the worker. Cancel may be called from any thread;
// the run ends before its next race.
class BacktestWorker : public QObject {
    Q_OBJECT
public:
    BacktestWorker(std::string folder, BacktestOptions options);

    // Runs on the calling thread until the folder is done, failed or cancelled.
    void Run();
    void Cancel() { stop_.Request(); }
    bool IsCancelled() const { return stop_.IsRequested(); }

signals:
    // The number of win/place odds files, once they have been counted.
    void Counted(int total);
    void RaceDone(const velmora::BacktestRace& race);
    void RaceSkipped(const velmora::SkippedRace& skipped);
    // The odds history could not be read; the run goes on without it.
    void HistoryProblem(const QString& problem);
    // Always the last signal of a run; `failure` is empty unless it failed.
    void Finished(bool cancelled, const QString& failure);

private:
    std::string folder_;
    BacktestOptions options_;
    StopFlag stop_;
};

} // namespace velmora

Q_DECLARE_METATYPE(velmora::BacktestRace)
Q_DECLARE_METATYPE(velmora::SkippedRace)
