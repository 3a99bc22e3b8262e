#pragma once

#include "history/history_store.h"

#include <functional>
#include <memory>
#include <string>

namespace velmora {

// The history as the front ends use it: the database is opened by the first
// version handed in, so commands that never read odds files leave no trace,
// and its trouble reaches `onProblem` once, after which the program goes on
// without a history.
class HistoryOnDemand : public OddsRecorder {
public:
    using ProblemSink = std::function<void(const std::string&)>;

    HistoryOnDemand(std::string databasePath, ProblemSink onProblem);

    RecordOutcome Record(const SeenFile& file) override;

    // The store once opened, for reading; null before the first version or
    // when it couldn't be opened.
    HistoryStore* store();

private:
    HistoryStore* Opened();
    void PassOnProblem();

    std::string path_;
    ProblemSink onProblem_;
    std::unique_ptr<HistoryStore> store_;
};

} // namespace velmora
