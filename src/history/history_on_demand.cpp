#include "history/history_on_demand.h"

#include "common/save_target.h"

#include <filesystem>
#include <utility>

namespace velmora {

HistoryOnDemand::HistoryOnDemand(std::string databasePath, MessageSink onProblem)
    : HistoryOnDemand(std::move(databasePath), {}, std::move(onProblem), {}) {}

HistoryOnDemand::HistoryOnDemand(std::string databasePath, FolderSource patFolders, MessageSink onProblem,
                                 MessageSink onResumed)
    : path_(std::move(databasePath)), patFolders_(std::move(patFolders)), onProblem_(std::move(onProblem)),
      onResumed_(std::move(onResumed)) {}

RecordOutcome HistoryOnDemand::Record(const SeenFile& file) {
    const std::filesystem::path parent = std::filesystem::path(file.path).parent_path();
    const std::string folder = parent.empty() ? "." : parent.string();
    if (!store_ || !store_->IsAvailable()) {
        Open(folder);
    }
    RecordOutcome outcome = RecordOutcome::NotRecorded;
    if (store_->IsAvailable() && !LiesInRecordedFolder(folder)) {
        outcome = store_->Record(file);
    }
    PassOnProblem();
    const bool failed = !store_->IsAvailable();
    if (failing_ && !failed && outcome != RecordOutcome::NotRecorded) {
        store_->SetBusyTimeout(kBusyTimeoutMs);
        lastSaid_.clear();
        if (onResumed_) {
            onResumed_("オッズ履歴の記録を再開しました。");
        }
    }
    failing_ = failed || (failing_ && outcome == RecordOutcome::NotRecorded);
    return outcome;
}

HistoryStore* HistoryOnDemand::store() {
    return store_ && store_->IsAvailable() ? store_.get() : nullptr;
}

void HistoryOnDemand::Open(const std::string& folder) {
    HistoryStore::Options options;
    options.busyTimeoutMs = failing_ ? kRetryBusyTimeoutMs : kBusyTimeoutMs;
    if (patFolders_) {
        options.protectedFolders = patFolders_();
    }
    options.protectedFolders.push_back(folder);
    store_ = std::make_unique<HistoryStore>(path_, options);
    failing_ = failing_ || !store_->IsAvailable();
    checkedFolder_ = folder;
}

// Files come from whatever folder the user loads a race from; the database
// must not lie in any of them.
bool HistoryOnDemand::LiesInRecordedFolder(const std::string& folder) {
    if (folder == checkedFolder_) {
        return false;
    }
    if (LiesInOrBelow(store_->DatabaseFile(), folder)) {
        Say("オッズ履歴のデータベースが、オッズを読んだフォルダの中にあるため、このフォルダのオッズは記録しま"
            "せん。\n" +
            folder);
        return true;
    }
    checkedFolder_ = folder;
    return false;
}

void HistoryOnDemand::PassOnProblem() {
    if (auto problem = store_->TakeProblem()) {
        Say(*problem);
    }
}

// The same trouble met again, by every retry of an outage, is said once.
void HistoryOnDemand::Say(const std::string& text) {
    if (text == lastSaid_) {
        return;
    }
    lastSaid_ = text;
    if (onProblem_) {
        onProblem_(text);
    }
}

} // namespace velmora
