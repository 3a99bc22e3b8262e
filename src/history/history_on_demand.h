#pragma once

#include "history/history_store.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

// The history as the front ends use it. The database is opened by the first
// version handed in, so commands that never read odds files leave no trace.
// It is never written in or below a PAT folder: the ones the front end names,
// and the folder of every file recorded. Trouble is said once and never lasts
// longer than its cause: a history that failed is opened again with the next
// version, and its return is said too.
class HistoryOnDemand : public OddsRecorder {
public:
    using MessageSink = std::function<void(const std::string&)>;
    using FolderSource = std::function<std::vector<std::string>()>;

    HistoryOnDemand(std::string databasePath, MessageSink onProblem);
    // `patFolders` is asked each time the database is opened.
    HistoryOnDemand(std::string databasePath, FolderSource patFolders, MessageSink onProblem,
                    MessageSink onResumed);

    RecordOutcome Record(const SeenFile& file) override;

    // The store once opened, for reading; null before the first version or
    // while it can't be used.
    HistoryStore* store();

    // Waiting for a lock while the history is already failing would hold up
    // every version behind it; a short wait still catches a lock let go.
    static constexpr int kRetryBusyTimeoutMs = 200;
    static constexpr int kBusyTimeoutMs = 5000;

private:
    void Open(const std::string& folder);
    bool LiesInRecordedFolder(const std::string& folder);
    void PassOnProblem();
    void Say(const std::string& text);

    std::string path_;
    FolderSource patFolders_;
    MessageSink onProblem_;
    MessageSink onResumed_;
    std::unique_ptr<HistoryStore> store_;
    bool failing_ = false;
    std::string lastSaid_;
    std::string checkedFolder_; // the last folder known not to hold the database
};

} // namespace velmora
