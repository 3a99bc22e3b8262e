#include "history/compression.h"
#include "history/history_on_demand.h"
#include "history/history_store.h"
#include "history/sqlite.h"

#include "history_fixtures.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::OddsVersion;

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kEarliest = std::numeric_limits<std::int64_t>::min();

SeenFile At(SeenFile file, std::int64_t modifiedMs) {
    file.modifiedMs = modifiedMs;
    file.seenMs = modifiedMs;
    return file;
}

class HistoryReaderTest : public ::testing::Test {
protected:
    // Two versions of race 1, written and closed as a writer leaves them.
    void RecordTwoVersions() {
        HistoryStore writer(databasePath);
        ASSERT_EQ(writer.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
        ASSERT_EQ(writer.Record(OddsVersion(pat.path(), 1, 1)), RecordOutcome::Added);
    }

    int VersionsSeenByAReader() const {
        const auto reader = OpenHistoryToRead(databasePath);
        const auto race =
            reader ? reader->FindRace(OddsVersion(pat.path(), 1, 0).path, std::nullopt) : std::nullopt;
        return race ? static_cast<int>(reader->Versions(race->id).size()) : 0;
    }

    test::TempDir pat;
    test::TempDir data;
    std::string databasePath = (data.path() / "history.sqlite").string();
};

TEST_F(HistoryReaderTest, LookingLeavesAHistoryNoOneIsWritingExactlyAsItWas) {
    RecordTwoVersions();
    const auto before = test::FolderSnapshot(data.path());
    ASSERT_EQ(before.size(), 1u); // the writer took its journal files with it
    EXPECT_EQ(VersionsSeenByAReader(), 2);
    HistoryReader reader(databasePath);
    for (int look = 0; look < 2; ++look) {
        ASSERT_NE(reader.Look(), nullptr);
        EXPECT_EQ(reader.Look()->ListRaces().size(), 1u);
    }
    EXPECT_EQ(test::FolderSnapshot(data.path()), before);

    // No file, no history: looking starts none.
    test::TempDir empty;
    EXPECT_EQ(OpenHistoryToRead((empty.path() / "history.sqlite").string()), nullptr);
    EXPECT_TRUE(fs::is_empty(empty.path()));
}

TEST_F(HistoryReaderTest, ALookSeesWhatAWriterStillOpenAddedSince) {
    HistoryStore writer(databasePath);
    ASSERT_EQ(writer.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
    HistoryReader reader(databasePath);
    ASSERT_NE(reader.Look(), nullptr);
    ASSERT_EQ(writer.Record(OddsVersion(pat.path(), 1, 1)), RecordOutcome::Added);
    HistoryStore* look = reader.Look();
    ASSERT_NE(look, nullptr);
    const auto race = look->FindRace(OddsVersion(pat.path(), 1, 0).path, std::nullopt);
    ASSERT_TRUE(race);
    EXPECT_EQ(look->Versions(race->id).size(), 2u);
}

TEST_F(HistoryReaderTest, AHistoryTheUserCannotWriteCanStillBeViewed) {
    RecordTwoVersions();
    fs::permissions(databasePath, fs::perms(0444));
    fs::permissions(data.path(), fs::perms(0555));
    const int seen = test::RunUnprivileged([&] { return VersionsSeenByAReader(); });
    fs::permissions(data.path(), fs::perms(0755));
    if (seen < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user";
    }
    EXPECT_EQ(seen, 2);
}

// A newer program's database must survive this one to the last byte, whether
// it records, reads or looks.
TEST_F(HistoryReaderTest, EveryFrontEndLeavesANewerSchemaByteIdentical) {
    {
        sqlite::Database newer(databasePath);
        newer.Execute("CREATE TABLE later (x); INSERT INTO later VALUES (1); PRAGMA user_version = 7");
    }
    const auto before = test::FolderSnapshot(data.path());
    {
        HistoryOnDemand recorder(databasePath, {});
        EXPECT_EQ(recorder.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::NotRecorded);
    }
    {
        HistoryStore writer(databasePath);
        EXPECT_FALSE(writer.IsAvailable());
        const auto problem = writer.TakeProblem();
        ASSERT_TRUE(problem);
        EXPECT_NE(problem->find("新しい版"), std::string::npos) << *problem;
    }
    const auto reader = OpenHistoryToRead(databasePath);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->IsAvailable());
    EXPECT_EQ(test::FolderSnapshot(data.path()), before);
}

TEST_F(HistoryReaderTest, ASchemaWithoutItsTablesIsSaidAndNotReadAsEmpty) {
    {
        sqlite::Database broken(databasePath);
        broken.Execute("CREATE TABLE race (id INTEGER PRIMARY KEY); PRAGMA user_version = 1");
    }
    const auto reader = OpenHistoryToRead(databasePath);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(reader->IsAvailable());
    const auto problem = reader->TakeProblem();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("構造が壊れている"), std::string::npos) << *problem;
}

// A race is found by the file's own time, a week either side of its versions:
// one version far ahead starts a race of its own and hides nothing.
TEST_F(HistoryReaderTest, FindsTheRaceAFileTimeBelongsToWithinAWeekToTheMillisecond) {
    HistoryStore store(databasePath);
    const std::int64_t first = test::MinutesIntoRaceDay(0);
    for (int version = 0; version < 17; ++version) {
        ASSERT_EQ(store.Record(OddsVersion(pat.path(), 1, version)), RecordOutcome::Added);
    }
    const std::int64_t last = test::MinutesIntoRaceDay(16);
    const SeenFile future = At(OddsVersion(pat.path(), 1, 17), last + 8 * kDayMs);
    ASSERT_EQ(store.Record(future), RecordOutcome::Added);
    const std::string path = future.path;

    const auto onRaceDay = store.FindRace(path, first + 60000);
    ASSERT_TRUE(onRaceDay);
    EXPECT_EQ(onRaceDay->versionCount, 17);
    EXPECT_EQ(store.FindRace(path, std::nullopt)->versionCount, 1); // a file gone: the last race

    struct Probe {
        std::int64_t time;
        bool found;
    };
    for (const Probe probe : {Probe{first - kRaceGapMs, true}, Probe{first - kRaceGapMs + 1, true},
                              Probe{first - kRaceGapMs - 1, false}}) {
        const auto race = store.FindRace(path, probe.time);
        EXPECT_EQ(race.has_value(), probe.found) << probe.time - first;
        if (race) {
            EXPECT_EQ(race->versionCount, 17);
        }
    }
    // Between the two races, within a week of both: the nearer one.
    EXPECT_EQ(store.FindRace(path, last + kRaceGapMs)->versionCount, 1);
    EXPECT_EQ(store.FindRace(path, last + kRaceGapMs - 1)->versionCount, 1);
    EXPECT_EQ(store.FindRace(path, last + 3 * kDayMs)->versionCount, 17);
    EXPECT_FALSE(store.FindRace(path, future.modifiedMs + kRaceGapMs + 1));
    EXPECT_TRUE(store.FindRace(path, future.modifiedMs + kRaceGapMs));
}

// Written out, not taken from the rule: a week is seven days, so a version
// eight days on starts a race of its own and one six days on does not.
TEST_F(HistoryReaderTest, AWeekIsSevenDaysToTheMillisecond) {
    HistoryStore store(databasePath);
    const SeenFile raceDay = At(OddsVersion(pat.path(), 1, 0), test::MinutesIntoRaceDay(0));
    ASSERT_EQ(store.Record(raceDay), RecordOutcome::Added);
    const std::int64_t sevenDaysMs = 604'800'000;
    EXPECT_TRUE(store.FindRace(raceDay.path, raceDay.modifiedMs + sevenDaysMs));
    EXPECT_FALSE(store.FindRace(raceDay.path, raceDay.modifiedMs + sevenDaysMs + 1));
    EXPECT_FALSE(store.FindRace(raceDay.path, raceDay.modifiedMs - sevenDaysMs - 1));

    ASSERT_EQ(store.Record(At(OddsVersion(pat.path(), 1, 1), raceDay.modifiedMs + 6 * 86'400'000LL)),
              RecordOutcome::Added);
    ASSERT_EQ(store.Record(At(OddsVersion(pat.path(), 1, 2), raceDay.modifiedMs + 14 * 86'400'000LL)),
              RecordOutcome::Added);
    EXPECT_EQ(store.FindRace(raceDay.path, raceDay.modifiedMs)->versionCount, 2);
    EXPECT_EQ(store.FindRace(raceDay.path, std::nullopt)->versionCount, 1);
}

TEST_F(HistoryReaderTest, TimesBeyondAHundredYearsAreNeitherRecordedNorRead) {
    HistoryStore store(databasePath);
    for (const std::int64_t time : {kLatest, kEarliest, kMaxPlausibleTimeMs + 1}) {
        EXPECT_EQ(store.Record(At(OddsVersion(pat.path(), 1, 0), time)), RecordOutcome::NotRecorded);
        const auto problem = store.TakeProblem();
        ASSERT_TRUE(problem) << time;
        EXPECT_NE(problem->find("範囲外"), std::string::npos) << *problem;
        EXPECT_TRUE(store.IsAvailable());
    }
    ASSERT_EQ(store.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
    const auto race = store.FindRace(OddsVersion(pat.path(), 1, 0).path, std::nullopt);
    ASSERT_TRUE(race);
    {
        // Rows an older or broken program could have left.
        sqlite::Database raw(databasePath);
        for (const std::int64_t time : {kLatest, kEarliest}) {
            auto insert = raw.Prepare("INSERT INTO odds_version (race_id, kind, modified_ms, seen_ms, size, "
                                      "compressed) SELECT race_id, kind, ?1, ?1, size, compressed "
                                      "FROM odds_version LIMIT 1");
            insert.Bind(1, time);
            insert.Run();
        }
    }
    EXPECT_EQ(store.Versions(race->id).size(), 1u);
    const auto problem = store.TakeProblem();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("範囲外"), std::string::npos) << *problem;
    for (const std::int64_t time : {kLatest, kEarliest}) {
        EXPECT_FALSE(store.FindRace(OddsVersion(pat.path(), 1, 0).path, time)) << time;
    }
}

TEST(StoredVersionRow, IsTrustedOnlyWhenKindTimesAndBytesAllHold) {
    const std::string bytes = "odds file bytes";
    const std::string compressed = Compress(bytes);
    const auto size = static_cast<std::int64_t>(bytes.size());
    const auto sound = ReadStoredVersion({1, 1000, 2000, size, compressed});
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->kind, OddsFileKind::Quinella);
    EXPECT_EQ(sound->bytes, bytes);
    EXPECT_FALSE(ReadStoredVersion({2, 1000, 2000, size, compressed}));
    EXPECT_FALSE(ReadStoredVersion({0, kEarliest, 2000, size, compressed}));
    EXPECT_FALSE(ReadStoredVersion({0, 1000, kLatest, size, compressed}));
    EXPECT_FALSE(ReadStoredVersion({0, 1000, 2000, -1, compressed}));
    EXPECT_FALSE(ReadStoredVersion({0, 1000, 2000, size + 1, compressed}));
    EXPECT_FALSE(ReadStoredVersion({0, 1000, 2000, kLatest, compressed}));
    EXPECT_FALSE(ReadStoredVersion({0, 1000, 2000, size, compressed.substr(1)}));
}

TEST(FileTimes, AreHeldAtTheLimitsRatherThanOverflowing) {
    EXPECT_EQ(SaturatedMs(1, 999999999), 1999);
    EXPECT_EQ(SaturatedMs(-2, 500000000), -1500);
    EXPECT_EQ(SaturatedMs(kLatest, 999999999), kLatest);
    EXPECT_EQ(SaturatedMs(kLatest / 1000, 999999999), kLatest);
    EXPECT_EQ(SaturatedMs(kEarliest, 0), kEarliest);
    EXPECT_FALSE(IsPlausibleTimeMs(kLatest));
    EXPECT_TRUE(IsPlausibleTimeMs(-kMaxPlausibleTimeMs));
}

} // namespace
} // namespace velmora
