#include "history/history_store.h"

#include "common/clock.h"
#include "common/save_target.h"
#include "common/text.h"
#include "history/compression.h"
#include "history/sqlite.h"
#include "patdata/file_naming.h"
#include "patdata/pat_file.h"
#include "patdata/record_reader.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>
#include <thread>
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

// The files SQLite writes beside a database; each must be as safe a place to
// write as the database itself.
constexpr std::array<const char*, 3> kCompanionSuffixes{{"-wal", "-shm", "-journal"}};

std::string RefusalFor(SaveTargetVerdict verdict, const std::string& file) {
    switch (verdict) {
    case SaveTargetVerdict::InsideProtectedFolder:
        return kSubject + "の置き場所が PAT のフォルダの中にあたるため、" + kWorksOn + "\n" + file;
    case SaveTargetVerdict::NotAPlainFile:
        return kSubject + "が普通のファイルではない (フォルダ、パイプ、ハードリンクなど) ため、" + kWorksOn +
               "\n" + file;
    case SaveTargetVerdict::Unresolvable:
        return kSubject + "の置き場所に書き込めない (たどれないリンクか、フォルダでないものがある) ため、" +
               kWorksOn + "\n" + file;
    case SaveTargetVerdict::Allowed:
        break;
    }
    return {};
}

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
    key.fileName = OddsFileNameOfKind(name, OddsFileKind::WinPlace);
    key.folder = CanonicalFolder(file);
    return key;
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
    return FormatLocalTime(ms, "%Y%m%d-%H%M%S", "00000000-000000");
}

// Renames without ever replacing a file already there.
bool RenameKeeping(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// An exclusive lock on one file, apart from SQLite's own locks, taken within a
// wait and given back when the object goes.
class FileLock {
public:
    FileLock(const std::string& path, int waitMs)
        : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC)) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
                close(fd_);
                fd_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~FileLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Whether the lock is held, and on the file of that identity.
    bool Holds(const std::optional<FileIdentity>& file) const {
        struct stat status {};
        return fd_ >= 0 && file && fstat(fd_, &status) == 0 &&
               FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                            static_cast<std::uint64_t>(status.st_ino)} == *file;
    }

private:
    int fd_;
};

// A database in WAL mode that no connection has open: its header says WAL,
// and no -wal or -shm file lies beside it. Read as it stands, it stays
// without them.
bool IsIdleWalDatabase(const std::string& path) {
    std::error_code error;
    const fs::path file = fs::canonical(path, error);
    if (error) {
        return false;
    }
    std::array<char, 20> header{};
    std::ifstream in(file, std::ios::binary);
    if (!in.read(header.data(), header.size())) {
        return false;
    }
    static constexpr std::string_view kMagic("SQLite format 3\0", 16);
    const bool wal =
        std::string_view(header.data(), kMagic.size()) == kMagic && header[18] == 2 && header[19] == 2;
    return wal && !Exists(file.string() + "-wal") && !Exists(file.string() + "-shm");
}

std::string ProblemFor(const sqlite::Error& error, const std::string& path) {
    if (error.IsBusy()) {
        return kSubject + "が他のプログラムに使われたままのため、" + kWorksOn + "\n" + path;
    }
    if (error.IsCorrupt()) {
        return kSubject + "が壊れているため、" + kWorksOn + "次に開くときに退避して作り直します。\n" + path;
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

// Thrown when the file says it holds this program's schema but its tables
// don't have the columns the program reads and writes.
class BrokenSchema : public std::runtime_error {
public:
    explicit BrokenSchema(const std::string& what) : std::runtime_error(what) {}
};

constexpr const char* kSelectVersions =
    "SELECT kind, modified_ms, seen_ms, size, compressed FROM odds_version ";

void RefuseNewerSchema(sqlite::Database& db) {
    if (SchemaVersion(db) > kSchemaVersion) {
        throw NewerSchema();
    }
}

// Prepares what the store asks of each table, which fails on a missing table
// or column, so that a broken file is said at once rather than read as empty.
void CheckSchema(sqlite::Database& db) {
    try {
        db.Prepare(std::string(kSelectRaces) + "LIMIT 0");
        db.Prepare(std::string(kSelectVersions) + "WHERE race_id = 0 LIMIT 0");
    } catch (const sqlite::Error& error) {
        throw BrokenSchema(error.what());
    }
}

std::string BrokenSchemaProblem(const std::string& path, const std::string& detail,
                                const std::string& goesOn) {
    return kSubject + "の構造が壊れているため、" + goesOn + "\n" + path + "\n(" + detail + ")";
}

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

// The one rule for which held race a file time belongs to, for recording and
// for reading alike: within a week of the race's versions, the nearest race
// first and the latest of two as near.
constexpr const char* kOfFileTime =
    " AND :file_time BETWEEN first_modified_ms - :gap AND last_modified_ms + :gap "
    "ORDER BY CASE WHEN :file_time < first_modified_ms THEN first_modified_ms - :file_time "
    "WHEN :file_time > last_modified_ms THEN :file_time - last_modified_ms ELSE 0 END, id DESC LIMIT 1";

void BindFileTime(sqlite::Statement& statement, std::int64_t fileTimeMs) {
    statement.Bind(":file_time", fileTimeMs).Bind(":gap", kRaceGapMs);
}

std::optional<std::int64_t> MatchingRace(sqlite::Database& db, const RaceKey& key, const RaceHeader& header,
                                         std::int64_t modifiedMs) {
    auto find =
        db.Prepare(std::string("SELECT id FROM race WHERE folder = ?1 AND file_name = ?2 AND course = ?3 "
                               "AND meeting_no = ?4 AND meeting_day = ?5 AND race_no = ?6") +
                   kOfFileTime);
    find.Bind(1, key.folder).Bind(2, key.fileName).Bind(3, Trimmed(header.CourseName));
    find.Bind(4, std::int64_t{CountFromField(header.MeetingNo)});
    find.Bind(5, std::int64_t{CountFromField(header.MeetingDay)});
    find.Bind(6, std::int64_t{CountFromField(header.RaceNo)});
    BindFileTime(find, modifiedMs);
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
    if (!ResolveDatabaseFile()) {
        return;
    }
    std::error_code error;
    fs::create_directories(fs::path(databaseFile_).parent_path(), error);
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
    } catch (const BrokenSchema& failure) {
        TurnOff(BrokenSchemaProblem(path_, failure.what(), kWorksOn));
    } catch (const std::exception& failure) {
        TurnOff(kSubject + "を開けないため、" + kWorksOn + "\n" + path_ + "\n(" + failure.what() + ")");
    }
}

// The database and the journal files beside it are written where they
// really lie, never through a link into a PAT folder and never into
// anything but an ordinary file of their own.
bool HistoryStore::ResolveDatabaseFile() {
    const SaveTarget target = ResolveSaveTarget(path_, options_.protectedFolders);
    if (target.verdict != SaveTargetVerdict::Allowed) {
        TurnOff(RefusalFor(target.verdict, path_));
        return false;
    }
    for (const char* suffix : kCompanionSuffixes) {
        const SaveTarget companion = ResolveSaveTarget(target.path + suffix, options_.protectedFolders);
        if (companion.verdict != SaveTargetVerdict::Allowed) {
            TurnOff(RefusalFor(companion.verdict, target.path + suffix));
            return false;
        }
    }
    databaseFile_ = target.path;
    return true;
}

void HistoryStore::OpenForReading() {
    try {
        const auto access = IsIdleWalDatabase(path_) ? sqlite::Database::Access::ReadOnlyIdle
                                                     : sqlite::Database::Access::ReadOnly;
        auto db = std::make_unique<sqlite::Database>(path_, access);
        db->SetBusyTimeout(options_.busyTimeoutMs);
        // Only the schema this program writes can be read; an older or empty
        // file would be migrated by a writer first.
        const std::int64_t version = SchemaVersion(*db);
        if (version > kSchemaVersion) {
            TurnOff(kSubject + "は新しい版の Velmora で作られているため、" + kReadsOn + "\n" + path_);
            return;
        }
        if (version != kSchemaVersion) {
            TurnOff(kSubject + "の版が違うため、" + kReadsOn + "\n" + path_);
            return;
        }
        CheckSchema(*db);
        db_ = std::move(db);
    } catch (const BrokenSchema& failure) {
        TurnOff(BrokenSchemaProblem(path_, failure.what(), kReadsOn));
    } catch (const std::exception& failure) {
        TurnOff(kSubject + "を読めないため、" + kReadsOn + "\n" + path_ + "\n(" + failure.what() + ")");
    }
}

void HistoryStore::OpenFresh() {
    db_.reset();
    openedFile_ = IdentityOf(databaseFile_);
    auto db = std::make_unique<sqlite::Database>(databaseFile_);
    db->SetBusyTimeout(options_.busyTimeoutMs);
    if (!db->IsWritable()) {
        throw sqlite::Error(SQLITE_READONLY, "the file is write-protected");
    }
    db->SetCheckpointOnClose(false);
    CheckIntact(*db);
    db->SetCheckpointOnClose(true);
    // Before anything is written: a newer program's file stays as it is, to
    // the last byte of its header.
    RefuseNewerSchema(*db);
    // WAL lets the window and `watch` read and write at once; NORMAL sync
    // keeps every commit whole through a crash and only a power cut may lose
    // the last few versions.
    db->Execute("PRAGMA journal_mode = WAL");
    db->Execute("PRAGMA synchronous = NORMAL");
    Migrate(*db);
    CheckSchema(*db);
    db_ = std::move(db);
}

void HistoryStore::MoveCorruptAside() {
    db_.reset();
    if (options_.onCorruptFound) {
        options_.onCorruptFound();
    }
    // Two writers may find the same broken file at once. The one that holds
    // the lock on it moves it aside and starts afresh; the other then finds
    // another file in its place and opens that one instead.
    const FileLock broken(databaseFile_, options_.busyTimeoutMs);
    if (!broken.Holds(openedFile_) || IdentityOf(databaseFile_) != openedFile_) {
        OpenFresh();
        return;
    }
    const std::string stamp = databaseFile_ + ".corrupt-" + LocalStamp(options_.nowMs());
    std::string aside = stamp;
    for (int n = 2; !RenameKeeping(databaseFile_, aside); ++n) {
        if (errno != EEXIST || n > 1000) {
            TurnOff(kSubject + "が壊れていて、退避もできないため、" + kWorksOn + "\n" + path_);
            return;
        }
        aside = stamp + "-" + std::to_string(n);
    }
    // The journal files belong to the broken file; a fresh database must not
    // pick them up.
    for (const char* suffix : {"-wal", "-shm"}) {
        if (Exists(databaseFile_ + suffix) && !RenameKeeping(databaseFile_ + suffix, aside + suffix)) {
            TurnOff(kSubject + "の一時ファイルを退避できないため、" + kWorksOn + "\n" + databaseFile_ +
                    suffix);
            return;
        }
    }
    OpenFresh();
    Tell(kSubject + "が壊れていたため、\n" + aside + "\nに退避して新しく作り直しました。");
}

void HistoryStore::TurnOff(std::string problem) {
    db_.reset();
    Tell(std::move(problem));
}

// Each message once, however many reads meet the same trouble.
void HistoryStore::Tell(std::string problem) {
    if (!problem_) {
        problem_ = std::move(problem);
    } else if (problem_->find(problem) == std::string::npos) {
        *problem_ += "\n" + problem;
    }
}

bool HistoryFileExists(const std::string& databasePath) {
    std::error_code error;
    return !databasePath.empty() && fs::is_regular_file(databasePath, error);
}

bool IsHeldFileName(const std::string& path) {
    return RaceKeyOf(path).has_value();
}

void HistoryStore::SetBusyTimeout(int milliseconds) {
    options_.busyTimeoutMs = milliseconds;
    if (db_) {
        db_->SetBusyTimeout(milliseconds);
    }
}

std::optional<std::string> HistoryStore::TakeProblem() {
    return std::exchange(problem_, std::nullopt);
}

RecordOutcome HistoryStore::Record(const SeenFile& file) {
    if (!db_ || options_.readOnly || file.bytes.size() > kMaxFileBytes) {
        return RecordOutcome::NotRecorded;
    }
    if (!IsPlausibleTimeMs(file.modifiedMs) || !IsPlausibleTimeMs(file.seenMs)) {
        Tell("ファイルの日時が範囲外 (100年以上の過去か未来) のため、この版は履歴に記録しません。\n" +
             file.path);
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
    } catch (const std::exception& failure) {
        races.clear(); // a read that fails shows nothing, and the next one tries again
        TellReadFailure(failure);
    }
    return races;
}

std::optional<HeldRace> HistoryStore::FindRace(const std::string& oddsPath,
                                               std::optional<std::int64_t> fileTimeMs) {
    const auto key = RaceKeyOf(oddsPath);
    if (!db_ || !key) {
        return std::nullopt;
    }
    try {
        const std::string ofFile = std::string(kSelectRaces) + "WHERE folder = ?1 AND file_name = ?2";
        auto row = db_->Prepare(fileTimeMs ? ofFile + kOfFileTime
                                           : ofFile + " ORDER BY last_modified_ms DESC, id DESC LIMIT 1");
        row.Bind(1, key->folder).Bind(2, key->fileName);
        if (fileTimeMs) {
            BindFileTime(row, *fileTimeMs);
        }
        if (row.Step()) {
            return HeldRaceFrom(row);
        }
    } catch (const std::exception& failure) {
        TellReadFailure(failure);
    }
    return std::nullopt;
}

std::vector<OddsVersion> HistoryStore::Versions(std::int64_t raceId) {
    std::vector<OddsVersion> versions;
    if (!db_) {
        return versions;
    }
    int untrusted = 0;
    try {
        auto rows = db_->Prepare(std::string(kSelectVersions) +
                                 "WHERE race_id = ?1 ORDER BY modified_ms, seen_ms, id");
        rows.Bind(1, raceId);
        while (rows.Step()) {
            const std::string compressed = rows.Blob(4);
            auto version =
                ReadStoredVersion({rows.Int(0), rows.Int(1), rows.Int(2), rows.Int(3), compressed});
            if (!version) {
                ++untrusted; // left out rather than shown as wrong odds
                continue;
            }
            versions.push_back(std::move(*version));
        }
    } catch (const std::exception& failure) {
        versions.clear();
        TellReadFailure(failure);
    }
    if (untrusted > 0) {
        Tell(kSubject + "に、時刻が範囲外か中身の壊れた版があったため、それを除いて読みました。\n" + path_);
    }
    return versions;
}

void HistoryStore::TellReadFailure(const std::exception& failure) {
    Tell(kSubject + "を読めませんでした。\n" + path_ + "\n(" + failure.what() + ")");
}

std::unique_ptr<HistoryStore> OpenHistoryToRead(const std::string& databasePath) {
    if (!HistoryFileExists(databasePath)) {
        return nullptr;
    }
    HistoryStore::Options options;
    options.readOnly = true;
    return std::make_unique<HistoryStore>(databasePath, options);
}

std::optional<OddsVersion> ReadStoredVersion(const StoredVersionRow& row) {
    if ((row.kind != 0 && row.kind != 1) || !IsPlausibleTimeMs(row.modifiedMs) ||
        !IsPlausibleTimeMs(row.seenMs) || row.size < 0 ||
        static_cast<std::uint64_t>(row.size) > kMaxFileBytes) {
        return std::nullopt;
    }
    auto bytes = Decompress(row.compressed, static_cast<std::size_t>(row.size), kMaxFileBytes);
    if (!bytes) {
        return std::nullopt;
    }
    const auto kind = row.kind == 1 ? OddsFileKind::Quinella : OddsFileKind::WinPlace;
    return OddsVersion{kind, row.modifiedMs, row.seenMs, std::move(*bytes)};
}

} // namespace velmora
