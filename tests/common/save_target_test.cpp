#include "common/save_target.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

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

TEST_F(SaveTargetTest, TargetsThatCannotBeResolvedAreNotWritten) {
    for (const fs::path& chosen : {out / "loop-a.csv", out / "missing" / "x.csv", fs::path()}) {
        EXPECT_EQ(Resolve(chosen).verdict, SaveTargetVerdict::Unresolvable) << chosen;
    }
}

} // namespace
} // namespace velmora
