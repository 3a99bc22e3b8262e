#include "qtsettings/qsettings_store.h"
#include "settings/settings_ops.h"
#include "support/temp_dir.h"

#include <QLockFile>
#include <QString>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Points XDG_CONFIG_HOME at a fresh temporary folder for one test and puts
// the variable back afterwards.
class TemporaryConfigHome {
public:
    TemporaryConfigHome() {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            old_ = old;
        }
        ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    }
    ~TemporaryConfigHome() {
        if (old_) {
            ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
    }
    TemporaryConfigHome(const TemporaryConfigHome&) = delete;
    TemporaryConfigHome& operator=(const TemporaryConfigHome&) = delete;

    fs::path SettingsFile() const { return dir_.path() / "Velmora" / "Velmora.conf"; }
    void WriteSettings(const std::string& bytes) const { dir_.Write("Velmora/Velmora.conf", bytes); }

private:
    test::TempDir dir_;
    std::optional<std::string> old_;
};

class QSettingsStoreTest : public ::testing::Test {
protected:
    TemporaryConfigHome home;
    std::vector<std::string> problems;

    void Listen(QSettingsStore& store) {
        store.OnProblem([this](const std::string& problem) { problems.push_back(problem); });
    }
};

TEST_F(QSettingsStoreTest, PersistsUnderVelmoraWithNestedSections) {
    QSettingsStore store;
    Listen(store);
    EXPECT_FALSE(store.Read("Option", "PatFolder"));
    SetPopularColor(store, 1, 255);
    SetPatFolder(store, "/srv/パット");
    store.Write("MainWindow", "Left", "1440");
    store.Write("Option", "Note", "@Variant(a text that only looks like one)");

    QSettingsStore again;
    Listen(again);
    EXPECT_EQ(GetPopularColor(again, 1), 255);
    EXPECT_EQ(GetPopularColor(again, 2), kWhite);
    EXPECT_EQ(GetPatFolder(again), "/srv/パット/");
    EXPECT_EQ(again.Get("MainWindow", "Left", "1000"), "1440");
    EXPECT_EQ(again.Read("Option", "Note"), "@Variant(a text that only looks like one)");
    EXPECT_NE(test::ReadFileBytes(home.SettingsFile()).find("PopularColor\\1=255"), std::string::npos);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

// A file that is unsafe to open: the defaults, one notice naming the file, writes
// kept for the run only, and the odd file left exactly as it was.
void ExpectLeftAlone(const fs::path& file, std::vector<std::string>& problems,
                     const std::function<void(QSettingsStore&)>& listen) {
    struct stat before {};
    ASSERT_EQ(::lstat(file.c_str(), &before), 0);
    std::string bytes = S_ISREG(before.st_mode) ? test::ReadFileBytes(file) : std::string();
    {
        QSettingsStore store;
        listen(store);
        EXPECT_EQ(GetPatFolder(store).empty(), false); // the default folder
        EXPECT_FALSE(store.Read("MainWindow", "Left"));
        store.Write("MainWindow", "Left", "1440");
        store.Write("MainWindow", "Top", "900");
        EXPECT_EQ(store.Read("MainWindow", "Left"), "1440");
        EXPECT_FALSE(store.Problem().empty());
    }
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_NE(problems.front().find(file.string()), std::string::npos) << problems.front();
    struct stat after {};
    ASSERT_EQ(::lstat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_ino, before.st_ino);
    if (S_ISREG(before.st_mode)) {
        EXPECT_EQ(test::ReadFileBytes(file), bytes);
    }
}

TEST_F(QSettingsStoreTest, APipeInPlaceOfTheFileIsLeftAlone) {
    fs::create_directories(home.SettingsFile().parent_path());
    ASSERT_EQ(::mkfifo(home.SettingsFile().c_str(), 0600), 0);
    ExpectLeftAlone(home.SettingsFile(), problems, [this](QSettingsStore& store) { Listen(store); });
}

TEST_F(QSettingsStoreTest, AFolderInPlaceOfTheFileIsLeftAlone) {
    fs::create_directories(home.SettingsFile());
    ExpectLeftAlone(home.SettingsFile(), problems, [this](QSettingsStore& store) { Listen(store); });
}

TEST_F(QSettingsStoreTest, AnOversizedFileIsLeftAlone) {
    home.WriteSettings("[MainWindow]\nLeft=1\n" + std::string(2 * 1024 * 1024, '#') + "\n");
    ExpectLeftAlone(home.SettingsFile(), problems, [this](QSettingsStore& store) { Listen(store); });
}

TEST_F(QSettingsStoreTest, AVariantClaimingAHugeSizeIsLeftAlone) {
    // A QVariantList that claims four thousand million entries.
    home.WriteSettings("[MainWindow]\nLeft=@Variant(\\0\\0\\0\\t\\xff\\xff\\xff\\xf0)\n"
                       "[Option]\nPatFolder=@Variant(\\0\\0\\0\\t\\xff\\xff\\xff\\xf0)\n");
    ExpectLeftAlone(home.SettingsFile(), problems, [this](QSettingsStore& store) { Listen(store); });
}

// The lock file QSettings takes for a write never goes when it is a folder:
// the store reads the settings but saves nothing, and says so once.
TEST_F(QSettingsStoreTest, ALockThatIsAFolderStopsWritesNotReads) {
    home.WriteSettings("[MainWindow]\nLeft=1440\n");
    const std::string bytes = test::ReadFileBytes(home.SettingsFile());
    fs::path lock = home.SettingsFile().string() + ".lock";
    fs::create_directories(lock);
    {
        QSettingsStore store;
        Listen(store);
        EXPECT_EQ(store.Read("MainWindow", "Left"), "1440");
        store.Write("MainWindow", "Left", "20");
        store.Write("MainWindow", "Top", "30");
        EXPECT_EQ(store.Read("MainWindow", "Left"), "20");
    }
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_NE(problems.front().find(lock.string()), std::string::npos) << problems.front();
    EXPECT_TRUE(fs::is_directory(lock));
    EXPECT_EQ(test::ReadFileBytes(home.SettingsFile()), bytes);
}

// Settings reached through a link into the PAT folder they name are read but
// never written there, and the store says why once.
TEST_F(QSettingsStoreTest, SettingsThatLeadIntoThePatFolderAreNeverWrittenThere) {
    test::TempDir pat;
    pat.Write("Velmora.conf", "[Option]\nPatFolder=" + pat.path().string() + "\n");
    pat.Write("Zo-06050211.jra", "odds");
    fs::create_symlink(pat.path(), home.SettingsFile().parent_path());
    const auto before = test::ReadFileBytes(pat.path() / "Velmora.conf");
    {
        QSettingsStore store;
        Listen(store);
        EXPECT_EQ(GetPatFolder(store), pat.path().string() + "/");
        store.Write("MainWindow", "Left", "20");
        EXPECT_EQ(store.Read("MainWindow", "Left"), "20");
    }
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_NE(problems.front().find("PAT folder"), std::string::npos) << problems.front();
    EXPECT_EQ(test::ReadFileBytes(pat.path() / "Velmora.conf"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(pat.path()), fs::directory_iterator()), 2);
}

// Another program holding the lock delays a write a little, not for ever.
TEST_F(QSettingsStoreTest, ALockHeldElsewhereStopsTheWriteAfterAWhile) {
    home.WriteSettings("[MainWindow]\nLeft=1440\n");
    const std::string bytes = test::ReadFileBytes(home.SettingsFile());
    QLockFile held(QString::fromStdString(home.SettingsFile().string() + ".lock"));
    held.setStaleLockTime(0);
    ASSERT_TRUE(held.tryLock(0));
    {
        QSettingsStore store;
        Listen(store);
        store.Write("MainWindow", "Left", "20");
        EXPECT_EQ(store.Read("MainWindow", "Left"), "20");
    }
    ASSERT_EQ(problems.size(), 1U);
    EXPECT_NE(problems.front().find("locked"), std::string::npos) << problems.front();
    EXPECT_EQ(test::ReadFileBytes(home.SettingsFile()), bytes);
}

} // namespace
} // namespace velmora
