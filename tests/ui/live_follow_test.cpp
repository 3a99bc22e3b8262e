#include "pat_fixture.h"
#include "patdata/file_naming.h"
#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"
#include "ui/frmSelectFile.h"
#include "ui_test_support.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

#include <unistd.h>

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

// Runs the event loop until `done` holds; false after ten seconds.
template <typename Predicate> bool Eventually(Predicate done) {
    return QTest::qWaitFor(done, 10000);
}

patfixture::Race RaceWithFirstOdds(const std::string& odds, int raceNo = 11) {
    patfixture::Race race;
    race.raceNo = raceNo;
    race.runners = patfixture::RunnersWithOdds({odds, "3.4", "5.6", "8.1", "12.5", "20.3", "33.0", "51.2"});
    return race;
}

class LiveFollowTest : public MainWindowTest {
protected:
    void SetUp() override {
        SetPatFolder(settings, dir.path().string());
        MainWindowTest::SetUp();
        WriteVersion("2.1");
        path = (dir.path() / patfixture::OddsFileName(RaceWithFirstOdds("2.1"))).string();
    }

    void WriteVersion(const std::string& firstOdds, int raceNo = 11) {
        for (const patfixture::FixtureFile& file :
             patfixture::BuildRaceFiles(RaceWithFirstOdds(firstOdds, raceNo))) {
            patfixture::ReplaceByRename(dir.path(), file.name, file.bytes);
        }
    }
    void WriteOddsBytes(const std::string& bytes) {
        patfixture::ReplaceByRename(dir.path(), patfixture::OddsFileName(RaceWithFirstOdds("")), bytes);
    }
    void Load() {
        window->UpdateFormFromSelection(path);
        ASSERT_EQ(window->Follow().FollowedPath(), path);
    }
    QString FirstOdds() { return Text(window.get(), "txtTanOdds_1"); }
    QString Panel() { return Text(window.get(), "sbStatusBar_Follow"); }

    TempDir dir;
    std::string path;
};

TEST_F(LiveFollowTest, FollowsARaceRewrittenByRenameAndRecordsEachVersion) {
    Load();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^更新 \\d\\d:\\d\\d:\\d\\d$")).match(Panel()).hasMatch())
        << Panel().toStdString();
    for (const char* odds : {"4.4", "6.6", "9.9"}) {
        WriteVersion(odds);
        ASSERT_TRUE(Eventually([&] { return FirstOdds() == QString::fromUtf8(odds); }));
    }
    EXPECT_EQ(recorder.Versions(path).size(), 4u);
    EXPECT_EQ(recorder.Versions(GetQuinellaFileName(path)).size(), 4u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LiveFollowTest, EditsAreKeptWithANoteUntilF5Reloads) {
    Load();
    auto* cell = Find<QLineEdit>(window.get(), "txtTanOdds_2");
    cell->selectAll();
    QTest::keyClicks(cell, "77.7");
    WriteVersion("4.4");
    ASSERT_TRUE(Eventually([&] { return Panel() == QStringLiteral("更新あり"); }));
    EXPECT_EQ(Text(window.get(), "txtTanOdds_2"), "77.7");
    EXPECT_EQ(FirstOdds(), "2.1");

    auto* reload = Find<QAction>(window.get(), "mnuFileReload");
    EXPECT_EQ(reload->text(), "最新に更新(&U)");
    EXPECT_EQ(reload->shortcut(), QKeySequence(Qt::Key_F5));
    reload->trigger();
    EXPECT_EQ(FirstOdds(), "4.4");
    EXPECT_EQ(Text(window.get(), "txtTanOdds_2"), "3.4");
    EXPECT_TRUE(Panel().startsWith(QStringLiteral("更新 ")));
}

TEST_F(LiveFollowTest, WithAutoFollowOffANewVersionIsToldAndRecordedButNotShown) {
    auto* autoFollow = Find<QAction>(window.get(), "mnuToolAutoFollow");
    EXPECT_EQ(autoFollow->text(), "自動更新(&A)");
    EXPECT_TRUE(autoFollow->isChecked());
    Load();
    EXPECT_GT(window->Watch()->WatchedPathCount(), 0);

    autoFollow->trigger();
    EXPECT_FALSE(GetAutoFollow(settings));
    EXPECT_GT(window->Watch()->WatchedPathCount(), 0) << "the files stay watched";
    WriteVersion("4.4");
    ASSERT_TRUE(Eventually([&] { return Panel() == QStringLiteral("更新あり"); }));
    EXPECT_EQ(FirstOdds(), "2.1");
    EXPECT_EQ(recorder.Versions(path).size(), 2u);

    // Turned on again, it shows the version that waited.
    autoFollow->trigger();
    EXPECT_TRUE(GetAutoFollow(settings));
    EXPECT_EQ(FirstOdds(), "4.4");
    EXPECT_TRUE(Panel().startsWith(QStringLiteral("更新 ")));
    EXPECT_TRUE(messages.empty());
}

TEST_F(LiveFollowTest, AFileCaughtMidWriteWaitsForTheGoodOneWithoutAMessage) {
    Load();
    QSignalSpy settled(window->Watch(), &FolderWatch::Settled);
    const std::string good = patfixture::WinPlaceOddsBytes(RaceWithFirstOdds("4.4"));
    WriteOddsBytes(good.substr(0, good.size() / 2));
    ASSERT_TRUE(Eventually([&] { return settled.count() >= 1; }));
    EXPECT_EQ(FirstOdds(), "2.1");
    WriteOddsBytes(good);
    ASSERT_TRUE(Eventually([&] { return FirstOdds() == "4.4"; }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(LiveFollowTest, ABurstOfChangesGivesFewReloadsAndTheEventLoopKeepsTurning) {
    Load();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(0);
    QString last;
    for (int i = 0; i < 1000; ++i) {
        last = QString::number(2.0 + 0.1 * (i + 1), 'f', 1);
        WriteOddsBytes(patfixture::WinPlaceOddsBytes(RaceWithFirstOdds(last.toStdString())));
        QCoreApplication::processEvents();
    }
    ticker.stop();
    EXPECT_GE(ticks, 100) << "the loop ran while the files changed";
    ASSERT_TRUE(Eventually([&] { return FirstOdds() == last; }));
    // The pause before a reload swallows the burst; the watches don't pile up.
    EXPECT_LE(recorder.Versions(path).size(), 20u);
    EXPECT_LE(window->Watch()->WatchedPathCount(), 4);
    EXPECT_TRUE(messages.empty());
}

TEST_F(LiveFollowTest, FollowingResumesWhenTheFolderIsRemovedAndCreatedAgain) {
    Load();
    fs::remove_all(dir.path());
    ASSERT_TRUE(Eventually([&] { return window->Watch()->WatchedPathCount() == 1; })); // the folder above it
    fs::create_directory(dir.path());
    WriteVersion("4.4");
    ASSERT_TRUE(Eventually([&] { return FirstOdds() == "4.4"; }));
    EXPECT_TRUE(messages.empty());
    WriteVersion("6.6");
    ASSERT_TRUE(Eventually([&] { return FirstOdds() == "6.6"; }));
}

// A folder renamed away keeps its watch; the folder put in its place under the
// same name is the one followed.
TEST_F(LiveFollowTest, FollowingMovesToANewFolderPutWhereTheOldOneWasRenamedAway) {
    Load();
    TempDir elsewhere;
    fs::rename(dir.path(), elsewhere.path() / "renamed");
    fs::create_directory(dir.path());
    WriteVersion("4.4");
    ASSERT_TRUE(Eventually([&] { return FirstOdds() == "4.4"; }));
    EXPECT_TRUE(messages.empty());
}

// Root may watch any folder, so the folder that may not be read is followed by
// an unprivileged user, who owns it and makes it readable again. The child
// reports through its exit code, one bit for each thing seen.
TEST_F(LiveFollowTest, AFolderThatCannotBeWatchedIsSaidUntilTheWatchIsBackAndThenSettled) {
    const fs::path pat = dir.path() / "pat";
    fs::create_directory(pat);
    fs::permissions(dir.path(), fs::perms(0755));
    for (const patfixture::FixtureFile& file : patfixture::BuildRaceFiles(RaceWithFirstOdds("2.1"))) {
        patfixture::ReplaceByRename(pat, file.name, file.bytes);
        fs::permissions(pat / file.name, fs::perms(0644));
    }
    ASSERT_EQ(chown(pat.c_str(), 65534, 65534), 0);
    const std::string race = (pat / patfixture::OddsFileName(RaceWithFirstOdds("2.1"))).string();
    // The forked child has none of the painting threads: it must not paint.
    window->hide();
    QCoreApplication::processEvents();
    int found = RunUnprivileged([&] {
        int seen = 0;
        // Write and search, but no read: the folder can't be watched.
        fs::permissions(pat, fs::perms(0311));
        window->UpdateFormFromSelection(race);
        seen |= Panel() == QStringLiteral("監視停止中") ? 1 : 0;
        QSignalSpy settled(window->Watch(), &FolderWatch::Settled);
        fs::permissions(pat, fs::perms(0755));
        seen |= Eventually([&] { return Panel().startsWith(QStringLiteral("更新 ")); }) ? 2 : 0;
        // Back, it looks once at what may have changed meanwhile, and watches it all.
        seen |= Eventually([&] { return settled.count() >= 1; }) ? 4 : 0;
        seen |= window->Watch()->WatchedPathCount() == 4 ? 8 : 0;
        for (const patfixture::FixtureFile& file : patfixture::BuildRaceFiles(RaceWithFirstOdds("4.4"))) {
            patfixture::ReplaceByRename(pat, file.name, file.bytes);
        }
        seen |= Eventually([&] { return FirstOdds() == "4.4"; }) ? 16 : 0;
        return seen;
    });
    if (found < 0) {
        GTEST_SKIP() << "could not run as an unprivileged user to make a folder unreadable";
    }
    EXPECT_EQ(found, 31);
}

TEST_F(LiveFollowTest, TheBrowserListsNewRacesAndKeepsTheChosenOneChosen) {
    WriteVersion("2.1", 5);
    Trigger("mnuFileList");
    frmSelectFile* browser = window->SelectFileWindow();
    ASSERT_EQ(browser->List().ListedCount(), 2);
    QTableWidget* grid = browser->Grid();
    grid->setCurrentCell(1, 1); // 5R, listed after 11R
    ASSERT_EQ(browser->List().Row(2).file, "Zo-05010105.jra");

    WriteVersion("2.1", 1); // 1R, listed between them
    ASSERT_TRUE(Eventually([&] { return browser->List().ListedCount() == 3; }));
    EXPECT_EQ(browser->List().Row(browser->List().CurrentRow()).file, "Zo-05010105.jra");
    EXPECT_EQ(grid->currentRow(), 2);

    browser->hide();
    EXPECT_FALSE(browser->Watch()->IsWatching());
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace velmora::test
