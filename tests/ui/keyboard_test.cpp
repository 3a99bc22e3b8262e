#include "settings/settings_ops.h"
#include "ui/frmOption.h"
#include "ui/frmSelectFile.h"
#include "ui_test_support.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace velmora::test {
namespace {

const std::string kSampleFolder = std::string(VELMORA_SOURCE_DIR) + "/samples/pat";

// Every window driven by keys alone, as a user without a mouse would.
class KeyboardTest : public MainWindowTest {
protected:
    void SetUp() override {
        SetPatFolder(settings, kSampleFolder);
        MainWindowTest::SetUp();
    }

    // Shows a tool window, active, with the focus on `focus`.
    static void Activate(QWidget* tool, QWidget* focus) {
        tool->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(tool));
        focus->setFocus();
    }

    frmSelectFile* OpenBrowserOnRow(const QString& file) {
        Trigger("mnuFileList");
        frmSelectFile* browser = window->SelectFileWindow();
        QTableWidget* grid = browser->Grid();
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 7) != nullptr && grid->item(row, 7)->text() == file) {
                grid->setCurrentCell(row, 1);
            }
        }
        Activate(browser, grid);
        return browser;
    }

    // Opens ｵﾌﾟｼｮﾝ, changes the colour of rank 1 in the window only, and
    // presses `key` (with `modifiers`) where the focus is.
    void PressInOptions(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        WhenModal([=, this](QWidget* modal) {
            auto* options = qobject_cast<frmOption*>(modal);
            ASSERT_NE(options, nullptr);
            window->Seams().chooseColor = [](QColorDialog&) {
                return std::optional<QColor>(QColor(255, 0, 0));
            };
            Find<QPushButton>(modal, "btnColor_0")->click();
            auto* folder = Find<QWidget>(modal, "txtPatFolder");
            Activate(modal, folder);
            QTest::keyClick(folder, key, modifiers);
            // An access key presses its button the way a click looks: a moment later.
            static_cast<void>(QTest::qWaitFor([modal] { return !modal->isVisible(); }, 1000));
            if (modal->isVisible()) {
                stillOpen = true;
                modal->close();
            }
        });
        Trigger("mnuToolOption");
    }

    bool stillOpen = false;
};

TEST_F(KeyboardTest, EnterOnABrowserRowLoadsItAndTabLeavesTheGrid) {
    frmSelectFile* browser = OpenBrowserOnRow("Zo-06050201.jra");
    QTest::keyClick(browser->Grid(), Qt::Key_Return);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Text(window.get(), "txtRaceName").startsWith(QStringLiteral(" 1R ")));
    EXPECT_TRUE(browser->isVisible()); // stays open, as after 決定

    // The keypad's Enter too.
    OpenBrowserOnRow("Zo-06050212.jra");
    QTest::keyClick(browser->Grid(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(Text(window.get(), "txtRaceName").startsWith(QStringLiteral("12R ")));

    const int row = browser->Grid()->currentRow();
    QTest::keyClick(browser->Grid(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>(browser, "btnClose"));
    EXPECT_EQ(browser->Grid()->currentRow(), row);
}

TEST_F(KeyboardTest, BrowserButtonsAnswerTheirAccessKeysAndEscCloses) {
    EXPECT_EQ(Find<QPushButton>(OpenBrowserOnRow(""), "btnSelect")->text(), "決定(&O)");
    frmSelectFile* browser = OpenBrowserOnRow("Zo-06050201.jra");
    EXPECT_EQ(Find<QPushButton>(browser, "btnClose")->text(), "閉じる(&C)");
    // An access key presses its button the way a click looks: a moment later.
    QTest::keyClick(browser->Grid(), Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Text(window.get(), "txtRaceName").startsWith(QStringLiteral(" 1R ")); }));
    QTest::keyClick(browser->Grid(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !browser->isVisible(); }));

    browser = OpenBrowserOnRow("Zo-06050201.jra");
    QTest::keyClick(browser->Grid(), Qt::Key_Escape);
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(window->SelectFileWindow(), browser); // hidden, as by 閉じる
}

TEST_F(KeyboardTest, EscClosesTheBacktestAndOddsMovementWindowsWhereverTheFocusIs) {
    Trigger("mnuFileBacktest");
    frmBacktest* backtest = window->BacktestWindow();
    Activate(backtest, Find<QWidget>(backtest, "txtFolder"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(backtest->isVisible());

    Trigger("mnuTestData1");
    window->btnCalc_Click();
    Trigger("mnuFileOddsMovement");
    frmOddsMovement* movement = window->OddsMovementWindow();
    Activate(movement, movement->RunnerGrid());
    QTest::keyClick(movement->RunnerGrid(), Qt::Key_Escape);
    EXPECT_FALSE(movement->isVisible());
    EXPECT_EQ(window->OddsMovementWindow(), movement);
}

TEST_F(KeyboardTest, OptionsEnterIsOkAndEscIsCancel) {
    PressInOptions(Qt::Key_Escape);
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(GetPopularColor(settings, 1), kWhite);

    PressInOptions(Qt::Key_Return);
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(GetPopularColor(settings, 1), 255);
}

TEST_F(KeyboardTest, OptionsButtonsAnswerTheirAccessKeys) {
    PressInOptions(Qt::Key_C, Qt::AltModifier);
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(GetPopularColor(settings, 1), kWhite);

    PressInOptions(Qt::Key_O, Qt::AltModifier);
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(GetPopularColor(settings, 1), 255);
}

} // namespace
} // namespace velmora::test
