#include "history/history_store.h"

#include "history_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::OddsVersion;
using test::QuinellaVersion;

class HistoryStoreTest : public ::testing::Test {
protected:
    test::TempDir pat;
    test::TempDir data;
    std::string databasePath = (data.path() / "history.sqlite").string();
};

TEST_F(HistoryStoreTest, KeepsEachDistinctVersionOfBothFilesAndSkipsARepeatOfTheLatest) {
    HistoryStore store(databasePath);
    ASSERT_TRUE(store.IsAvailable());
    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 11, 0)), RecordOutcome::Added);
    EXPECT_EQ(store.Record(QuinellaVersion(pat.path(), 11, 0)), RecordOutcome::Added);
    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 11, 0)), RecordOutcome::Unchanged);
    EXPECT_EQ(store.Record(QuinellaVersion(pat.path(), 11, 0)), RecordOutcome::Unchanged);
    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 11, 1)), RecordOutcome::Added);
    // Odds that move back are a movement too, not a repeat.
    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 11, 0)), RecordOutcome::Added);
    EXPECT_FALSE(store.TakeProblem());

    const auto races = store.ListRaces();
    ASSERT_EQ(races.size(), 1u);
    EXPECT_EQ(races[0].versionCount, 4);
    EXPECT_EQ(races[0].fileName, "Zo-05050111.jra");
    EXPECT_EQ(races[0].course, "東京");
    EXPECT_EQ(races[0].meetingNo, 5);
    EXPECT_EQ(races[0].meetingDay, 1);
    EXPECT_EQ(races[0].raceNo, 11);
    EXPECT_EQ(races[0].folder, fs::canonical(pat.path()).string());
}

TEST_F(HistoryStoreTest, GivesARaceVersionsBackInFileTimeOrderWithTheirBytesAndTimes) {
    HistoryStore store(databasePath);
    auto late = OddsVersion(pat.path(), 3, 2);
    auto early = OddsVersion(pat.path(), 3, 1);
    auto quinella = QuinellaVersion(pat.path(), 3, 1);
    store.Record(late); // seen out of order, e.g. by two programs
    store.Record(early);
    store.Record(quinella);

    const auto race = store.FindRace(late.path, late.modifiedMs);
    ASSERT_TRUE(race);
    const auto versions = store.Versions(race->id);
    ASSERT_EQ(versions.size(), 3u);
    EXPECT_EQ(versions[0].bytes, early.bytes);
    EXPECT_EQ(versions[0].modifiedMs, early.modifiedMs);
    EXPECT_EQ(versions[0].seenMs, early.seenMs);
    EXPECT_EQ(versions[1].kind, OddsFileKind::Quinella);
    EXPECT_EQ(versions[1].bytes, quinella.bytes);
    EXPECT_EQ(versions[2].kind, OddsFileKind::WinPlace);
    EXPECT_EQ(versions[2].bytes, late.bytes);
}

TEST_F(HistoryStoreTest, TellsRacesApartByFolderFileAndAGapOfAWeek) {
    HistoryStore store(databasePath);
    test::TempDir otherPat;
    store.Record(OddsVersion(pat.path(), 1, 0));
    store.Record(QuinellaVersion(pat.path(), 1, 0)); // joins the race of its odds file
    store.Record(OddsVersion(pat.path(), 2, 0));
    store.Record(OddsVersion(otherPat.path(), 1, 0));

    auto sixDaysOn = OddsVersion(pat.path(), 1, 1);
    sixDaysOn.modifiedMs += 6LL * 24 * 60 * 60 * 1000;
    EXPECT_EQ(store.Record(sixDaysOn), RecordOutcome::Added);
    // Next year's race of the same file name starts a race of its own, and a
    // repeat of its bytes is measured against that race only.
    auto nextYear = OddsVersion(pat.path(), 1, 0);
    nextYear.modifiedMs += 365LL * 24 * 60 * 60 * 1000;
    EXPECT_EQ(store.Record(nextYear), RecordOutcome::Added);

    const auto races = store.ListRaces();
    ASSERT_EQ(races.size(), 4u);
    const auto found = store.FindRace(QuinellaVersion(pat.path(), 1, 0).path, std::nullopt);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->firstModifiedMs, nextYear.modifiedMs);
    EXPECT_EQ(found->versionCount, 1);
    int sameFolderRaceOne = 0;
    for (const auto& race : races) {
        if (race.fileName == "Zo-05050101.jra" && race.folder == fs::canonical(pat.path()).string()) {
            ++sameFolderRaceOne;
            if (race.id != found->id) {
                EXPECT_EQ(race.versionCount, 3); // both files, then six days on
            }
        }
    }
    EXPECT_EQ(sameFolderRaceOne, 2);
}

TEST_F(HistoryStoreTest, RecordsNothingThatIsNoRaceOddsFile) {
    HistoryStore store(databasePath);
    auto entryFile = OddsVersion(pat.path(), 1, 0);
    entryFile.path = (pat.path() / "De-05050101.jra").string();
    auto shortFile = OddsVersion(pat.path(), 1, 0);
    shortFile.bytes.resize(141);
    auto wrongMarker = OddsVersion(pat.path(), 1, 0);
    wrongMarker.bytes[43] = '9';
    auto huge = OddsVersion(pat.path(), 1, 0);
    huge.bytes.resize(std::size_t{2} << 20, ' ');

    for (const auto& file : {entryFile, shortFile, wrongMarker, huge}) {
        EXPECT_EQ(store.Record(file), RecordOutcome::NotRecorded);
    }
    EXPECT_TRUE(store.ListRaces().empty());
    EXPECT_TRUE(store.IsAvailable());
    EXPECT_FALSE(store.TakeProblem());
}

TEST_F(HistoryStoreTest, RecordsAFileReadFromThePatFolderWithoutWritingThere) {
    const auto version = OddsVersion(pat.path(), 5, 0);
    pat.Write(fs::path(version.path).filename().string(), version.bytes);
    {
        HistoryStore store(databasePath);
        const auto seen = ReadSeenFile(version.path, WallClockMs());
        ASSERT_TRUE(seen);
        EXPECT_EQ(store.Record(*seen), RecordOutcome::Added);
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(pat.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(HistoryStoreTest, ReadsOnlyOrdinaryFilesOfAnOddsFileSizeWithTheirTime) {
    const std::string plain = pat.Write("Zo-05050101.jra", "bytes");
    fs::last_write_time(plain, fs::file_time_type::clock::now() - std::chrono::hours(2));
    const auto seen = ReadSeenFile(plain, 42);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->bytes, "bytes");
    EXPECT_EQ(seen->seenMs, 42);
    EXPECT_NEAR(static_cast<double>(WallClockMs() - seen->modifiedMs), 2.0 * 3600 * 1000, 60 * 1000);

    // A pipe named like an odds file would block a plain read for good.
    const std::string pipe = (pat.path() / "Zo-05050102.jra").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_FALSE(ReadSeenFile(pipe, 0));
    EXPECT_FALSE(ReadSeenFile(pat.Write("Zo-05050103.jra", std::string(kMaxOddsFileBytes + 1, 'x')), 0));
    EXPECT_FALSE(ReadSeenFile((pat.path() / "missing").string(), 0));
    EXPECT_FALSE(ReadSeenFile(pat.path().string(), 0));
}

TEST_F(HistoryStoreTest, KeepsTheHistoryAcrossStoresAndSharesItBetweenTwoAtOnce) {
    {
        HistoryStore store(databasePath);
        store.Record(OddsVersion(pat.path(), 7, 0));
    }
    HistoryStore first(databasePath);
    HistoryStore second(databasePath);
    EXPECT_EQ(first.Record(OddsVersion(pat.path(), 7, 0)), RecordOutcome::Unchanged);
    EXPECT_EQ(first.Record(OddsVersion(pat.path(), 7, 1)), RecordOutcome::Added);
    EXPECT_EQ(second.Record(OddsVersion(pat.path(), 7, 1)), RecordOutcome::Unchanged);
    EXPECT_EQ(second.Record(OddsVersion(pat.path(), 7, 2)), RecordOutcome::Added);
    ASSERT_EQ(first.ListRaces().size(), 1u);
    EXPECT_EQ(first.ListRaces()[0].versionCount, 3);
    EXPECT_FALSE(first.TakeProblem());
    EXPECT_FALSE(second.TakeProblem());
}

TEST(HistoryPath, FollowsXdgDataHomeAndFallsBackToHome) {
    EXPECT_EQ(HistoryPathFor("/data", "/home/u"), "/data/Velmora/history.sqlite");
    EXPECT_EQ(HistoryPathFor(nullptr, "/home/u"), "/home/u/.local/share/Velmora/history.sqlite");
    EXPECT_EQ(HistoryPathFor("", "/home/u"), "/home/u/.local/share/Velmora/history.sqlite");
    EXPECT_EQ(HistoryPathFor("relative/data", "/home/u"), "/home/u/.local/share/Velmora/history.sqlite");
    EXPECT_EQ(HistoryPathFor(nullptr, nullptr), "");
    EXPECT_EQ(HistoryPathFor(nullptr, "relative"), "");
}

TEST(HistoryPath, CreatesItsFolderAndWithoutAPlaceRunsOff) {
    test::TempDir data;
    const auto path = data.path() / "deep" / "Velmora" / "history.sqlite";
    HistoryStore store(path.string());
    EXPECT_TRUE(store.IsAvailable());
    EXPECT_TRUE(fs::is_regular_file(path));

    HistoryStore nowhere("");
    EXPECT_FALSE(nowhere.IsAvailable());
    EXPECT_EQ(nowhere.Record(test::OddsVersion(data.path(), 1, 0)), RecordOutcome::NotRecorded);
    EXPECT_TRUE(nowhere.TakeProblem());
    EXPECT_FALSE(nowhere.TakeProblem());
}

} // namespace
} // namespace velmora
