#include "qtsettings/qsettings_store.h"
#include "ui/file_filter.h"
#include "ui/frmAbout.h"
#include "ui/frmSelectFile.h"
#include "ui/twips.h"
#include "ui_test_support.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

namespace velmora::test {
namespace {

class PositionTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings(QStringLiteral("Velmora"), QStringLiteral("Velmora")).clear(); }
    QSettingsStore store;
    RemarkList remarks;
    NullRecorder noHistory;
};

TEST_F(PositionTest, MainWindowPositionSurvivesARestart) {
    {
        frmMain first(store, remarks, noHistory);
        first.show();
        first.move(120, 90);
        first.close();
    }
    Twips twips = Twips::ForScreen();
    EXPECT_EQ(store.Read("MainWindow", "Left"), std::to_string(static_cast<int>(twips.FromPixels(120))));
    frmMain second(store, remarks, noHistory);
    EXPECT_EQ(second.pos(), QPoint(120, 90));
}

TEST_F(PositionTest, FirstStartOpensAtTheDefaultPosition) {
    frmMain window(store, remarks, noHistory);
    Twips twips = Twips::ForScreen();
    EXPECT_EQ(window.pos(), QPoint(twips.ToPixels(1000), twips.ToPixels(1000)));
}

TEST_F(PositionTest, MinimisedCloseKeepsTheStoredPosition) {
    store.Write("MainWindow", "Left", "1500");
    store.Write("MainWindow", "Top", "1500");
    frmMain window(store, remarks, noHistory);
    window.show();
    window.move(10, 10);
    window.showMinimized();
    window.setWindowState(Qt::WindowMinimized);
    window.close();
    EXPECT_EQ(store.Read("MainWindow", "Left"), "1500");
    EXPECT_EQ(store.Read("MainWindow", "Top"), "1500");
}

TEST_F(PositionTest, AStoredPositionOffEveryScreenComesBackOntoThePrimaryScreen) {
    store.Write("MainWindow", "Left", "-2000000");
    store.Write("MainWindow", "Top", "3000000");
    frmMain window(store, remarks, noHistory);
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.pos())) << window.x() << "," << window.y();
}

TEST_F(PositionTest, NonNumericPositionKeepsTheDesignPosition) {
    store.Write("MainWindow", "Left", "abc");
    frmMain window(store, remarks, noHistory);
    EXPECT_EQ(window.x(), Twips::ForScreen().ToPixels(1000));
}

TEST(BringOntoScreen, KeepsWholeFramesAndMovesTheOthersOntoTheNearestScreen) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    struct Case {
        QPoint wanted;
        QPoint expected;
    };
    const Case cases[] = {
        {{100, 100}, {100, 100}},                // on the primary screen
        {{2000, 50}, {2000, 50}},                // on the second screen
        {{-700, 100}, {0, 100}},                 // partly off on the left
        {{1700, 100}, {1920, 100}},              // mostly on the second screen
        {{1300, 100}, {1920 - 800, 100}},        // mostly on the primary screen
        {{5000, 100}, {1920 + 1280 - 800, 100}}, // right of every screen: the closest
        {{100, -300}, {100, 0}},                 // title bar above the screen
        {{100, 5000}, {100, 1080 - 500}},
        {{-100000, -100000}, {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BringOntoScreen(QRect(c.wanted, QSize(800, 500)), screens), c.expected)
            << c.wanted.x() << "," << c.wanted.y();
    }
    // A frame larger than the screen keeps its title bar on it, and where it was
    // when that is on the screen.
    EXPECT_EQ(BringOntoScreen(QRect(QPoint(10, -50), QSize(800, 2000)), screens), QPoint(10, 0));
    EXPECT_EQ(BringOntoScreen(QRect(QPoint(100, 100), QSize(2000, 500)), screens), QPoint(100, 100));
    EXPECT_EQ(BringOntoScreen(QRect(QPoint(-900, 100), QSize(2000, 500)), screens), QPoint(0, 100));
}

TEST_F(PositionTest, AResizableWindowLargerThanTheScreenShrinksToFitIt) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.resize(screen.width() + 300, screen.height() + 200);
    WindowPlacement placement(store, "BacktestWindow", {1500, 1000});
    placement.Restore(window, Twips(96));
    EXPECT_TRUE(screen.contains(window.frameGeometry())) << window.width() << "x" << window.height();

    QWidget fixed; // a fixed size is left alone, its corner kept on the screen
    fixed.setFixedSize(screen.width() + 300, 200);
    WindowPlacement fixedPlacement(store, "MainWindow", {1500, 1000});
    fixedPlacement.Restore(fixed, Twips(96));
    EXPECT_EQ(fixed.width(), screen.width() + 300);
    EXPECT_TRUE(screen.contains(fixed.pos()));
}

TEST_F(PositionTest, RestoredTwipsGoBackUnroundedAndMovedWindowsStoreTheirFrame) {
    // 1000 twips are 66.7 pixels at 96 DPI: a restart must not turn them into 1005.
    store.Write("SelectFileWindow", "Left", "1000");
    store.Write("SelectFileWindow", "Top", "1010");
    QWidget window;
    window.resize(300, 200);
    Twips twips(96);
    WindowPlacement first(store, "SelectFileWindow", {1500, 1000});
    first.Restore(window, twips);
    EXPECT_EQ(window.pos(), QPoint(67, 67));
    first.StoreOnce(window, twips);
    EXPECT_EQ(store.Read("SelectFileWindow", "Left"), "1000");
    EXPECT_EQ(store.Read("SelectFileWindow", "Top"), "1010");

    WindowPlacement second(store, "SelectFileWindow", {1500, 1000});
    second.Restore(window, twips);
    window.move(200, 100);
    second.StoreOnce(window, twips);
    window.move(300, 300); // a second unload stores nothing more
    second.StoreOnce(window, twips);
    EXPECT_EQ(store.Read("SelectFileWindow", "Left"), "3000");
    EXPECT_EQ(store.Read("SelectFileWindow", "Top"), "1500");
}

TEST(QtNameFilter, TurnsDialogFiltersIntoQtFilters) {
    const std::pair<const char*, const char*> cases[] = {
        {"単複ｵｯｽﾞﾌｧｲﾙ (Zo-*.jra)|Zo-*.jra", "単複ｵｯｽﾞﾌｧｲﾙ (Zo-*.jra)"},
        {"Text|*.txt|All|*", "Text (*.txt);;All (*)"},
        {"", ""},
    };
    for (const auto& [dialogFilter, expected] : cases) {
        EXPECT_EQ(QtNameFilter(dialogFilter), QString::fromUtf8(expected)) << dialogFilter;
    }
    EXPECT_EQ(OddsFileNameFilter(), QStringLiteral("単複ｵｯｽﾞﾌｧｲﾙ (Zo-*.jra)"));
}

TEST(Twips, ConvertsWithTheLogicalDpi) {
    EXPECT_EQ(Twips(96).ToPixels(1440), 96);
    EXPECT_EQ(Twips(192).ToPixels(12315), 1642);
    EXPECT_DOUBLE_EQ(Twips(96).FromPixels(48), 720.0);
    // Neighbours in the table meet without a gap whatever the rounding.
    EXPECT_EQ(Twips(120).Rect(100, 0, 100, 10).right() + 1, Twips(120).Rect(200, 0, 100, 10).left());
}

TEST_F(MainWindowTest, AboutBoxShowsItsTextsAndOpensTheAddresses) {
    frmAbout about(window->Seams(), window.get());
    EXPECT_EQ(about.windowTitle(), "ﾊﾞｰｼﾞｮﾝ情報 Velmora");
    EXPECT_EQ(Text(&about, "lblTitle"), "Velmora");
    EXPECT_EQ(Text(&about, "lblVersion"), "Version 2.10");
    EXPECT_EQ(Text(&about, "lblDescription"), "単複オッズから推奨買い目を算出します");
    EXPECT_EQ(Text(&about, "lblUsage_1"), "単複オッズを入力して”買い目算出！”ボタンを押すだけです。");
    EXPECT_EQ(Text(&about, "lblUsage_5"), "また、ＰＡＴのデータを流用することが可能です。(^o^)");
    EXPECT_TRUE(Find<QPushButton>(&about, "cmdOK")->isDefault());
    EXPECT_TRUE(Find<QLabel>(&about, "Label3")->font().underline());

    about.Label3_Click();
    about.txtMail_Click();
    EXPECT_EQ(openedUrls,
              (QList<QUrl>{QUrl("https://velmora.example.org/"), QUrl("mailto:velmora@example.org")}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // OK is the default button and Escape cancels.
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
} // namespace velmora::test

namespace velmora::test {
namespace {

TEST(ToolWindows, TheBrowsersGridGrowsWithItAndTheirSizesAreKept) {
    MemorySettingsStore store;
    RemarkList remarks;
    NullRecorder noHistory;
    const Twips twips = Twips::ForScreen();
    {
        frmMain window(store, remarks, noHistory);
        window.show();
        window.mnuFileList_Click();
        frmSelectFile* browser = window.SelectFileWindow();
        const QSize grid = browser->Grid()->size();
        browser->resize(browser->size() + QSize(120, 80));
        QApplication::processEvents();
        EXPECT_EQ(browser->Grid()->size(), grid + QSize(120, 80));
        window.mnuFileOddsMovement_Click();
        window.OddsMovementWindow()->resize(640, 420);
        window.close();
    }
    EXPECT_EQ(store.Read("OddsMovementWindow", "Width"),
              std::to_string(static_cast<int>(twips.FromPixels(640))));
    frmMain again(store, remarks, noHistory);
    again.show();
    again.mnuFileOddsMovement_Click();
    EXPECT_EQ(again.OddsMovementWindow()->size(), QSize(640, 420));
    again.mnuFileList_Click();
    EXPECT_EQ(again.SelectFileWindow()->width(), twips.ToPixels(7515) + 120);
}

} // namespace
} // namespace velmora::test
