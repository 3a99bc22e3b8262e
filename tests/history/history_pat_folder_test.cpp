#include "history/history_on_demand.h"
#include "history/history_store.h"

#include "history_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::OddsVersion;

// A PAT folder with one race's odds file, empty as PAT leaves it before its
// first write, and a data folder whose history is made to lead into it.
class HistoryPatFolderTest : public ::testing::Test {
protected:
    void SetUp() override { pat.Write("Zo-06050211.jra", ""); }

    // What recording one version through the front ends' recorder says.
    std::vector<std::string> RecordThrough(const fs::path& databasePath, RecordOutcome expected) {
        std::vector<std::string> said;
        HistoryOnDemand history(
            databasePath.string(), [this] { return std::vector<std::string>{pat.path().string()}; },
            [&](const std::string& text) { said.push_back(text); }, {});
        EXPECT_EQ(history.Record(OddsVersion(elsewhere.path(), 1, 0)), expected);
        EXPECT_EQ(history.Record(OddsVersion(elsewhere.path(), 1, 1)), expected);
        return said;
    }

    test::TempDir pat;
    test::TempDir data;
    test::TempDir elsewhere; // where the recorded odds come from
};

TEST_F(HistoryPatFolderTest, NoLinkLeadsTheDatabaseOrItsJournalsIntoThePatFolder) {
    const auto before = test::FolderSnapshot(pat.path());
    struct Case {
        const char* what;
        fs::path link;
        fs::path target;
        fs::path database;
    };
    const std::vector<Case> cases = {
        {"a link to an empty odds file", data.path() / "a.sqlite", pat.path() / "Zo-06050211.jra",
         data.path() / "a.sqlite"},
        {"a dangling link", data.path() / "b.sqlite", pat.path() / "history.sqlite",
         data.path() / "b.sqlite"},
        {"the data folder linked to the PAT folder", data.path() / "Velmora", pat.path(),
         data.path() / "Velmora" / "history.sqlite"},
        {"a link to a folder not there yet", data.path() / "Later", pat.path() / "later",
         data.path() / "Later" / "history.sqlite"},
        {"the write-ahead log linked", data.path() / "c.sqlite-wal", pat.path() / "c.sqlite-wal",
         data.path() / "c.sqlite"},
        {"the shared memory linked", data.path() / "d.sqlite-shm", pat.path() / "Zo-06050211.jra",
         data.path() / "d.sqlite"},
        {"the rollback journal linked", data.path() / "e.sqlite-journal", pat.path() / "e",
         data.path() / "e.sqlite"},
    };
    for (const Case& link : cases) {
        fs::create_symlink(link.target, link.link);
        const auto said = RecordThrough(link.database, RecordOutcome::NotRecorded);
        ASSERT_EQ(said.size(), 1u) << link.what;
        EXPECT_NE(said.front().find("PAT のフォルダ"), std::string::npos)
            << link.what << ": " << said.front();
        EXPECT_EQ(test::FolderSnapshot(pat.path()), before) << link.what;
    }
}

TEST_F(HistoryPatFolderTest, AHardLinkToAPatFileIsNotWrittenThrough) {
    fs::create_hard_link(pat.path() / "Zo-06050211.jra", data.path() / "history.sqlite");
    const auto said = RecordThrough(data.path() / "history.sqlite", RecordOutcome::NotRecorded);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said.front().find("ハードリンク"), std::string::npos) << said.front();
    EXPECT_EQ(fs::file_size(pat.path() / "Zo-06050211.jra"), 0u);
}

TEST_F(HistoryPatFolderTest, ALinkToAPlaceOutsideThePatFolderIsFollowed) {
    fs::create_directory(data.path() / "real");
    fs::create_symlink(data.path() / "real" / "history.sqlite", data.path() / "history.sqlite");
    EXPECT_TRUE(RecordThrough(data.path() / "history.sqlite", RecordOutcome::Added).empty());
    EXPECT_TRUE(fs::is_symlink(data.path() / "history.sqlite"));
    EXPECT_TRUE(fs::is_regular_file(data.path() / "real" / "history.sqlite"));
}

// A race loaded from any folder makes that folder a PAT folder too: a database
// lying in it records nothing from there, and says so once.
TEST_F(HistoryPatFolderTest, TheFolderOfTheRecordedOddsIsNeverWrittenEither) {
    std::vector<std::string> said;
    HistoryOnDemand history((elsewhere.path() / "Velmora" / "history.sqlite").string(),
                            [&](const std::string& text) { said.push_back(text); });
    EXPECT_EQ(history.Record(OddsVersion(elsewhere.path(), 1, 0)), RecordOutcome::NotRecorded);
    EXPECT_EQ(history.Record(OddsVersion(elsewhere.path(), 1, 1)), RecordOutcome::NotRecorded);
    EXPECT_EQ(said.size(), 1u);
    EXPECT_FALSE(fs::exists(elsewhere.path() / "Velmora"));

    // Opened from one folder, it still refuses another that holds it.
    test::TempDir outer;
    HistoryOnDemand nested((outer.path() / "inner" / "history.sqlite").string(), {});
    fs::create_directory(outer.path() / "other");
    EXPECT_EQ(nested.Record(OddsVersion(outer.path() / "other", 1, 0)), RecordOutcome::Added);
    EXPECT_EQ(nested.Record(OddsVersion(outer.path(), 1, 0)), RecordOutcome::NotRecorded);
}

} // namespace
} // namespace velmora
