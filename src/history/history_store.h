#pragma once

#include "history/odds_recorder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
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

// Whether a version of a race's files modified at `modifiedMs` belongs to the
// held race, by the rule above that the store records by.
inline bool IsOfHeldRace(const HeldRace& race, std::int64_t modifiedMs) {
    return modifiedMs >= race.firstModifiedMs - kRaceGapMs && modifiedMs <= race.lastModifiedMs + kRaceGapMs;
}

// The odds history in an SQLite database. Every distinct version of a race's
// odds and quinella files is kept, compressed, each in a transaction of its
// own. A database that can't be used turns the store off: it then records
// nothing, reads nothing and holds one message for the front end to show.
// A corrupt file is moved aside under a new name and a fresh one started.
class HistoryStore : public OddsRecorder {
public:
    struct Options {
        int busyTimeoutMs = 5000;
        // Names the corrupt file put aside; milliseconds since the Unix epoch.
        std::function<std::int64_t()> nowMs = WallClockMs;
        // For readers that must leave the history as it is: an existing file
        // only, never created, migrated, repaired or recorded into.
        bool readOnly = false;
    };

    explicit HistoryStore(std::string databasePath);
    HistoryStore(std::string databasePath, Options options);
    ~HistoryStore() override;
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    RecordOutcome Record(const SeenFile& file) override;

    bool IsAvailable() const { return db_ != nullptr; }
    const std::string& path() const { return path_; }
    // The message about the history's trouble, the first time it is asked for.
    std::optional<std::string> TakeProblem();

    // Every race held, by folder, file name and time.
    std::vector<HeldRace> ListRaces();
    // The latest race recorded from this odds or quinella file.
    std::optional<HeldRace> FindRace(const std::string& oddsPath);
    // The race's versions in file time order, both files interleaved.
    std::vector<OddsVersion> Versions(std::int64_t raceId);

private:
    void Open();
    void OpenForReading();
    void OpenFresh();
    void MoveCorruptAside();
    void TurnOff(std::string problem);
    RecordOutcome RecordVersion(const SeenFile& file);

    std::string path_;
    Options options_;
    std::unique_ptr<sqlite::Database> db_;
    std::optional<std::string> problem_;
};

} // namespace velmora
