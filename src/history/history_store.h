#pragma once

#include "history/odds_recorder.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

namespace sqlite {
class Database;
}

// Where the history lives: $XDG_DATA_HOME/Velmora/history.sqlite, or
// ~/.local/share/Velmora/history.sqlite when XDG_DATA_HOME is unset, empty or
// relative. Empty when neither gives an absolute folder.
std::string DefaultHistoryPath();
// The same from the two variables' values (null when unset).
std::string HistoryPathFor(const char* xdgDataHome, const char* home);

// True when a history database is there to read. Readers that only look ask
// this first, so that looking never starts a history.
bool HistoryFileExists(const std::string& databasePath);

// True when the file's name is that of a race's win/place ("Zo-") or quinella
// ("Uo-") odds file, the files the history holds.
bool IsHeldFileName(const std::string& path);

// One race as the history holds it. A race is its folder, odds file name
// ("Zo-…"), course, meeting number, day and race number; the same names seen
// again more than kRaceGapMs after (or before) all of a race's versions by
// file time make a race of their own, so next year's race never merges into
// this year's.
struct HeldRace {
    std::int64_t id = 0;
    std::string folder;   // canonical absolute path
    std::string fileName; // the win/place odds file's name
    std::string course;
    int meetingNo = 0;
    int meetingDay = 0;
    int raceNo = 0;
    std::int64_t firstModifiedMs = 0;
    std::int64_t lastModifiedMs = 0;
    int versionCount = 0;
};

// One version of one of a race's files, as it was read.
struct OddsVersion {
    OddsFileKind kind = OddsFileKind::WinPlace;
    std::int64_t modifiedMs = 0;
    std::int64_t seenMs = 0;
    std::string bytes;
};

// Seven days: a race day's files are rewritten for hours, never for a week,
// and the same file name comes back only at next year's meeting.
inline constexpr std::int64_t kRaceGapMs = 7LL * 24 * 60 * 60 * 1000;

// Which file a path led to when it was looked at: a file renamed over it
// since is another one.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// One row of the stored versions as it comes out of the database, before it
// is trusted.
struct StoredVersionRow {
    std::int64_t kind = 0;
    std::int64_t modifiedMs = 0;
    std::int64_t seenMs = 0;
    std::int64_t size = 0; // of the bytes before compression
    std::string_view compressed;
};

// The version a stored row holds; nothing when its kind is unknown, a time
// lies outside the plausible range, or its bytes don't come out whole and
// exactly of the declared size.
std::optional<OddsVersion> ReadStoredVersion(const StoredVersionRow& row);

// The odds history in an SQLite database. Every distinct version of a race's
// odds and quinella files is kept, compressed, each in a transaction of its
// own. A database that can't be used turns the store off: it then records
// nothing, reads nothing and holds one message for the front end to show
// (HistoryOnDemand opens a new store with the next version). A corrupt file
// is moved aside under a new name and a fresh one started.
class HistoryStore : public OddsRecorder {
public:
    struct Options {
        int busyTimeoutMs = 5000;
        // Names the corrupt file put aside; milliseconds since the Unix epoch.
        std::function<std::int64_t()> nowMs = WallClockMs;
        // For readers that must leave the history as it is: an existing file
        // only, never created, migrated, repaired or recorded into.
        bool readOnly = false;
        // Folders the database and its journal files must never lie in or
        // below, however they are linked: the PAT folders.
        std::vector<std::string> protectedFolders;
        // Called when a corrupt file was found, before it is moved aside;
        // another writer may act meanwhile, as a test shows.
        std::function<void()> onCorruptFound;
    };

    explicit HistoryStore(std::string databasePath);
    HistoryStore(std::string databasePath, Options options);
    ~HistoryStore() override;
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    RecordOutcome Record(const SeenFile& file) override;

    bool IsAvailable() const { return db_ != nullptr; }
    // How long a write waits for another program's lock from now on.
    void SetBusyTimeout(int milliseconds);
    const std::string& path() const { return path_; }
    // The file the database really is, every link followed; empty until a
    // writer has resolved it.
    const std::string& DatabaseFile() const { return databaseFile_; }
    // The message about the history's trouble, the first time it is asked for.
    std::optional<std::string> TakeProblem();

    // Every race held, by folder, file name and time.
    std::vector<HeldRace> ListRaces();
    // The race recorded from this odds or quinella file that a version
    // modified at `fileTimeMs` belongs to, by the same week's gap the store
    // records by; the nearest in time of two that qualify. Without a time (the
    // file is gone) the race recorded last.
    std::optional<HeldRace> FindRace(const std::string& oddsPath, std::optional<std::int64_t> fileTimeMs);
    // The race's versions in file time order, both files interleaved. Rows
    // that can't be trusted are left out, and said once.
    std::vector<OddsVersion> Versions(std::int64_t raceId);

private:
    void Open();
    bool ResolveDatabaseFile();
    void OpenForReading();
    void OpenFresh();
    void MoveCorruptAside();
    void TurnOff(std::string problem);
    void Tell(std::string problem);
    RecordOutcome RecordVersion(const SeenFile& file);
    void TellReadFailure(const std::exception& failure);

    std::string path_;
    std::string databaseFile_;
    std::optional<FileIdentity> openedFile_; // the file the writer opened, to tell a replaced one
    Options options_;
    std::unique_ptr<sqlite::Database> db_;
    std::optional<std::string> problem_;
};

// The history opened for reading only, or null when there is no file to
// read: looking never starts one. A store that couldn't be opened holds why.
std::unique_ptr<HistoryStore> OpenHistoryToRead(const std::string& databasePath);

// The history as a window that looks at it again and again reads it: a fresh
// read-only store at every look, so that each sees what writers added since.
class HistoryReader {
public:
    explicit HistoryReader(std::string databasePath) : path_(std::move(databasePath)) {}
    // The store for this look, valid until the next; null when there is no
    // history to read.
    HistoryStore* Look() {
        store_ = OpenHistoryToRead(path_);
        return store_.get();
    }

private:
    std::string path_;
    std::unique_ptr<HistoryStore> store_;
};

} // namespace velmora
