#include "watch/folder_follower.h"

#include "browser/file_list.h"
#include "common/folder_files.h"
#include "common/messages.h"
#include "common/text.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <system_error>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Writes in place end with close-after-write (IN_MODIFY restarts the wait while
// they go on); PAT's replacements arrive as moved-to; the folder itself may go.
// A changed mode may make an unreadable file readable.
constexpr std::uint32_t kFolderMask = IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_CREATE | IN_DELETE |
                                      IN_MOVED_FROM | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                      IN_EXCL_UNLINK;
// While the folder is missing or can't be watched: anything that may bring it,
// or a nearer parent, back, or make it readable.
constexpr std::uint32_t kParentMask =
    IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;
constexpr std::uint32_t kEntryGone = IN_DELETE | IN_MOVED_FROM;
// Slices of events taken per wake-up, so that a flood can't keep the loop from
// its stop signal.
constexpr int kSlicesPerWake = 16;
// Bounds the re-watching when the folder comes and goes while it is looked at.
constexpr int kMaxAttachAttempts = 64;

fs::path NormalFolder(const std::string& folder) {
    std::error_code error;
    fs::path path = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), error).lexically_normal();
    if (error) {
        path = fs::path(folder).lexically_normal();
    }
    if (!path.has_filename() && path.has_relative_path()) {
        path = path.parent_path();
    }
    return path;
}

bool IsMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool Exists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

// Why a file that is there can't be read, as far as can be told afterwards.
std::string ReadError(const std::string& path) {
    return access(path.c_str(), R_OK) != 0 ? std::strerror(errno) : "a read error";
}

} // namespace

FolderFollower::FolderFollower(const std::string& folder, OddsRecorder& recorder, const Clock& clock,
                               WatchSink& sink)
    : folder_(NormalFolder(folder)), recorder_(recorder), clock_(clock), sink_(sink) {}

bool FolderFollower::Start(std::string& error) {
    if (!inotify_.IsOpen()) {
        error = std::string("cannot watch folders: ") + std::strerror(inotify_.OpenError());
        return false;
    }
    std::string reason;
    const Look look = Attach(reason);
    if (look == Look::Following) {
        RecordAllSilently();
    } else if (look == Look::Unwatchable) {
        WaitToRetry(reason);
    }
    return true;
}

// On start every file is recorded at once, and only a later version is
// reported.
void FolderFollower::RecordAllSilently() {
    for (const std::string& name : ListFolderFiles(folder_.string(), [](std::string_view name) {
                                       return OddsFileKindOf(name).has_value();
                                   }).names) {
        HandleFile(name, false);
    }
}

// Watches the folder when it is there, else its nearest existing parent. The
// folder may appear between the two looks, so the first look is repeated once
// the parent is watched. A folder that is there but refuses a watch gets its
// parent watched all the same: a change of its mode then brings a look at once.
FolderFollower::Look FolderFollower::Attach(std::string& reason) {
    for (int attempt = 0; attempt < kMaxAttachAttempts; ++attempt) {
        const int watch = inotify_.AddWatch(folder_.string(), kFolderMask);
        if (watch >= 0) {
            folderWatch_ = watch;
            DropParentWatch();
            return Look::Following;
        }
        const int error = errno;
        if (!IsMissing(error)) {
            reason = "cannot watch " + folder_.string() + ": " + std::strerror(error);
            std::string ignored;
            WatchNearestParent(ignored);
            return Look::Unwatchable;
        }
        if (!WatchNearestParent(reason)) {
            return Look::Unwatchable;
        }
        if (!IsDirectory(folder_)) {
            return Look::Missing;
        }
    }
    reason = "cannot watch " + folder_.string() + ": it keeps coming and going";
    return Look::Unwatchable;
}

void FolderFollower::LookAgain() {
    if (folderWatch_ >= 0) {
        return;
    }
    std::string reason;
    switch (Attach(reason)) {
    case Look::Following:
        FollowAgain();
        break;
    case Look::Missing:
        retryAtMs_.reset(); // its parent is watched: its return is an event
        break;
    case Look::Unwatchable:
        WaitToRetry(reason);
        break;
    }
}

// Files may have been written while the folder was not watched: all are looked at.
void FolderFollower::FollowAgain() {
    retryAtMs_.reset();
    retryDelayMs_ = kFirstRetryMs;
    const char* what = unwatchable_.empty() ? "the folder is back: " : "the folder can be watched again: ";
    unwatchable_.clear();
    sink_.OnNotice(what + folder_.string());
    Rescan();
}

void FolderFollower::WaitToRetry(const std::string& reason) {
    if (reason != unwatchable_) {
        unwatchable_ = reason;
        sink_.OnNotice(reason + "; trying again until it can be watched");
    }
    const std::int64_t now = clock_.SteadyMs();
    // A try that an event brought early leaves the pending one as it is.
    if (retryAtMs_ && *retryAtMs_ > now) {
        return;
    }
    retryAtMs_ = now + retryDelayMs_;
    retryDelayMs_ = std::min(retryDelayMs_ * 2, kLongestRetryMs);
}

bool FolderFollower::WatchNearestParent(std::string& error) {
    fs::path parent = folder_.parent_path();
    for (int attempt = 0; attempt < kMaxAttachAttempts; ++attempt) {
        while (!IsDirectory(parent) && parent.has_relative_path()) {
            parent = parent.parent_path();
        }
        const int watch = inotify_.AddWatch(parent.string(), kParentMask);
        if (watch >= 0) {
            if (parentWatch_ != watch) {
                DropParentWatch();
            }
            parentWatch_ = watch;
            return true;
        }
        if (!IsMissing(errno)) {
            error = "cannot watch " + parent.string() + ": " + std::strerror(errno);
            return false;
        }
    }
    error = "cannot watch any folder above " + folder_.string();
    return false;
}

void FolderFollower::DropParentWatch() {
    inotify_.RemoveWatch(parentWatch_);
    parentWatch_ = -1;
}

void FolderFollower::LoseFolder() {
    inotify_.RemoveWatch(folderWatch_);
    folderWatch_ = -1;
    // What was waiting went with the folder; the versions stay, so that a file
    // that comes back unchanged is no news.
    waiting_.TakeAll();
    retries_.clear();
    unreadable_.clear();
    sink_.OnNotice("the folder is gone, waiting for it to come back: " + folder_.string());
    LookAgain();
}

int FolderFollower::WaitTimeoutMs() const {
    std::optional<std::int64_t> deadline = waiting_.NextDeadline();
    if (retryAtMs_ && (!deadline || *retryAtMs_ < *deadline)) {
        deadline = retryAtMs_;
    }
    if (!deadline) {
        return -1;
    }
    const std::int64_t left = std::max<std::int64_t>(*deadline - clock_.SteadyMs(), 0);
    return static_cast<int>(std::min<std::int64_t>(left, INT_MAX));
}

void FolderFollower::TakeEvents() {
    for (int slice = 0; slice < kSlicesPerWake; ++slice) {
        std::vector<FolderEvent> events = inotify_.ReadEvents();
        if (events.empty()) {
            return;
        }
        for (const FolderEvent& event : events) {
            OnEvent(event);
        }
    }
}

void FolderFollower::OnEvent(const FolderEvent& event) {
    if ((event.mask & IN_Q_OVERFLOW) != 0) {
        // Events were lost: which files changed is unknown, so look at all,
        // and the folder may have come back unnoticed.
        if (folderWatch_ >= 0) {
            Rescan();
        } else {
            LookAgain();
        }
    } else if (event.watch == folderWatch_ && folderWatch_ >= 0) {
        OnFolderEvent(event);
    } else if (event.watch == parentWatch_ && parentWatch_ >= 0) {
        // Whatever happened above the folder, look again from the folder up.
        LookAgain();
    }
}

void FolderFollower::OnFolderEvent(const FolderEvent& event) {
    if ((event.mask & kFolderGone) != 0 && event.name.empty()) {
        LoseFolder();
        return;
    }
    if (event.name.empty() || !OddsFileKindOf(event.name)) {
        return;
    }
    if ((event.mask & kEntryGone) != 0) {
        waiting_.Forget(event.name);
        retries_.erase(event.name);
        unreadable_.erase(event.name);
        return;
    }
    // A fresh write may be the one that completes the file.
    retries_.erase(event.name);
    Touch(event.name);
}

void FolderFollower::Rescan() {
    if (folderWatch_ < 0) {
        return;
    }
    for (const std::string& name : ListFolderFiles(folder_.string(), [](std::string_view name) {
                                       return OddsFileKindOf(name).has_value();
                                   }).names) {
        Touch(name);
    }
}

void FolderFollower::Touch(const std::string& name) {
    waiting_.Touch(name, clock_.SteadyMs());
}

void FolderFollower::HandleSettled() {
    if (retryAtMs_ && *retryAtMs_ <= clock_.SteadyMs()) {
        LookAgain();
    }
    for (const std::string& name : waiting_.TakeDue(clock_.SteadyMs())) {
        HandleFile(name, true);
    }
}

void FolderFollower::HandleAllWaiting() {
    for (const std::string& name : waiting_.TakeAll()) {
        HandleFile(name, true);
    }
}

// Only an ordinary file of a sensible size is read: a pipe would block the
// read, and a huge file is no odds file.
bool FolderFollower::IsReadableSize(const std::string& name, const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return false; // gone again: its removal is news enough
    }
    if (!S_ISREG(status.st_mode)) {
        sink_.OnNotice(VisibleText(name) + ": not an ordinary file, not read");
        return false;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxFileBytes) {
        sink_.OnNotice(VisibleText(name) + ": too large for an odds file, not read");
        return false;
    }
    return true;
}

void FolderFollower::HandleFile(const std::string& name, bool report) {
    const auto kind = OddsFileKindOf(name);
    const std::string path = (folder_ / name).string();
    if (!kind || !IsReadableSize(name, path)) {
        retries_.erase(name);
        return;
    }
    const std::optional<SeenFile> seen = ReadSeenFile(path, clock_.WallMs());
    if (!seen) {
        retries_.erase(name);
        TellUnreadable(name, path);
        return;
    }
    unreadable_.erase(name);
    RecordingMessageSink messages;
    std::optional<ParsedOddsFile> parsed = ParseOddsFile(*kind, seen->bytes, messages);
    if (!parsed) {
        Retry(name, messages.messages.empty() ? "the file is incomplete" : messages.messages.front().text);
        return;
    }
    retries_.erase(name);
    Keep(name, *kind, *parsed, *seen, report);
}

// Recorded before anything is reported: the report can tell whether the
// history holds it, and a reader that stops reading costs no version.
// Reported when the bytes are new to this watch.
void FolderFollower::Keep(const std::string& name, OddsFileKind kind, ParsedOddsFile& parsed,
                          const SeenFile& seen, bool report) {
    const bool recorded = recorder_.Record(seen) != RecordOutcome::NotRecorded;
    auto known = versions_.find(name);
    if (known != versions_.end() && known->second.version.contentHash == parsed.version.contentHash) {
        // The same bytes again: held now if this reading was kept.
        if (recorded && !known->second.recorded) {
            known->second.recorded = true;
            --unrecorded_;
        }
        return;
    }
    if (!recorded) {
        ++unrecorded_;
    }
    if (report && !sink_.IsClosed()) {
        OddsChange change =
            MakeChange(name, kind, seen, parsed, known == versions_.end() ? nullptr : &known->second.version);
        change.recorded = recorded;
        sink_.OnChange(change);
    }
    versions_[name] = {std::move(parsed.version), recorded};
}

// Told once until the file reads again; a change of its bytes or its mode
// brings the next try.
void FolderFollower::TellUnreadable(const std::string& name, const std::string& path) {
    if (!Exists(path)) {
        return; // gone again: its removal is news enough
    }
    if (unreadable_.insert(name).second) {
        sink_.OnNotice(VisibleText(name) + ": cannot be read (" + ReadError(path) +
                       "), read again when it changes");
    }
}

void FolderFollower::Retry(const std::string& name, const std::string& reason) {
    if (++retries_[name] > kMaxRetries) {
        retries_.erase(name);
        sink_.OnNotice(VisibleText(name) + ": cannot be read (" + reason + ")");
        return;
    }
    Touch(name);
}

OddsChange FolderFollower::MakeChange(const std::string& name, OddsFileKind kind, const SeenFile& seen,
                                      const ParsedOddsFile& parsed, const VersionFingerprint* before) const {
    const FileListRow row = MakeFileRow(name, parsed.header);
    OddsChange change;
    change.seenMs = seen.seenMs;
    change.modifiedMs = seen.modifiedMs;
    change.file = name;
    change.kind = kind;
    change.isNew = before == nullptr;
    change.course = Trimmed(row.course);
    change.meeting = Trimmed(row.meeting);
    change.race = Trimmed(row.race);
    change.raceName = Trimmed(row.raceName);
    if (before == nullptr) {
        return change;
    }
    if (kind == OddsFileKind::WinPlace) {
        change.runners = ChangedRunners(*before, parsed.version);
    } else {
        change.pairs = ChangedPairs(*before, parsed.version);
        change.runners = RunnersOfPairs(change.pairs);
    }
    return change;
}

} // namespace velmora
