#include "history/history_on_demand.h"

#include <utility>

namespace velmora {

HistoryOnDemand::HistoryOnDemand(std::string databasePath, ProblemSink onProblem)
    : path_(std::move(databasePath)), onProblem_(std::move(onProblem)) {}

RecordOutcome HistoryOnDemand::Record(const SeenFile& file) {
    HistoryStore* history = Opened();
    const RecordOutcome outcome = history->Record(file);
    PassOnProblem();
    return outcome;
}

HistoryStore* HistoryOnDemand::store() {
    return store_ && store_->IsAvailable() ? store_.get() : nullptr;
}

HistoryStore* HistoryOnDemand::Opened() {
    if (!store_) {
        store_ = std::make_unique<HistoryStore>(path_);
        PassOnProblem();
    }
    return store_.get();
}

void HistoryOnDemand::PassOnProblem() {
    if (auto problem = store_->TakeProblem(); problem && onProblem_) {
        onProblem_(*problem);
    }
}

} // namespace velmora
