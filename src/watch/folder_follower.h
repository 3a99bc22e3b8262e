#pragma once

#include "common/clock.h"
#include "history/odds_recorder.h"
#include "watch/debounce_queue.h"
#include "watch/inotify.h"
#include "watch/odds_version.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace velmora {

// A new version of a race's odds file, as a watch reports it.
struct OddsChange {
    std::int64_t seenMs = 0;
    std::int64_t modifiedMs = 0;
    std::string file; // bare name
    OddsFileKind kind = OddsFileKind::WinPlace;
    // First seen since the watch started: there is nothing to compare with,
    // so no runners are named.
    bool isNew = false;
    // The race as the race list names it, padding trimmed.
    std::string course;
    std::string meeting; // "第1回 1日"
    std::string race;    // "11R"
    std::string raceName;
    // Runners whose odds moved: win or place odds, or for a quinella file
    // those of the pairs whose quinella odds moved.
    std::vector<int> runners;
    std::vector<std::pair<int, int>> pairs; // quinella files only
    // Whether the history holds this version: false when the recorder could
    // not keep it (history off, a failed write, a locked or full disk).
    bool recorded = false;
};

// Where a watch sends what it finds.
class WatchSink {
public:
    virtual ~WatchSink() = default;
    virtual void OnChange(const OddsChange& change) = 0;
    // Something the user should know that is not a change: the folder went
    // away or came back, a file that stays unreadable.
    virtual void OnNotice(const std::string& text) = 0;
    // True once changes can reach no one any more (the reader of the output
    // went away): the watch then records what is waiting and ends.
    virtual bool IsClosed() const { return false; }
};

// Follows one PAT folder with inotify. Every race odds file that is written,
// replaced by a rename or appears is read once its writes have settled,
// handed to the recorder, and reported when its bytes differ from the last
// version this watch has seen. While the folder is missing its nearest
// existing parent is watched, so that following resumes when it is back.
// A folder that is there but can't be watched (no permission, no inotify
// watches left) is tried again after a growing pause, and at once when
// something happens above it. Every trouble is told once through the sink.
//
// The owner waits on Fd() with poll(), for at most WaitTimeoutMs(), then calls
// TakeEvents() and HandleSettled(). Nothing is polled: with no file waiting to
// settle and no retry due the wait has no timeout.
class FolderFollower {
public:
    // How long a file must stay untouched before it is read.
    static constexpr std::int64_t kSettleMs = 300;
    // Reads of a file that stays incomplete without being written again
    // before it is given up (and reported once).
    static constexpr int kMaxRetries = 10;
    static constexpr std::uintmax_t kMaxFileBytes = kMaxOddsFileBytes;
    // The pause before watching a folder that can't be watched is tried
    // again: doubled after each failure, up to the longest.
    static constexpr std::int64_t kFirstRetryMs = 1000;
    static constexpr std::int64_t kLongestRetryMs = 30000;

    FolderFollower(const std::string& folder, OddsRecorder& recorder, const Clock& clock, WatchSink& sink);

    // Starts watching and records every race file in the folder now, without
    // reporting them. A folder that can't be watched yet is waited for. False,
    // with the reason in `error`, only when no folder can be watched at all.
    bool Start(std::string& error);

    int Fd() const { return inotify_.Fd(); }
    // Milliseconds until the next file settles or the next try to watch the
    // folder is due; -1 when there is neither.
    int WaitTimeoutMs() const;

    // Takes in the events queued now, without waiting.
    void TakeEvents();
    // Reads the files whose writes have settled by now, and tries to watch the
    // folder again when that is due.
    void HandleSettled();
    // Reads every waiting file at once, settled or not: for ending the watch
    // without losing a version that was just written.
    void HandleAllWaiting();

    const std::filesystem::path& Folder() const { return folder_; }
    // False while the folder is missing or can't be watched.
    bool IsFollowingFolder() const { return folderWatch_ >= 0; }
    std::size_t KnownFileCount() const { return versions_.size(); }
    // Versions seen since the start, the silent ones included, that the
    // history does not hold: refused each time they were handed in.
    std::size_t UnrecordedCount() const { return unrecorded_; }
    bool IsSinkClosed() const { return sink_.IsClosed(); }

private:
    enum class Look { Following, Missing, Unwatchable };
    struct KnownVersion {
        VersionFingerprint version;
        bool recorded = false;
    };

    Look Attach(std::string& reason);
    void LookAgain();
    void FollowAgain();
    void RecordAllSilently();
    void WaitToRetry(const std::string& reason);
    bool WatchNearestParent(std::string& error);
    void DropParentWatch();
    void LoseFolder();
    void OnFolderEvent(const FolderEvent& event);
    void OnEvent(const FolderEvent& event);
    void Rescan();
    void Touch(const std::string& name);
    void HandleFile(const std::string& name, bool report);
    void Keep(const std::string& name, OddsFileKind kind, ParsedOddsFile& parsed, const SeenFile& seen,
              bool report);
    void TellUnreadable(const std::string& name, const std::string& path);
    void Retry(const std::string& name, const std::string& reason);
    bool IsReadableSize(const std::string& name, const std::string& path);
    OddsChange MakeChange(const std::string& name, OddsFileKind kind, const SeenFile& seen,
                          const ParsedOddsFile& parsed, const VersionFingerprint* before) const;

    std::filesystem::path folder_;
    OddsRecorder& recorder_;
    const Clock& clock_;
    WatchSink& sink_;
    Inotify inotify_;
    int folderWatch_ = -1;
    int parentWatch_ = -1;
    // The reason last told for not watching the folder; empty again once it
    // is followed.
    std::string unwatchable_;
    std::optional<std::int64_t> retryAtMs_;
    std::int64_t retryDelayMs_ = kFirstRetryMs;
    DebounceQueue waiting_{kSettleMs};
    std::unordered_map<std::string, int> retries_;
    std::unordered_map<std::string, KnownVersion> versions_;
    // Files told to be unreadable, so that it is told once until they read.
    std::unordered_set<std::string> unreadable_;
    std::size_t unrecorded_ = 0;
};

} // namespace velmora
