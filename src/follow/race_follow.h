#pragma once

#include "history/odds_recorder.h"
#include "race/race_loader.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class Clock;
class RaceSheet;
struct Services;

inline constexpr const char* kUpdatePendingText = "更新あり";
inline constexpr const char* kWatchStalledText = "監視停止中";

// What a settled change of the race's files came to.
enum class FollowStep {
    Nothing,    // not following, the files hold what the sheet shows, or they are gone
    Reloaded,   // the sheet shows the new version
    Pending,    // a new version arrived, but the user's edits were kept
    RetryLater, // a file looks half-written: ask again after the next pause
    Failed      // the new version can't be read; reported once, the sheet kept
};

// Follows the race on the sheet as the PAT software rewrites its odds files.
// Without a toolkit: the window watches the files and calls FilesSettled once
// the writes have paused; loading goes through the race loader, so the sheet
// and the messages are the same as when the user loads the race.
class RaceFollow {
public:
    // A half-written file is asked about this many times before it is reported.
    static constexpr int kRetryLimit = 3;

    RaceFollow(RaceSheet& sheet, Services& services, OddsRecorder& recorder, const Clock& clock);

    // Loads a race as the file browser does and follows it when it took.
    void LoadSelection(const std::string& oddsPath);
    // Loads a race as the file-open command does (a refused race leaves the
    // sheet as it was) and follows it when it took.
    void OpenFile(const std::string& oddsPath);
    // The sheet no longer shows a race from a file.
    void Forget();

    // Called once the writes in the race's folder have paused.
    FollowStep FilesSettled();
    // With automatic reloading off the files are still followed and every
    // version recorded, but a new one only shows "更新あり", as it does behind
    // the user's edits. Switching it on takes a waiting version unless the
    // sheet was edited.
    FollowStep SetAutoReload(bool on);
    bool AutoReload() const { return autoReload_; }
    // The user's reload (F5): overwrites edits, reports like a load.
    void Reload();

    // The odds file of the followed race; empty when none.
    const std::string& FollowedPath() const { return path_; }
    bool IsFollowing() const { return !path_.empty(); }
    // The folder and the two odds files a watcher should look at.
    std::string Folder() const;
    std::vector<std::string> WatchedFiles() const;

    bool UpdatePending() const { return pending_; }
    bool SheetEditedSinceLoad() const;
    // "監視停止中" while the files can't be watched, else "更新 HH:MM:SS" of
    // the last load, or "更新あり" while a new version waits; empty when
    // nothing is followed.
    std::string PanelText() const;

    // The window could not watch the race's folder or files (a folder it may
    // not read, no inotify watches left), so changes would pass unseen: the
    // panel says so until WatchWorks. Returns how long to wait before trying
    // again: 1 s after the first failure, doubled after each one up to 30 s.
    std::chrono::milliseconds WatchStalled();
    // The files are watched again, or need no watching.
    void WatchWorks();
    bool IsWatchStalled() const { return watchRetry_.count() > 0; }

private:
    using FileBytes = std::array<std::string, 2>;
    // The race's two odds files as read once: what is checked, shown and
    // recorded is this one version, whatever PAT writes meanwhile.
    struct FilesRead {
        std::optional<SeenFile> winPlace;
        std::optional<SeenFile> quinella;
        FileBytes Bytes() const;
        RaceOddsBytes OddsBytes() const;
    };

    FilesRead ReadFiles(const std::string& oddsPath) const;
    void Record(const FilesRead& files);
    void FollowWhatTheSheetShows(const std::string& oddsPath, const FilesRead& files);
    void AfterLoad(const FilesRead& files);
    bool FilesPresent() const;
    bool LoadsCleanly(const FilesRead& files) const;
    FollowStep TakeNewVersion(const FilesRead& files);
    FollowStep HalfWritten(const FilesRead& files);
    void ReloadSheet(const FilesRead& files);
    std::vector<std::string> InputTexts() const;

    RaceSheet& sheet_;
    Services& services_;
    OddsRecorder& recorder_;
    const Clock& clock_;

    std::string path_;
    FileBytes latestBytes_;  // the newest version that loaded, shown or pending
    FileBytes lastBadBytes_; // the last version that would not load
    std::vector<std::string> loadedInputs_;
    std::int64_t loadedAtMs_ = 0; // wall time
    bool pending_ = false;
    bool autoReload_ = true;
    bool failureReported_ = false;
    bool busy_ = false; // a message box may run the event loop under a reload
    int retries_ = 0;
    std::chrono::milliseconds watchRetry_{0}; // the last wait before a retry; 0 while watched
};

} // namespace velmora
