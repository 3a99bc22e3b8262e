#include "follow/race_follow.h"

#include "common/clock.h"
#include "common/messages.h"
#include "common/random.h"
#include "patdata/file_naming.h"
#include "race/race_loader.h"
#include "results/result_display.h"
#include "sheet/race_sheet.h"
#include "shell/services.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace velmora {
namespace {

constexpr std::chrono::milliseconds kFirstWatchRetry{1000};
constexpr std::chrono::milliseconds kLongestWatchRetry{30000};

constexpr std::array<Column, 4> kInputColumns = {Column::HorseName, Column::TanOdds, Column::FukuOddsMin,
                                                 Column::FukuOddsMax};

// Clears a flag when the scope ends, however it ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

} // namespace

RaceFollow::RaceFollow(RaceSheet& sheet, Services& services, OddsRecorder& recorder, const Clock& clock)
    : sheet_(sheet), services_(services), recorder_(recorder), clock_(clock) {}

void RaceFollow::LoadSelection(const std::string& oddsPath) {
    const FilesRead files = ReadFiles(oddsPath);
    {
        BusyScope busy(busy_);
        UpdateFormFromBytes(sheet_, services_, oddsPath, files.OddsBytes());
    }
    FollowWhatTheSheetShows(oddsPath, files);
}

void RaceFollow::OpenFile(const std::string& oddsPath) {
    const FilesRead files = oddsPath.empty() ? FilesRead{} : ReadFiles(oddsPath);
    {
        BusyScope busy(busy_);
        OpenOddsFileFromBytes(sheet_, services_, oddsPath, files.OddsBytes());
    }
    FollowWhatTheSheetShows(oddsPath, files);
}

// A load that took follows the new race; one refused before the sheet was
// touched leaves the earlier race on it, still followed.
void RaceFollow::FollowWhatTheSheetShows(const std::string& oddsPath, const FilesRead& files) {
    if (!oddsPath.empty() && sheet_.sOddsFileName == oddsPath) {
        path_ = oddsPath;
        AfterLoad(files);
    } else if (sheet_.sOddsFileName != path_) {
        Forget();
    }
}

void RaceFollow::Forget() {
    path_.clear();
    latestBytes_ = {};
    lastBadBytes_ = {};
    loadedInputs_.clear();
    pending_ = false;
    failureReported_ = false;
    retries_ = 0;
    watchRetry_ = {};
}

FollowStep RaceFollow::FilesSettled() {
    if (busy_) {
        return FollowStep::RetryLater;
    }
    if (!IsFollowing()) {
        return FollowStep::Nothing;
    }
    if (!FilesPresent()) {
        // Gone while PAT renames over it, or the folder removed: wait for it to return.
        return FollowStep::Nothing;
    }
    const FilesRead files = ReadFiles(path_);
    const FileBytes bytes = files.Bytes();
    if (bytes == latestBytes_ || (failureReported_ && bytes == lastBadBytes_)) {
        retries_ = 0;
        return FollowStep::Nothing;
    }
    if (!LoadsCleanly(files)) {
        return HalfWritten(files);
    }
    return TakeNewVersion(files);
}

FollowStep RaceFollow::SetAutoReload(bool on) {
    autoReload_ = on;
    if (!on || !pending_ || busy_ || SheetEditedSinceLoad()) {
        return FollowStep::Nothing;
    }
    const FilesRead files = ReadFiles(path_);
    ReloadSheet(files);
    AfterLoad(files);
    return FollowStep::Reloaded;
}

void RaceFollow::Reload() {
    if (!IsFollowing() || busy_) {
        return;
    }
    const FilesRead files = ReadFiles(path_);
    ReloadSheet(files);
    AfterLoad(files);
}

std::string RaceFollow::Folder() const {
    return std::filesystem::path(path_).parent_path().string();
}

std::vector<std::string> RaceFollow::WatchedFiles() const {
    if (!IsFollowing()) {
        return {};
    }
    return {path_, GetQuinellaFileName(path_)};
}

bool RaceFollow::SheetEditedSinceLoad() const {
    return IsFollowing() && InputTexts() != loadedInputs_;
}

std::string RaceFollow::PanelText() const {
    if (!IsFollowing()) {
        return {};
    }
    if (IsWatchStalled()) {
        return kWatchStalledText;
    }
    if (pending_) {
        return kUpdatePendingText;
    }
    return "更新 " + FormatLocalTime(loadedAtMs_, "%H:%M:%S", "--:--:--");
}

std::chrono::milliseconds RaceFollow::WatchStalled() {
    watchRetry_ = IsWatchStalled() ? std::min(2 * watchRetry_, kLongestWatchRetry) : kFirstWatchRetry;
    return watchRetry_;
}

void RaceFollow::WatchWorks() {
    watchRetry_ = {};
}

RaceFollow::FileBytes RaceFollow::FilesRead::Bytes() const {
    return {winPlace ? winPlace->bytes : std::string(), quinella ? quinella->bytes : std::string()};
}

RaceOddsBytes RaceFollow::FilesRead::OddsBytes() const {
    RaceOddsBytes bytes;
    if (winPlace) {
        bytes.winPlace = winPlace->bytes;
    }
    if (quinella) {
        bytes.quinella = quinella->bytes;
    }
    return bytes;
}

RaceFollow::FilesRead RaceFollow::ReadFiles(const std::string& oddsPath) const {
    const std::int64_t now = clock_.WallMs();
    return {ReadSeenFile(oddsPath, now), ReadSeenFile(GetQuinellaFileName(oddsPath), now)};
}

void RaceFollow::Record(const FilesRead& files) {
    for (const std::optional<SeenFile>& file : {files.winPlace, files.quinella}) {
        if (file) {
            recorder_.Record(*file);
        }
    }
}

void RaceFollow::AfterLoad(const FilesRead& files) {
    Record(files);
    latestBytes_ = files.Bytes();
    loadedInputs_ = InputTexts();
    loadedAtMs_ = clock_.WallMs();
    pending_ = false;
    failureReported_ = false;
    retries_ = 0;
}

bool RaceFollow::FilesPresent() const {
    std::error_code error;
    return std::filesystem::is_regular_file(path_, error) &&
           std::filesystem::is_regular_file(GetQuinellaFileName(path_), error);
}

// Loads the race into a sheet of its own with the messages kept back: a file
// still being written fails here without a word and without touching the
// sheet the user sees.
bool RaceFollow::LoadsCleanly(const FilesRead& files) const {
    RecordingMessageSink messages;
    StandardRandomSource random;
    Services quiet{services_.settings, messages, random, services_.clock, services_.remarks};
    RaceSheet trial(services_.settings);
    UpdateFormFromBytes(trial, quiet, path_, files.OddsBytes());
    return messages.messages.empty() && trial.sOddsFileName == path_;
}

FollowStep RaceFollow::TakeNewVersion(const FilesRead& files) {
    if (!autoReload_ || SheetEditedSinceLoad()) {
        Record(files);
        latestBytes_ = files.Bytes();
        pending_ = true;
        failureReported_ = false;
        retries_ = 0;
        return FollowStep::Pending;
    }
    ReloadSheet(files);
    AfterLoad(files);
    return FollowStep::Reloaded;
}

// Asked again a few times, as the writer may still be at it; then the load's
// own messages are shown once for the burst, from a sheet of their own.
FollowStep RaceFollow::HalfWritten(const FilesRead& files) {
    if (++retries_ < kRetryLimit) {
        return FollowStep::RetryLater;
    }
    retries_ = 0;
    lastBadBytes_ = files.Bytes();
    if (!failureReported_) {
        failureReported_ = true;
        BusyScope busy(busy_);
        RaceSheet scratch(services_.settings);
        UpdateFormFromBytes(scratch, services_, path_, files.OddsBytes());
    }
    return FollowStep::Failed;
}

void RaceFollow::ReloadSheet(const FilesRead& files) {
    const bool resultShown = !sheet_.Items(SheetList::RaceResult).empty();
    BusyScope busy(busy_);
    UpdateFormFromBytes(sheet_, services_, path_, files.OddsBytes());
    if (resultShown) {
        cmdResult_Click(sheet_, services_);
    }
}

std::vector<std::string> RaceFollow::InputTexts() const {
    std::vector<std::string> texts = {sheet_.Kaisai(), sheet_.RaceName(), sheet_.HorseNumText()};
    for (int row = 1; row <= kMaxRunners; ++row) {
        for (Column column : kInputColumns) {
            texts.push_back(sheet_.Text(column, row));
        }
    }
    return texts;
}

} // namespace velmora
