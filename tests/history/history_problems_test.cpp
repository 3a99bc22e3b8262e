#include "history/history_on_demand.h"
#include "history/history_store.h"
#include "history/sqlite.h"

#include "history_fixtures.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::OddsVersion;

// 2026-12-07 09:30:05 in the machine's time zone, for the name of a file put aside.
std::int64_t FixedNowMs() {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 30;
    local.tm_sec = 5;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local)) * 1000;
}

class HistoryProblemTest : public ::testing::Test {
protected:
    HistoryStore::Options QuickOptions() const {
        HistoryStore::Options options;
        options.busyTimeoutMs = 100;
        options.nowMs = FixedNowMs;
        return options;
    }

    test::TempDir pat;
    test::TempDir data;
    fs::path databasePath = data.path() / "history.sqlite";
    std::string asidePath = databasePath.string() + ".corrupt-20261207-093005";
};

TEST_F(HistoryProblemTest, PutsAFileThatIsNoDatabaseAsideUnderAFreshNameAndStartsAgain) {
    const std::string garbage(8192, 'x');
    data.Write("history.sqlite", garbage);
    data.Write("history.sqlite.corrupt-20261207-093005", "an earlier one");

    HistoryStore store(databasePath.string(), QuickOptions());
    ASSERT_TRUE(store.IsAvailable());
    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
    const auto problem = store.TakeProblem();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("壊れていた"), std::string::npos) << *problem;
    EXPECT_NE(problem->find(asidePath + "-2"), std::string::npos) << *problem;
    EXPECT_FALSE(store.TakeProblem());
    EXPECT_EQ(test::ReadFileBytes(asidePath), "an earlier one");
    EXPECT_EQ(test::ReadFileBytes(asidePath + "-2"), garbage);
}

TEST_F(HistoryProblemTest, PutsADatabaseWithDamagedPagesAsideWithItsJournal) {
    {
        HistoryStore store(databasePath.string());
        for (int version = 0; version < 40; ++version) {
            store.Record(OddsVersion(pat.path(), 1, version));
            store.Record(test::QuinellaVersion(pat.path(), 1, version));
        }
    }
    {
        // Scribble over the pages behind the first, as a failing disk would.
        std::fstream file(databasePath, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096);
        const std::string scribble(4096 * 3, '\x5a');
        file.write(scribble.data(), static_cast<std::streamsize>(scribble.size()));
    }
    {
        // Leaves a journal behind, as a program that crashed would.
        sqlite::Database crashed(databasePath.string());
        crashed.SetCheckpointOnClose(false);
        crashed.Execute("CREATE TABLE extra (x); INSERT INTO extra VALUES (1)");
    }
    const auto damaged = test::ReadFileBytes(databasePath);
    const auto journal = test::ReadFileBytes(databasePath.string() + "-wal");
    ASSERT_FALSE(journal.empty());

    HistoryStore store(databasePath.string(), QuickOptions());
    EXPECT_TRUE(store.IsAvailable());
    EXPECT_TRUE(store.TakeProblem());
    EXPECT_EQ(test::ReadFileBytes(asidePath), damaged);
    EXPECT_EQ(test::ReadFileBytes(asidePath + "-wal"), journal);
    EXPECT_TRUE(store.ListRaces().empty());
}

TEST_F(HistoryProblemTest, StopsOnceWithOneMessageWhenAnotherProgramHoldsTheDatabase) {
    HistoryStore store(databasePath.string(), QuickOptions());
    ASSERT_TRUE(store.IsAvailable());
    sqlite::Database other(databasePath.string());
    sqlite::Transaction holding(other);

    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::NotRecorded);
    EXPECT_FALSE(store.IsAvailable());
    EXPECT_EQ(store.Record(OddsVersion(pat.path(), 1, 1)), RecordOutcome::NotRecorded);
    const auto problem = store.TakeProblem();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("使われたまま"), std::string::npos) << *problem;
    EXPECT_EQ(problem->find('\n', problem->find('\n') + 1), std::string::npos) << "one message: " << *problem;
    EXPECT_FALSE(store.TakeProblem());
    EXPECT_FALSE(fs::exists(asidePath)); // held is not corrupt
}

TEST_F(HistoryProblemTest, RunsOffWhereNothingCanBeWritten) {
    data.Write("not-a-folder", "x");
    HistoryStore underAFile((data.path() / "not-a-folder" / "history.sqlite").string(), QuickOptions());
    EXPECT_FALSE(underAFile.IsAvailable());
    EXPECT_EQ(underAFile.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::NotRecorded);
    const auto problem = underAFile.TakeProblem();
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("書き込めない"), std::string::npos) << *problem;

    { HistoryStore create(databasePath.string()); }
    fs::permissions(data.path(), fs::perms(0755));
    fs::permissions(databasePath, fs::perms(0444));
    const int found = test::RunUnprivileged([&] {
        HistoryStore readOnly(databasePath.string(), QuickOptions());
        return (!readOnly.IsAvailable() ? 1 : 0) + (readOnly.TakeProblem() ? 2 : 0);
    });
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make the database unwritable";
    }
    EXPECT_EQ(found, 3);
    EXPECT_FALSE(fs::exists(asidePath)); // unwritable is not corrupt
}

TEST_F(HistoryProblemTest, OnDemandOpensWithTheFirstVersionAndPassesItsTroubleOnOnce) {
    std::vector<std::string> problems;
    HistoryOnDemand idle(databasePath.string(),
                         [&](const std::string& problem) { problems.push_back(problem); });
    EXPECT_FALSE(fs::exists(databasePath)); // a command that reads no odds leaves nothing
    EXPECT_EQ(idle.store(), nullptr);
    EXPECT_EQ(idle.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
    EXPECT_TRUE(fs::exists(databasePath));
    ASSERT_NE(idle.store(), nullptr);
    EXPECT_EQ(idle.store()->ListRaces().size(), 1u);

    data.Write("not-a-folder", "x");
    HistoryOnDemand broken((data.path() / "not-a-folder" / "history.sqlite").string(),
                           [&](const std::string& problem) { problems.push_back(problem); });
    for (int version = 0; version < 3; ++version) {
        EXPECT_EQ(broken.Record(OddsVersion(pat.path(), 1, version)), RecordOutcome::NotRecorded);
    }
    EXPECT_EQ(broken.store(), nullptr);
    EXPECT_EQ(problems.size(), 1u);
}

TEST_F(HistoryProblemTest, TroubleWhoseCauseClearsEndsWithTheNextVersionAndIsSaidOnce) {
    std::vector<std::string> said;
    std::vector<std::string> resumed;
    data.Write("in-the-way", "x");
    const fs::path blocked = data.path() / "in-the-way" / "history.sqlite";
    HistoryOnDemand history(
        blocked.string(), {}, [&](const std::string& text) { said.push_back(text); },
        [&](const std::string& text) { resumed.push_back(text); });
    EXPECT_EQ(history.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::NotRecorded);
    EXPECT_EQ(history.Record(OddsVersion(pat.path(), 1, 1)), RecordOutcome::NotRecorded);
    fs::remove(data.path() / "in-the-way");
    EXPECT_EQ(history.Record(OddsVersion(pat.path(), 1, 2)), RecordOutcome::Added);
    EXPECT_EQ(said.size(), 1u);
    EXPECT_EQ(resumed.size(), 1u);

    // A lock held past the wait: the versions meanwhile are not recorded, the
    // first one after it is, and the trouble and its end are each said once.
    {
        sqlite::Database other(blocked.string());
        sqlite::Transaction holding(other);
        EXPECT_EQ(history.Record(OddsVersion(pat.path(), 1, 3)), RecordOutcome::NotRecorded);
        EXPECT_EQ(history.Record(OddsVersion(pat.path(), 1, 4)), RecordOutcome::NotRecorded);
    }
    EXPECT_EQ(history.Record(OddsVersion(pat.path(), 1, 5)), RecordOutcome::Added);
    ASSERT_EQ(said.size(), 2u);
    EXPECT_NE(said.back().find("使われたまま"), std::string::npos) << said.back();
    EXPECT_EQ(resumed.size(), 2u);
    ASSERT_NE(history.store(), nullptr);
    const auto race = history.store()->FindRace(OddsVersion(pat.path(), 1, 0).path, std::nullopt);
    ASSERT_TRUE(race);
    EXPECT_EQ(race->versionCount, 2);
}

// Two writers that find the same broken file: the second must not move the
// fresh database the first has just started aside, nor blame it.
TEST_F(HistoryProblemTest, TwoWritersFindingOneCorruptFileMoveItAsideOnce) {
    data.Write("history.sqlite", std::string(8192, 'x'));
    std::unique_ptr<HistoryStore> first;
    HistoryStore::Options options = QuickOptions();
    options.onCorruptFound = [&] {
        if (!first) {
            first = std::make_unique<HistoryStore>(databasePath.string(), QuickOptions());
            EXPECT_EQ(first->Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
        }
    };
    HistoryStore second(databasePath.string(), options);
    ASSERT_TRUE(first);
    ASSERT_TRUE(second.IsAvailable());
    const auto problem = second.TakeProblem();
    EXPECT_FALSE(problem) << *problem;
    EXPECT_EQ(second.ListRaces().size(), 1u); // the first one's fresh database, kept
    EXPECT_EQ(test::ReadFileBytes(asidePath), std::string(8192, 'x'));
    int putAside = 0;
    for (const auto& entry : fs::directory_iterator(data.path())) {
        putAside += entry.path().filename().string().starts_with("history.sqlite.corrupt-");
    }
    EXPECT_EQ(putAside, 1);
}

TEST_F(HistoryProblemTest, MigratesAnEmptySchemaAndLeavesANewerOneAlone) {
    { sqlite::Database empty(databasePath.string()); }
    {
        HistoryStore store(databasePath.string(), QuickOptions());
        EXPECT_EQ(store.Record(OddsVersion(pat.path(), 1, 0)), RecordOutcome::Added);
    }
    sqlite::Database check(databasePath.string());
    {
        auto version = check.Prepare("PRAGMA user_version");
        ASSERT_TRUE(version.Step());
        EXPECT_EQ(version.Int(0), 1);
        auto mode = check.Prepare("PRAGMA journal_mode");
        ASSERT_TRUE(mode.Step());
        EXPECT_EQ(mode.Text(0), "wal");
    }
    check.Execute("PRAGMA user_version = 99");
    HistoryStore newer(databasePath.string(), QuickOptions());
    EXPECT_FALSE(newer.IsAvailable());
    EXPECT_TRUE(newer.TakeProblem());
    EXPECT_FALSE(fs::exists(asidePath));
}

} // namespace
} // namespace velmora
