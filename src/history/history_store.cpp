#include "history/history_store.h"

#include "history/compression.h"
#include "history/sqlite.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <sqlite3.h>

#include <fcntl.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <utility>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Reading a version back must never ask for an absurd amount of memory.
constexpr std::size_t kMaxFileBytes = kMaxOddsFileBytes;

// Each step takes the schema from its index to the next version.
constexpr std::array<const char*, 1> kMigrations{{
    R"sql(
CREATE TABLE race (
    id INTEGER PRIMARY KEY,
    folder TEXT NOT NULL,
    file_name TEXT NOT NULL,
    course TEXT NOT NULL,
    meeting_no INTEGER NOT NULL,
    meeting_day INTEGER NOT NULL,
    race_no INTEGER NOT NULL,
    first_modified_ms INTEGER NOT NULL,
    last_modified_ms INTEGER NOT NULL
);
CREATE INDEX race_by_file ON race (folder, file_name);
CREATE TABLE odds_version (
    id INTEGER PRIMARY KEY,
    race_id INTEGER NOT NULL REFERENCES race (id),
    kind INTEGER NOT NULL,
    modified_ms INTEGER NOT NULL,
    seen_ms INTEGER NOT NULL,
    size INTEGER NOT NULL,
    compressed BLOB NOT NULL
);
CREATE INDEX odds_version_by_race ON odds_version (race_id, kind, id);
)sql",
}};

constexpr std::int64_t kSchemaVersion = static_cast<std::int64_t>(kMigrations.size());

const std::string kSubject = "オッズ履歴のデータベース";
const std::string kWorksOn = "履歴を記録せずに続けます。";
const std::string kReadsOn = "履歴なしで続けます。";

struct RaceKey {
    std::string folder;
    std::string fileName;
    OddsFileKind kind = OddsFileKind::WinPlace;
};

std::string CanonicalFolder(const fs::path& file) {
    std::error_code error;
    fs::path absolute = fs::absolute(file, error);
    if (error) {
        absolute = file;
    }
    fs::path folder = fs::weakly_canonical(absolute.parent_path(), error);
    return (error ? absolute.parent_path() : folder).string();
}

// Folder and odds file name of the race a file belongs to; a quinella file
// ("Uo-") goes with the odds file of the same name. Both names are held
// with the prefix spelt "Zo-", whatever case the file carries.
std::optional<RaceKey> RaceKeyOf(const std::string& path) {
    const fs::path file(path);
    const std::string name = file.filename().string();
    const auto kind = OddsFileKindOf(name);
    if (!kind) {
        return std::nullopt;
    }
    RaceKey key;
    key.kind = *kind;
    key.fileName = "Zo-" + name.substr(3);
    key.folder = CanonicalFolder(file);
    return key;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The race header at the start of both odds files; a wrong format is no
// message here, the file is just not recorded.
std::optional<RaceHeader> HeaderOf(const std::string& bytes) {
    PatFile file(PatFile::Contents{bytes});
    RaceHeader header;
    RecordingMessageSink ignored;
    if (!ReadRaceHeader(file, header, ignored)) {
        return std::nullopt;
    }
    return header;
}

std::string LocalStamp(std::int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y%m%d-%H%M%S", &local);
    return text.data();
}

// Renames without ever replacing a file already there.
bool RenameKeeping(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

std::string ProblemFor(const sqlite::Error& error, const std::string& path) {
    if (error.IsBusy()) {
        return kSubject + "が他のプログラムに使われたままのため、" + kWorksOn + "\n" + path;
    }
    if (error.IsCorrupt()) {
        return kSubject + "が壊れているため、" + kWorksOn + "次に起動したときに退避して作り直します。\n" +
               path;
    }
    return kSubject + "に書き込めないため、" + kWorksOn + "\n" + path + "\n(" + error.what() + ")";
}

HeldRace HeldRaceFrom(const sqlite::Statement& row) {
    HeldRace race;
    race.id = row.Int(0);
    race.folder = row.Text(1);
    race.fileName = row.Text(2);
    race.course = row.Text(3);
    race.meetingNo = static_cast<int>(row.Int(4));
    race.meetingDay = static_cast<int>(row.Int(5));
    race.raceNo = static_cast<int>(row.Int(6));
    race.firstModifiedMs = row.Int(7);
    race.lastModifiedMs = row.Int(8);
    race.versionCount = static_cast<int>(row.Int(9));
    return race;
}

constexpr const char* kSelectRaces =
    "SELECT id, folder, file_name, course, meeting_no, meeting_day, race_no, first_modified_ms, "
    "last_modified_ms, (SELECT count(*) FROM odds_version WHERE race_id = race.id) FROM race ";

void CheckIntact(sqlite::Database& db) {
    auto check = db.Prepare("PRAGMA quick_check");
    if (!check.Step() || check.Text(0) != "ok") {
        throw sqlite::Error(SQLITE_CORRUPT, "quick_check failed");
    }
}

std::int64_t SchemaVersion(sqlite::Database& db) {
    auto version = db.Prepare("PRAGMA user_version");
    return version.Step() ? version.Int(0) : 0;
}

// Thrown when the file was written by a newer program whose schema this one
// does not know; the file is left as it is.
class NewerSchema : public std::runtime_error {
public:
    NewerSchema() : std::runtime_error("newer schema") {}
};

void Migrate(sqlite::Database& db) {
    // Checked before taking the write lock, so that opening an up-to-date
    // database never waits for another writer.
    const std::int64_t seen = SchemaVersion(db);
    if (seen > kSchemaVersion) {
        throw NewerSchema();
    }
    if (seen == kSchemaVersion) {
        return;
    }
    sqlite::Transaction transaction(db);
    const std::int64_t version = SchemaVersion(db);
    if (version > kSchemaVersion) {
        throw NewerSchema();
    }
    if (version == kSchemaVersion) {
        return; // another program migrated it meanwhile
    }
    for (std::int64_t step = version; step < kSchemaVersion; ++step) {
        db.Execute(kMigrations[static_cast<std::size_t>(step)]);
    }
    db.Execute("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    transaction.Commit();
}

std::optional<std::int64_t> MatchingRace(sqlite::Database& db, const RaceKey& key, const RaceHeader& header,
                                         std::int64_t modifiedMs) {
    auto find = db.Prepare("SELECT id FROM race WHERE folder = ?1 AND file_name = ?2 AND course = ?3 "
                           "AND meeting_no = ?4 AND meeting_day = ?5 AND race_no = ?6 "
                           "AND ?7 BETWEEN first_modified_ms - ?8 AND last_modified_ms + ?8 "
                           "ORDER BY id DESC LIMIT 1");
    find.Bind(1, key.folder).Bind(2, key.fileName).Bind(3, Trimmed(header.CourseName));
    find.Bind(4, std::int64_t{CountFromField(header.MeetingNo)});
    find.Bind(5, std::int64_t{CountFromField(header.MeetingDay)});
    find.Bind(6, std::int64_t{CountFromField(header.RaceNo)});
    find.Bind(7, modifiedMs).Bind(8, kRaceGapMs);
    if (!find.Step()) {
        return std::nullopt;
    }
    return find.Int(0);
}

std::int64_t InsertRace(sqlite::Database& db, const RaceKey& key, const RaceHeader& header,
                        std::int64_t modifiedMs) {
    auto insert = db.Prepare("INSERT INTO race (folder, file_name, course, meeting_no, meeting_day, race_no, "
                             "first_modified_ms, last_modified_ms) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?7)");
    insert.Bind(1, key.folder).Bind(2, key.fileName).Bind(3, Trimmed(header.CourseName));
    insert.Bind(4, std::int64_t{CountFromField(header.MeetingNo)});
    insert.Bind(5, std::int64_t{CountFromField(header.MeetingDay)});
    insert.Bind(6, std::int64_t{CountFromField(header.RaceNo)});
    insert.Bind(7, modifiedMs);
    insert.Run();
    return db.LastInsertId();
}

bool RepeatsLatest(sqlite::Database& db, std::int64_t raceId, OddsFileKind kind, const std::string& bytes) {
    auto latest = db.Prepare("SELECT size, compressed FROM odds_version WHERE race_id = ?1 AND kind = ?2 "
                             "ORDER BY id DESC LIMIT 1");
    latest.Bind(1, raceId).Bind(2, static_cast<std::int64_t>(kind));
    if (!latest.Step() || static_cast<std::size_t>(latest.Int(0)) != bytes.size()) {
        return false;
    }
    const auto held = Decompress(latest.Blob(1), bytes.size(), kMaxFileBytes);
    return held && *held == bytes;
}

void InsertVersion(sqlite::Database& db, std::int64_t raceId, OddsFileKind kind, const SeenFile& file) {
    auto insert =
        db.Prepare("INSERT INTO odds_version (race_id, kind, modified_ms, seen_ms, size, compressed) "
                   "VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    insert.Bind(1, raceId)
        .Bind(2, static_cast<std::int64_t>(kind))
        .Bind(3, file.modifiedMs)
        .Bind(4, file.seenMs);
    insert.Bind(5, static_cast<std::int64_t>(file.bytes.size())).BindBlob(6, Compress(file.bytes));
    insert.Run();
    auto widen = db.Prepare("UPDATE race SET first_modified_ms = min(first_modified_ms, ?2), "
                            "last_modified_ms = max(last_modified_ms, ?2) WHERE id = ?1");
    widen.Bind(1, raceId).Bind(2, file.modifiedMs);
    widen.Run();
}

} // namespace

std::string HistoryPathFor(const char* xdgDataHome, const char* home) {
    fs::path base;
    if (xdgDataHome != nullptr && fs::path(xdgDataHome).is_absolute()) {
        base = xdgDataHome;
    } else if (home != nullptr && fs::path(home).is_absolute()) {
        base = fs::path(home) / ".local" / "share";
    } else {
        return {};
    }
    return (base / "Velmora" / "history.sqlite").string();
}

std::string DefaultHistoryPath() {
    return HistoryPathFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

HistoryStore::HistoryStore(std::string databasePath) : HistoryStore(std::move(databasePath), Options{}) {}

HistoryStore::HistoryStore(std::string databasePath, Options options)
    : path_(std::move(databasePath)), options_(std::move(options)) {
    Open();
}

HistoryStore::~HistoryStore() = default;

void HistoryStore::Open() {
    if (options_.readOnly) {
        OpenForReading();
        return;
    }
    if (path_.empty()) {
        TurnOff(kSubject + "の置き場所が決まらない (HOME が未設定) ため、" + kWorksOn);
        return;
    }
    std::error_code error;
    fs::create_directories(fs::path(path_).parent_path(), error);
    try {
        try {
            OpenFresh();
        } catch (const sqlite::Error& failure) {
            if (!failure.IsCorrupt()) {
                throw;
            }
            MoveCorruptAside();
        }
    } catch (const sqlite::Error& failure) {
        TurnOff(ProblemFor(failure, path_));
    } catch (const NewerSchema&) {
        TurnOff(kSubject + "は新しい版の Velmora で作られているため、" + kWorksOn + "\n" + path_);
    } catch (const std::exception& failure) {
        TurnOff(kSubject + "を開けないため、" + kWorksOn + "\n" + path_ + "\n(" + failure.what() + ")");
    }
}

void HistoryStore::OpenForReading() {
    try {
        auto db = std::make_unique<sqlite::Database>(path_, sqlite::Database::Access::ReadOnly);
        db->SetBusyTimeout(options_.busyTimeoutMs);
        // Only the schema this program writes can be read; an older or empty
        // file would be migrated by a writer first.
        if (SchemaVersion(*db) != kSchemaVersion) {
            TurnOff(kSubject + "の版が違うため、" + kReadsOn + "\n" + path_);
            return;
        }
        db_ = std::move(db);
    } catch (const std::exception& failure) {
        TurnOff(kSubject + "を読めないため、" + kReadsOn + "\n" + path_ + "\n(" + failure.what() + ")");
    }
}

void HistoryStore::OpenFresh() {
    db_.reset();
    auto db = std::make_unique<sqlite::Database>(path_);
    db->SetBusyTimeout(options_.busyTimeoutMs);
    if (!db->IsWritable()) {
        throw sqlite::Error(SQLITE_READONLY, "the file is write-protected");
    }
    db->SetCheckpointOnClose(false);
    CheckIntact(*db);
    db->SetCheckpointOnClose(true);
    // WAL lets the window and `watch` read and write at once; NORMAL sync
    // keeps every commit whole through a crash and only a power cut may lose
    // the last few versions.
    db->Execute("PRAGMA journal_mode = WAL");
    db->Execute("PRAGMA synchronous = NORMAL");
    Migrate(*db);
    db_ = std::move(db);
}

void HistoryStore::MoveCorruptAside() {
    db_.reset();
    const std::string stamp = path_ + ".corrupt-" + LocalStamp(options_.nowMs());
    std::string aside = stamp;
    for (int n = 2; !RenameKeeping(path_, aside); ++n) {
        if (errno != EEXIST || n > 1000) {
            TurnOff(kSubject + "が壊れていて、退避もできないため、" + kWorksOn + "\n" + path_);
            return;
        }
        aside = stamp + "-" + std::to_string(n);
    }
    // The journal files belong to the broken file; a fresh database must not
    // pick them up.
    for (const char* suffix : {"-wal", "-shm"}) {
        if (Exists(path_ + suffix) && !RenameKeeping(path_ + suffix, aside + suffix)) {
            TurnOff(kSubject + "の一時ファイルを退避できないため、" + kWorksOn + "\n" + path_ + suffix);
            return;
        }
    }
    OpenFresh();
    problem_ = kSubject + "が壊れていたため、\n" + aside + "\nに退避して新しく作り直しました。";
}

void HistoryStore::TurnOff(std::string problem) {
    db_.reset();
    problem_ = problem_ ? *problem_ + "\n" + problem : std::move(problem);
}

bool HistoryFileExists(const std::string& databasePath) {
    std::error_code error;
    return !databasePath.empty() && fs::is_regular_file(databasePath, error);
}

bool IsHeldFileName(const std::string& path) {
    return RaceKeyOf(path).has_value();
}

std::optional<std::string> HistoryStore::TakeProblem() {
    return std::exchange(problem_, std::nullopt);
}

RecordOutcome HistoryStore::Record(const SeenFile& file) {
    if (!db_ || options_.readOnly || file.bytes.size() > kMaxFileBytes) {
        return RecordOutcome::NotRecorded;
    }
    try {
        return RecordVersion(file);
    } catch (const sqlite::Error& failure) {
        TurnOff(ProblemFor(failure, path_));
    } catch (const std::exception& failure) {
        TurnOff(kSubject + "に記録できないため、" + kWorksOn + "\n" + path_ + "\n(" + failure.what() + ")");
    }
    return RecordOutcome::NotRecorded;
}

RecordOutcome HistoryStore::RecordVersion(const SeenFile& file) {
    const auto key = RaceKeyOf(file.path);
    const auto header = key ? HeaderOf(file.bytes) : std::nullopt;
    if (!header) {
        return RecordOutcome::NotRecorded;
    }
    sqlite::Transaction transaction(*db_);
    auto raceId = MatchingRace(*db_, *key, *header, file.modifiedMs);
    if (raceId && RepeatsLatest(*db_, *raceId, key->kind, file.bytes)) {
        return RecordOutcome::Unchanged;
    }
    if (!raceId) {
        raceId = InsertRace(*db_, *key, *header, file.modifiedMs);
    }
    InsertVersion(*db_, *raceId, key->kind, file);
    transaction.Commit();
    return RecordOutcome::Added;
}

std::vector<HeldRace> HistoryStore::ListRaces() {
    std::vector<HeldRace> races;
    if (!db_) {
        return races;
    }
    try {
        auto rows =
            db_->Prepare(std::string(kSelectRaces) + "ORDER BY folder, file_name, first_modified_ms, id");
        while (rows.Step()) {
            races.push_back(HeldRaceFrom(rows));
        }
    } catch (const std::exception&) {
        races.clear(); // a read that fails shows nothing, and the next one tries again
    }
    return races;
}

std::optional<HeldRace> HistoryStore::FindRace(const std::string& oddsPath) {
    const auto key = RaceKeyOf(oddsPath);
    if (!db_ || !key) {
        return std::nullopt;
    }
    try {
        auto row = db_->Prepare(
            std::string(kSelectRaces) +
            "WHERE folder = ?1 AND file_name = ?2 ORDER BY last_modified_ms DESC, id DESC LIMIT 1");
        row.Bind(1, key->folder).Bind(2, key->fileName);
        if (row.Step()) {
            return HeldRaceFrom(row);
        }
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::vector<OddsVersion> HistoryStore::Versions(std::int64_t raceId) {
    std::vector<OddsVersion> versions;
    if (!db_) {
        return versions;
    }
    try {
        auto rows = db_->Prepare("SELECT kind, modified_ms, seen_ms, size, compressed FROM odds_version "
                                 "WHERE race_id = ?1 ORDER BY modified_ms, seen_ms, id");
        rows.Bind(1, raceId);
        while (rows.Step()) {
            auto bytes = Decompress(rows.Blob(4), static_cast<std::size_t>(rows.Int(3)), kMaxFileBytes);
            if (!bytes) {
                continue; // a damaged row is left out rather than shown as wrong odds
            }
            const auto kind = rows.Int(0) == 1 ? OddsFileKind::Quinella : OddsFileKind::WinPlace;
            versions.push_back({kind, rows.Int(1), rows.Int(2), std::move(*bytes)});
        }
    } catch (const std::exception&) {
        versions.clear();
    }
    return versions;
}

} // namespace velmora
