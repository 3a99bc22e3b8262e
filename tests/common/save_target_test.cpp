#include "common/save_target.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A PAT folder with a subfolder, and a user folder holding every kind of way
// back into it.
class SaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        pat = dir.path() / "pat";
        out = dir.path() / "out";
        fs::create_directories(pat / "sub");
        fs::create_directories(out);
        dir.Write("pat/Zo-06050201.jra", "odds");
        fs::create_symlink(pat / "Zo-06050201.jra", out / "link-zo.csv");
        fs::create_symlink(pat / "new.csv", out / "dangling.csv");
        fs::create_symlink(pat, out / "link-dir.csv");
        fs::create_symlink(pat, out / "patlink");
        fs::create_symlink("link-zo.csv", out / "link-to-link.csv");
        fs::create_symlink("loop-b.csv", out / "loop-a.csv");
        fs::create_symlink("loop-a.csv", out / "loop-b.csv");
        fs::create_symlink("../pat/Zo-06050201.jra", out / "relative.csv");
        fs::create_symlink(pat / "missing" / "new.csv", out / "deep-dangling.csv");
        fs::create_symlink(pat / "Velmora", out / "dir-link");
    }

    SaveTarget Resolve(const fs::path& chosen) const {
        return ResolveSaveTarget(chosen.string(), {"", (pat / "").string()});
    }

    test::TempDir dir;
    fs::path pat;
    fs::path out;
};

TEST_F(SaveTargetTest, EveryWayIntoThePatFolderIsRefused) {
    const fs::path refused[] = {
        pat / "backtest.csv",         // the folder itself
        pat / "sub" / "backtest.csv", // a subfolder
        out / ".." / "pat" / "x.csv", // ".." in the path
        out / "link-zo.csv",          // a link to a PAT file
        out / "link-to-link.csv",     // a link to that link
        out / "dangling.csv",         // a link to a file not there yet
        out / "link-dir.csv",         // a link to the folder
        out / "patlink" / "x.csv",    // a folder reached through a link
        out / "patlink" / ".." / "pat" / "y.csv",
        out / "relative.csv",                // a relative link climbing back up
        out / "patlink" / "new" / "x.csv",   // a folder not there yet, below a linked one
        out / "deep-dangling.csv",           // a dangling link into a missing PAT subfolder
        out / "dir-link" / "history.sqlite", // a dangling link named as a folder
    };
    for (const fs::path& chosen : refused) {
        EXPECT_EQ(Resolve(chosen).verdict, SaveTargetVerdict::InsideProtectedFolder) << chosen;
    }
}

TEST_F(SaveTargetTest, OtherTargetsAreAllowedAtTheirFinalPath) {
    SaveTarget plain = Resolve(out / "backtest.csv");
    EXPECT_EQ(plain.verdict, SaveTargetVerdict::Allowed);
    EXPECT_EQ(plain.path, (fs::canonical(out) / "backtest.csv").string());

    dir.Write("out/mine.csv", "old");
    fs::create_symlink("mine.csv", out / "to-mine.csv");
    SaveTarget linked = Resolve(out / "to-mine.csv");
    EXPECT_EQ(linked.verdict, SaveTargetVerdict::Allowed);
    EXPECT_EQ(linked.path, (fs::canonical(out) / "mine.csv").string());

    // A folder beside the PAT folder whose name merely starts like it.
    fs::create_directory(dir.path() / "pat2");
    EXPECT_EQ(Resolve(dir.path() / "pat2" / "x.csv").verdict, SaveTargetVerdict::Allowed);
}

TEST_F(SaveTargetTest, FoldersNotThereYetResolveAsTheWriterWouldCreateThem) {
    SaveTarget nested = Resolve(out / "missing" / "deeper" / ".." / "x.csv");
    EXPECT_EQ(nested.verdict, SaveTargetVerdict::Allowed);
    EXPECT_EQ(nested.path, (fs::canonical(out) / "missing" / "x.csv").string());
}

TEST_F(SaveTargetTest, TargetsThatCannotBeResolvedAreNotWritten) {
    dir.Write("out/plain.csv", "x");
    for (const fs::path& chosen : {out / "loop-a.csv", out / "plain.csv" / "x.csv", fs::path()}) {
        EXPECT_EQ(Resolve(chosen).verdict, SaveTargetVerdict::Unresolvable) << chosen;
    }
}

// A write lands in the file's contents: a folder, a pipe or a file that
// shares its contents with a PAT file under another name is never written.
TEST_F(SaveTargetTest, OnlyAnOrdinaryFileOfItsOwnIsWritten) {
    fs::create_hard_link(pat / "Zo-06050201.jra", out / "hard-link.csv");
    ASSERT_EQ(mkfifo((out / "pipe.csv").c_str(), 0600), 0);
    fs::create_directory(out / "folder.csv");
    fs::create_symlink("pipe.csv", out / "to-pipe.csv");
    for (const fs::path& chosen :
         {out / "hard-link.csv", out / "pipe.csv", out / "folder.csv", out / "to-pipe.csv"}) {
        EXPECT_EQ(Resolve(chosen).verdict, SaveTargetVerdict::NotAPlainFile) << chosen;
    }
}

TEST_F(SaveTargetTest, APathLiesInOrBelowAFolderByTheSameRule) {
    EXPECT_TRUE(LiesInOrBelow((out / "patlink" / "x").string(), pat.string()));
    EXPECT_TRUE(LiesInOrBelow((pat / "sub").string(), (out / "patlink").string()));
    EXPECT_TRUE(LiesInOrBelow(pat.string(), pat.string()));
    EXPECT_FALSE(LiesInOrBelow((dir.path() / "pat2").string(), pat.string()));
    EXPECT_FALSE(LiesInOrBelow((out / "x").string(), ""));
}

} // namespace
} // namespace velmora
