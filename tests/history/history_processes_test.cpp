#include "history/history_store.h"
#include "history/sqlite.h"

#include "child_process.h"
#include "history_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class HistoryProcessTest : public ::testing::Test {
protected:
    test::ChildProcess StartWriter(int raceNo, int firstVersion, int count) const {
        return test::ChildProcess(VELMORA_HISTORY_CHILD,
                                  {databasePath, pat.path().string(), std::to_string(raceNo),
                                   std::to_string(firstVersion), std::to_string(count)});
    }

    test::TempDir pat;
    test::TempDir data;
    std::string databasePath = (data.path() / "history.sqlite").string();
};

std::string IntegrityCheck(const std::string& path) {
    sqlite::Database db(path);
    auto check = db.Prepare("PRAGMA integrity_check");
    return check.Step() ? check.Text(0) : "no answer";
}

TEST_F(HistoryProcessTest, TwoWritersAtOnceBothRecordEverything) {
    { HistoryStore create(databasePath); }
    auto first = StartWriter(1, 0, 150);
    auto second = StartWriter(2, 0, 150);
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);

    HistoryStore store(databasePath);
    const auto races = store.ListRaces();
    ASSERT_EQ(races.size(), 2u);
    EXPECT_EQ(races[0].versionCount + races[1].versionCount, 2 * 2 * 150);
}

// The writer is killed at a different point of its work each round; the
// next round's writer opens what the last one left.
TEST_F(HistoryProcessTest, AWriterKilledMidRecordingLeavesASoundDatabaseWithWholeVersions) {
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        auto writer = StartWriter(1, round * 1000, 1000);
        ASSERT_TRUE(writer.ReadBytes(static_cast<std::size_t>(20 + 17 * round)));
        writer.Kill(SIGKILL);
        EXPECT_EQ(writer.Wait(), -SIGKILL);
        ASSERT_EQ(IntegrityCheck(databasePath), "ok") << "after round " << round;
    }

    HistoryStore store(databasePath);
    ASSERT_TRUE(store.IsAvailable());
    const auto race = store.FindRace(test::OddsVersion(pat.path(), 1, 0).path, std::nullopt);
    ASSERT_TRUE(race);
    // Each version held is one the writer made, byte for byte; a version
    // whose odds file got in but its quinella file not is a version cut
    // between two transactions, which is whole, not half.
    std::map<std::int64_t, int> filesPerVersion;
    for (const auto& held : store.Versions(race->id)) {
        const int version = static_cast<int>((held.modifiedMs - test::kRaceDayMs) / 60000);
        const auto made = held.kind == OddsFileKind::WinPlace ? test::OddsVersion(pat.path(), 1, version)
                                                              : test::QuinellaVersion(pat.path(), 1, version);
        EXPECT_EQ(held.bytes, made.bytes) << "version " << version;
        EXPECT_EQ(held.seenMs, made.seenMs);
        ++filesPerVersion[version];
    }
    EXPECT_GE(filesPerVersion.size(), static_cast<std::size_t>(kRounds * 20));
    sqlite::Database db(databasePath);
    auto rows = db.Prepare("SELECT count(*) FROM odds_version");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Int(0), race->versionCount) << "every stored row reads back whole";
}

TEST_F(HistoryProcessTest, ARaceDayOf36RacesWith30VersionsEachStaysWithinThreeMegabytes) {
    {
        HistoryStore store(databasePath);
        for (int version = 0; version < 30; ++version) {
            for (int raceNo = 1; raceNo <= 36; ++raceNo) {
                ASSERT_EQ(store.Record(test::OddsVersion(pat.path(), raceNo, version)), RecordOutcome::Added);
                ASSERT_EQ(store.Record(test::QuinellaVersion(pat.path(), raceNo, version)),
                          RecordOutcome::Added);
            }
        }
    } // the last connection folds the journal back into the file
    std::uintmax_t size = fs::file_size(databasePath);
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code ignored;
        const auto extra = fs::file_size(databasePath + suffix, ignored);
        size += ignored ? 0 : extra;
    }
    RecordProperty("database_bytes", std::to_string(size));
    std::printf("36 races x 30 versions: %ju bytes\n", size);
    EXPECT_LE(size, std::uintmax_t{3} * 1024 * 1024);
}

} // namespace
} // namespace velmora
