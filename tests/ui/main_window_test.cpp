#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "ui/frmAbout.h"
#include "ui/twips.h"
#include "ui_test_support.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

namespace velmora::test {
namespace {

// Everything the user sees on the sheet, as one comparable list.
QStringList SheetSnapshot(QWidget* window) {
    QStringList snapshot;
    for (auto* edit : window->findChildren<QLineEdit*>()) {
        snapshot.append(
            QStringLiteral("%1=%2|%3").arg(edit->objectName(), edit->text()).arg(edit->isEnabled()));
    }
    for (auto* list : window->findChildren<QListWidget*>()) {
        snapshot.append(list->objectName() + QLatin1Char('=') +
                        Items(window, list->objectName()).join(u'\n'));
    }
    for (int i = 1; i <= 4; ++i) {
        snapshot.append(Text(window, QStringLiteral("lblRank_%1").arg(i)));
    }
    snapshot.append(Text(window, QStringLiteral("cmbHorseNum")));
    snapshot.append(Text(window, QStringLiteral("sbStatusBar_1")));
    return snapshot;
}

void CommitText(QLineEdit* edit, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

QString Cell(const char* column, int row) {
    return QStringLiteral("%1_%2").arg(QString::fromUtf8(column)).arg(row);
}

TEST_F(MainWindowTest, NewShortcutMenuAndFreshStartShowTheSameResetSheet) {
    const QStringList fresh = SheetSnapshot(window.get());
    EXPECT_EQ(Text(window.get(), "cmbHorseNum"), "16");
    EXPECT_EQ(Text(window.get(), "sbStatusBar_1"), "Ready");
    EXPECT_FALSE(Find<QLineEdit>(window.get(), "txtTanOdds_17")->isEnabled());
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txtTanOdds_16")->isEnabled());

    Trigger("mnuTestData3");
    window->btnCalc_Click();
    ASSERT_NE(SheetSnapshot(window.get()), fresh);
    Trigger("mnuFileNew");
    EXPECT_EQ(SheetSnapshot(window.get()), fresh);

    Trigger("mnuTestData1");
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(SheetSnapshot(window.get()), fresh);
    EXPECT_EQ(Find<QAction>(window.get(), "mnuFileNew")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
}

TEST_F(MainWindowTest, SampleRaceThenComputeFillsTheGridGradesAndLists) {
    Trigger("mnuTestData1");
    EXPECT_EQ(Text(window.get(), "cmbHorseNum"), "10");
    EXPECT_EQ(Text(window.get(), "txtTanOdds_8"), "1.3");
    EXPECT_EQ(Text(window.get(), "txtFukuOddsMax_10"), "3.7");
    EXPECT_EQ(Items(window.get(), "lstResult").size(), 8);
    EXPECT_EQ(Items(window.get(), "lstResult").value(6), QStringLiteral("8-10 \\550"));
    EXPECT_FALSE(Find<QLineEdit>(window.get(), "txtTanOdds_11")->isEnabled());

    QTest::mouseClick(Find<QPushButton>(window.get(), "btnCalc"), Qt::LeftButton);
    EXPECT_EQ(Text(window.get(), "txtTanPopular_8"), "1");
    EXPECT_EQ(Text(window.get(), "txtTanRatio_8"), "0.615");
    EXPECT_FALSE(Text(window.get(), "txtFukuOdds_1").isEmpty());
    EXPECT_FALSE(Text(window.get(), "txtFukuPopular_1").isEmpty());
    for (int i = 1; i <= 4; ++i) {
        EXPECT_FALSE(Text(window.get(), QStringLiteral("lblRank_%1").arg(i)).isEmpty()) << i;
    }
    QStringList pairs = Items(window.get(), "lstResult");
    ASSERT_FALSE(pairs.isEmpty());
    EXPECT_FALSE(pairs.contains(QStringLiteral("オッズは")));
    EXPECT_EQ(Text(window.get(), "sbStatusBar_1"), "remark one");
    EXPECT_TRUE(Text(window.get(), "txtTanPopular_11").isEmpty());
}

TEST_F(MainWindowTest, TypingGoesIntoTheModelAtOnceWithoutMovingTheCursor) {
    auto* edit = Find<QLineEdit>(window.get(), "txtTanOdds_3");
    edit->setFocus();
    QTest::keyClicks(edit, "12.5");
    EXPECT_EQ(window->Sheet().Text(Column::TanOdds, 3), "12.5");
    QApplication::processEvents();
    EXPECT_EQ(edit->cursorPosition(), 4);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, "1");
    QApplication::processEvents();
    EXPECT_EQ(window->Sheet().Text(Column::TanOdds, 3), "112.5");
    EXPECT_EQ(edit->cursorPosition(), 1);

    // Japanese text arrives through the input method.
    CommitText(Find<QLineEdit>(window.get(), "txtHorseName_2"), QStringLiteral("ウマ"));
    CommitText(Find<QLineEdit>(window.get(), "txtKaisai"), QStringLiteral("東京"));
    EXPECT_EQ(window->Sheet().Text(Column::HorseName, 2), "ウマ");
    EXPECT_EQ(window->Sheet().Kaisai(), "東京");
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txtTanPopular_1")->isReadOnly());
}

TEST_F(MainWindowTest, FullWidthOddsAreNarrowedAsTypedAndTheCursorStaysPut) {
    auto* edit = Find<QLineEdit>(window.get(), "txtTanOdds_3");
    edit->setFocus();
    CommitText(edit, QStringLiteral("１２．５"));
    QApplication::processEvents();
    EXPECT_EQ(window->Sheet().Text(Column::TanOdds, 3), "12.5");
    EXPECT_EQ(edit->text(), "12.5");
    EXPECT_EQ(edit->cursorPosition(), 4);
    edit->setCursorPosition(2);
    CommitText(edit, QStringLiteral("０"));
    QApplication::processEvents();
    EXPECT_EQ(edit->text(), "120.5");
    EXPECT_EQ(edit->cursorPosition(), 3);
    CommitText(Find<QLineEdit>(window.get(), "txtTanOdds_4"), QStringLiteral("ﾄﾘｹｼ"));
    EXPECT_EQ(window->Sheet().Text(Column::TanOdds, 4), "ﾄﾘｹｼ");
}

TEST_F(MainWindowTest, RefusedOddsAreSaidOnceAndTheirFieldsStandOutUntilTypedOver) {
    Trigger("mnuTestData1");
    auto* edit = Find<QLineEdit>(window.get(), "txtTanOdds_2");
    const QColor plain = edit->palette().color(QPalette::Base);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "abc");
    messages.clear();
    QTest::mouseClick(Find<QPushButton>(window.get(), "btnCalc"), Qt::LeftButton);
    QApplication::processEvents();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("2番の単ｵｯｽﾞが正しくありません。取消の馬は ﾄﾘｹｼ と入力してください。"));
    EXPECT_TRUE(Items(window.get(), "lstResult").isEmpty());
    EXPECT_TRUE(Text(window.get(), "txtTanPopular_1").isEmpty());
    EXPECT_NE(edit->palette().color(QPalette::Base), plain);
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txtTanOdds_3")->palette().color(QPalette::Base), plain);

    edit->selectAll();
    QTest::keyClicks(edit, "4.5");
    QApplication::processEvents();
    EXPECT_EQ(edit->palette().color(QPalette::Base), plain);
}

TEST_F(MainWindowTest, ModelChangesFromOutsideShowAfterTheEventLoopRuns) {
    window->Sheet().SetText(Column::FukuOddsMin, 5, "2.2");
    window->Sheet().AddItem(SheetList::RaceResult, "競争成績");
    QApplication::processEvents();
    EXPECT_EQ(Text(window.get(), "txtFukuOddsMin_5"), "2.2");
    EXPECT_EQ(Items(window.get(), "lstRaceResult"), QStringList{QStringLiteral("競争成績")});
}

TEST_F(MainWindowTest, RunnerCountListEnablesAndDisablesTheOddsRowsKeepingTheirTexts) {
    Trigger("mnuTestData3");
    auto* count = Find<QComboBox>(window.get(), "cmbHorseNum");
    EXPECT_EQ(count->currentText(), "18");
    const QString before = Text(window.get(), "txtTanOdds_12");
    count->setCurrentIndex(2); // "10"
    EXPECT_EQ(window->Sheet().GetRunnerCount(), 10);
    for (const char* column : {"txtTanOdds", "txtFukuOddsMin", "txtFukuOddsMax"}) {
        EXPECT_TRUE(Find<QLineEdit>(window.get(), Cell(column, 10))->isEnabled()) << column;
        for (int row = 11; row <= 18; ++row) {
            EXPECT_FALSE(Find<QLineEdit>(window.get(), Cell(column, row))->isEnabled()) << column << row;
        }
    }
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txtHorseName_18")->isEnabled());
    EXPECT_EQ(Text(window.get(), "txtTanOdds_12"), before);
    count->setCurrentIndex(10);
    EXPECT_TRUE(Find<QLineEdit>(window.get(), "txtFukuOddsMax_18")->isEnabled());
    EXPECT_EQ(Text(window.get(), "txtTanOdds_12"), before);
}

TEST_F(MainWindowTest, PopularityCellsTakeTheStoredColourWithTextThatReadsOnIt) {
    SetPopularColor(settings, 1, 255);             // red
    SetPopularColor(settings, 2, 0x00FF00 + 0x80); // green with some red
    Trigger("mnuTestData1");
    window->btnCalc_Click();
    struct Case {
        const char* cell;
        QColor background;
        QColor text;
    };
    const Case cases[] = {
        {"txtTanPopular_8", QColor(255, 0, 0), Qt::black},
        {"txtTanPopular_9", QColor(0x80, 0xFF, 0), Qt::black},
        {"txtTanPopular_1", Qt::white, Qt::black},
        {"txtTanPopular_12", Qt::white, Qt::black},
    };
    for (const Case& c : cases) {
        QPalette palette = Find<QLineEdit>(window.get(), c.cell)->palette();
        EXPECT_EQ(palette.color(QPalette::Base), c.background) << c.cell;
        EXPECT_EQ(palette.color(QPalette::Text), c.text) << c.cell;
    }
}

TEST_F(MainWindowTest, FocusRunsFromTheComputeButtonDownEachOddsColumn) {
    QStringList expected{QStringLiteral("btnCalc")};
    for (const char* column : {"txtTanOdds", "txtFukuOddsMin", "txtFukuOddsMax"}) {
        for (int row = 1; row <= 18; ++row) {
            expected.append(Cell(column, row));
        }
    }
    QStringList order;
    QWidget* widget = Find<QWidget>(window.get(), "btnCalc");
    while (order.size() < expected.size()) {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(order, expected);
}

TEST_F(MainWindowTest, SheetLayoutFollowsTheTwipsTable) {
    const Twips& twips = window->TwipsScale();
    // Sheet coordinates count from the client area's top, under the 420-twip toolbar.
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txtTanOdds_1")->geometry(),
              twips.Rect(2460, 1800 - 420, 735, 270));
    EXPECT_EQ(Find<QLineEdit>(window.get(), "txtFukuRatio_18")->geometry(),
              twips.Rect(7500, 1800 + 240 * 17 - 420, 735, 270));
    EXPECT_EQ(Find<QListWidget>(window.get(), "lstRaceResult")->geometry(),
              twips.Rect(9000, 4380 - 420, 3195, 1680));
    EXPECT_EQ(window->centralWidget()->size(),
              QSize(twips.ToPixels(12315), twips.ToPixels(6540 - 420 - 270)));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // fixed border
    EXPECT_EQ(window->windowTitle(), "Velmora");
    EXPECT_EQ(Find<QListWidget>(window.get(), "lstResult")->font().family(), ListFontFamily());
    EXPECT_DOUBLE_EQ(Find<QListWidget>(window.get(), "lstRaceResult")->font().pointSizeF(), 9.0);
}

TEST_F(MainWindowTest, MenusAndToolbarCarryTheirCaptionsKeysAndTooltips) {
    const std::pair<const char*, const char*> menus[] = {
        {"mnuFileNew", "新規(&N)"},
        {"mnuFileOpen", "PATﾃﾞｰﾀを開く(&O)"},
        {"mnuFileList", "PATﾃﾞｰﾀ一覧(&L)"},
        {"mnuFileExit", "終了(&X)"},
        {"mnuTestData1", "’９９毎日王冠"},
        {"mnuTestData2", "’９９京都大賞典"},
        {"mnuTestData3", "’０１皐月賞"},
        {"mnuToolOption", "ｵﾌﾟｼｮﾝ(&O)"},
        {"mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)Velmora..."},
    };
    for (const auto& [name, caption] : menus) {
        auto* action = Find<QAction>(window.get(), name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_EQ(Find<QMenu>(window.get(), "mnuFile")->title(), "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(Find<QMenu>(window.get(), "mnuTestData")->title(), "ﾃｽﾄﾃﾞｰﾀ(&T)");
    EXPECT_EQ(Find<QMenu>(window.get(), "mnuTool")->title(), "ﾂｰﾙ(&T)");
    EXPECT_EQ(Find<QMenu>(window.get(), "mnuHelp")->title(), "ﾍﾙﾌﾟ(&H)");

    const std::pair<const char*, const char*> buttons[] = {
        {"Open", "PATﾃﾞｰﾀを開く"}, {"List", "PATﾃﾞｰﾀ一覧"}, {"About", "ﾊﾞｰｼﾞｮﾝ情報"}};
    for (const auto& [key, tooltip] : buttons) {
        auto* action = Find<QAction>(window.get(), QStringLiteral("Toolbar1_") + key);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(tooltip));
        EXPECT_EQ(action->data().toString(), key);
        EXPECT_EQ(action->icon().availableSizes().value(0), QSize(16, 16));
    }
}

TEST_F(MainWindowTest, ToolbarOpenAndMenuOpenShowTheSameDialog) {
    TempDir pat;
    SetPatFolder(settings, pat.path().string());
    QStringList seen;
    fileChooser = [&](QFileDialog& dialog) {
        seen.append(dialog.windowTitle() + u'|' + dialog.nameFilters().join(u';') + u'|' +
                    dialog.directory().absolutePath());
        return QString();
    };
    Trigger("mnuTestData1");
    const QStringList before = SheetSnapshot(window.get());
    Trigger("mnuFileOpen");
    Trigger("Toolbar1_Open");
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0],
              QStringLiteral("開く|単複ｵｯｽﾞﾌｧｲﾙ (Zo-*.jra)|") + QString::fromStdString(pat.path().string()));
    // Cancelling changes nothing.
    EXPECT_EQ(SheetSnapshot(window.get()), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowTest, ToolbarAboutAndMenuAboutShowTheAboutBox) {
    for (const char* trigger : {"mnuHelpAbout", "Toolbar1_About"}) {
        QString caption;
        WhenModal([&](QWidget* modal) {
            caption = modal->windowTitle();
            EXPECT_NE(qobject_cast<frmAbout*>(modal), nullptr);
            Find<QPushButton>(modal, "cmdOK")->click();
        });
        Trigger(trigger);
        EXPECT_EQ(caption, "ﾊﾞｰｼﾞｮﾝ情報 Velmora") << trigger;
    }
}

TEST_F(MainWindowTest, MessagesShowWithCaptionIconAndOkOnly) {
    // Nine scratched runners of sixteen leave too few to compute.
    for (int row = 1; row <= 9; ++row) {
        window->Sheet().SetText(Column::TanOdds, row, "ﾄﾘｹｼ");
    }
    window->btnCalc_Click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Velmora");
    EXPECT_EQ(messages[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(messages[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(messages[0].text, "８頭立て未満はサポートしていましぇん。m(__)m");

    window->CoreServices().messages.ShowMessage("ファイルの読み込みに失敗しました。", "えらー",
                                                MessageIcon::Critical);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].caption, "えらー");
    EXPECT_EQ(messages[1].icon, QMessageBox::Critical);
    EXPECT_EQ(messages[1].buttons, QMessageBox::Ok);
}

TEST_F(MainWindowTest, StatusBarShowsTextDateAndTimePanels) {
    auto* bar = Find<QStatusBar>(window.get(), "sbStatusBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Text(window.get(), "sbStatusBar_2"),
              QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_TRUE(Text(window.get(), "sbStatusBar_3").contains(u':'));
    EXPECT_EQ(Find<QLabel>(window.get(), "sbStatusBar_2")->width(), window->TwipsScale().ToPixels(2540));
}

} // namespace
} // namespace velmora::test

namespace velmora::test {
namespace {

TEST_F(MainWindowTest, OpenDialogOffersOddsFilesWhateverTheirLetterCase) {
    TempDir pat;
    for (const char* name : {"ZO-0101.JRA", "zo-0102.jra", "Zo-0103.Jra", "De-0101.jra", "notes.txt"}) {
        pat.Write(name, "x");
    }
    SetPatFolder(settings, pat.path().string());
    QStringList offered;
    fileChooser = [&](QFileDialog& dialog) {
        dialog.show();
        auto* model = dialog.findChild<QFileSystemModel*>();
        EXPECT_NE(model, nullptr);
        if (model == nullptr) {
            return QString();
        }
        const QString folder = QString::fromStdString(pat.path().string());
        auto enabledNames = [&] {
            QStringList names;
            QModelIndex root = model->index(folder);
            for (int row = 0; row < model->rowCount(root); ++row) {
                QModelIndex index = model->index(row, 0, root);
                if (model->flags(index) & Qt::ItemIsEnabled) {
                    names.append(model->fileName(index));
                }
            }
            return names;
        };
        // The model fills in the background.
        EXPECT_TRUE(QTest::qWaitFor([&] { return enabledNames().size() >= 3; }, 5000));
        offered = enabledNames();
        // Sizes, types and dates read whole, in whatever language Qt speaks.
        auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        EXPECT_NE(tree, nullptr);
        if (tree != nullptr) {
            QApplication::processEvents();
            for (int column = 1; column < tree->header()->count(); ++column) {
                EXPECT_GE(tree->header()->sectionSize(column),
                          static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(column))
                    << column;
                EXPECT_GE(tree->header()->sectionSize(column), tree->header()->sectionSizeHint(column))
                    << column;
            }
        }
        dialog.hide();
        return QString();
    };
    Trigger("mnuFileOpen");
    offered.sort();
    EXPECT_EQ(offered, (QStringList{"ZO-0101.JRA", "Zo-0103.Jra", "zo-0102.jra"}));
}

} // namespace
} // namespace velmora::test
