#pragma once

#include "backtest/backtest.h"
#include "backtest/backtest_record.h"
#include "backtest/figures.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// The figures of a back-test and the races it skipped, taken as they arrive:
// the one place where a race is counted, whichever output shows the result.
class BacktestTally : public BacktestVisitor {
public:
    void OnRace(const BacktestRace& race) override { figures_.Add(race); }
    void OnSkipped(const SkippedRace& skipped) override {
        figures_.AddSkipped(skipped.reason);
        skipped_.push_back(skipped);
    }
    void OnHistoryProblem(const std::string& problem) override { historyProblem_ = problem; }

    const Figures& RunFigures() const { return figures_; }
    const std::vector<SkippedRace>& Skipped() const { return skipped_; }
    // Odds files dealt with so far, used or skipped.
    std::int64_t FilesDone() const { return figures_.all.races + figures_.SkippedTotal(); }
    // Why the run went on without the odds history; empty when it had one or none was there.
    const std::string& HistoryProblem() const { return historyProblem_; }

private:
    Figures figures_;
    std::vector<SkippedRace> skipped_;
    std::string historyProblem_;
};

// One back-test run as the back-test window shows it: whether it goes on, how
// far it got, the races used in the order they arrived, the skipped ones and
// the figures. The window only mirrors it. The run itself goes on elsewhere
// and hands its races over one at a time.
class BacktestRun : public BacktestVisitor {
public:
    enum class State {
        Idle,     // no run yet
        Running,  // started; the files may not be counted yet
        Stopping, // asked to stop, the races in hand still arriving
        Complete, // went through the whole folder
        Stopped,
        Failed,
    };

    // Forgets the previous run.
    void Start(std::string folder);
    // The number of odds files, once counted.
    void SetTotal(int files);
    void OnRace(const BacktestRace& race) override;
    void OnSkipped(const SkippedRace& skipped) override { tally_.OnSkipped(skipped); }
    void OnHistoryProblem(const std::string& problem) override { tally_.OnHistoryProblem(problem); }
    // False unless a run is going on and not yet asked to stop.
    bool RequestStop();
    void Finish(BacktestEnd end);
    void Fail(std::string reason);

    State CurrentState() const { return state_; }
    bool IsRunning() const { return state_ == State::Running || state_ == State::Stopping; }
    bool IsCounted() const { return total_ >= 0; }
    int Done() const { return static_cast<int>(tally_.FilesDone()); }
    // The files counted, or more when the folder grew during the run.
    int Total() const { return std::max(total_, Done()); }
    // Only a whole run is worth saving, and only when it used a race.
    bool CanSave() const { return state_ == State::Complete && !races_.empty(); }

    const std::string& Folder() const { return folder_; }
    const std::string& Failure() const { return failure_; }
    const std::vector<BacktestRace>& Races() const { return races_; }
    const std::vector<SkippedRace>& Skipped() const { return tally_.Skipped(); }
    const Figures& RunFigures() const { return tally_.RunFigures(); }
    const std::string& HistoryProblem() const { return tally_.HistoryProblem(); }

private:
    State state_ = State::Idle;
    std::string folder_;
    std::string failure_;
    int total_ = -1;
    std::vector<BacktestRace> races_;
    BacktestTally tally_;
};

} // namespace velmora
