#include "backtest/backtest_run.h"

#include <utility>

namespace velmora {

void BacktestRun::Start(std::string folder) {
    *this = BacktestRun{};
    folder_ = std::move(folder);
    state_ = State::Running;
}

void BacktestRun::SetTotal(int files) {
    total_ = std::max(files, 0);
}

void BacktestRun::OnRace(const BacktestRace& race) {
    tally_.OnRace(race);
    races_.push_back(race);
}

bool BacktestRun::RequestStop() {
    if (state_ != State::Running) {
        return false;
    }
    state_ = State::Stopping;
    return true;
}

void BacktestRun::Finish(BacktestEnd end) {
    // A stop asked for after the last race changes nothing: the run is whole.
    state_ = end == BacktestEnd::Complete ? State::Complete : State::Stopped;
}

void BacktestRun::Fail(std::string reason) {
    failure_ = std::move(reason);
    state_ = State::Failed;
}

} // namespace velmora
