#include "test_switches.h"
#include "ui/desktop_seams.h"
#include "ui/sheet_widgets.h"
#include "ui/startup.h"
#include "ui_test_support.h"

#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTranslator>

namespace velmora::test {
namespace {

TEST_F(MainWindowTest, EveryResultLineCanBeReadWholeOrScrolledTo) {
    // A short first line must not set the width of the longer ones.
    window->Sheet().AddItem(SheetList::RaceResult, "1着");
    window->Sheet().AddItem(SheetList::RaceResult, "1着 12 ｻｸﾗﾐﾗｲ          1.37.3");
    window->Refresh();
    auto* list = Find<QListWidget>(window.get(), "lstRaceResult");
    list->doItemsLayout();
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        const int needed = list->fontMetrics().horizontalAdvance(item->text());
        EXPECT_GE(list->visualItemRect(item).width(), needed) << item->text().toStdString();
        const bool fits = needed <= list->viewport()->width();
        const bool scrolls = list->horizontalScrollBar()->maximum() > 0;
        EXPECT_TRUE(fits || scrolls) << item->text().toStdString();
    }
}

TEST_F(MainWindowTest, MoneyTextsShowTheYenSignAndKeepTheirOwnText) {
    Trigger("mnuTestData1");
    window->Refresh();
    auto* list = Find<QListWidget>(window.get(), "lstResult");
    const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("8-10 \\550"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(window->Sheet().Items(SheetList::Result)[6], "8-10 \\550");

    struct Shown : TightRowDelegate {
        using TightRowDelegate::TightRowDelegate;
        QString Text(const QModelIndex& index) const {
            QStyleOptionViewItem option;
            initStyleOption(&option, index);
            return option.text;
        }
    };
    ASSERT_NE(dynamic_cast<TightRowDelegate*>(list->itemDelegate()), nullptr);
    EXPECT_EQ(Shown().Text(list->model()->index(list->row(found[0]), 0)), "8-10 ¥550");

    window->Sheet().SetStatusText("払戻 \\550");
    window->Refresh();
    EXPECT_EQ(Text(window.get(), "sbStatusBar_1"), "払戻 ¥550");
    EXPECT_EQ(WithYenSign(QStringLiteral("no sign")), "no sign");
}

// The application font for one test, and back afterwards.
class ScaledFont {
public:
    explicit ScaledFont(double scale) : original_(QApplication::font()) {
        QFont font = original_;
        font.setPointSizeF(original_.pointSizeF() * scale);
        QApplication::setFont(font);
    }
    ~ScaledFont() { QApplication::setFont(original_); }
    ScaledFont(const ScaledFont&) = delete;
    ScaledFont& operator=(const ScaledFont&) = delete;

private:
    QFont original_;
};

TEST(StatusBar, FitsItsFontAtEveryScaleAndKeepsOneHeight) {
    for (double scale : {1.0, 1.5}) {
        ScaledFont font(scale);
        MemorySettingsStore settings;
        RemarkList remarks;
        NullRecorder noHistory;
        frmMain window(settings, remarks, noHistory);
        window.show();
        window.Sheet().SetStatusText("Ready");
        window.Refresh();
        QCoreApplication::processEvents();
        const int readyHeight = window.height();

        window.Sheet().SetStatusText("ﾚｰｽ結果を表示しました。ｇｊ");
        window.Refresh();
        QCoreApplication::processEvents();
        EXPECT_EQ(window.height(), readyHeight) << "scale " << scale;
        QStatusBar* bar = window.statusBar();
        EXPECT_LE(bar->geometry().bottom(), window.rect().bottom()) << "scale " << scale;
        for (const char* name : {"sbStatusBar_1", "sbStatusBar_2", "sbStatusBar_3"}) {
            auto* panel = Find<QLabel>(&window, name);
            EXPECT_GE(panel->height(), panel->sizeHint().height()) << name << " scale " << scale;
            EXPECT_LE(panel->geometry().bottom(), bar->rect().bottom()) << name << " scale " << scale;
        }
    }
}

TEST(MessageBoxes, AreWideEnoughToShowTheCaptionWhole) {
    DesktopSeams seams;
    int shownWidth = 0;
    QFont font;
    seams.showMessage = [&](QMessageBox& box) {
        box.show();
        QCoreApplication::processEvents();
        shownWidth = box.width();
        font = box.font();
        box.hide();
    };
    QtMessageSink sink(seams, nullptr);
    sink.ShowMessage("OK", "Velmora", MessageIcon::None);
    font.setBold(true);
    const QFontMetrics metrics(font);
    // The caption, and beside it room for a window icon and three title bar buttons.
    EXPECT_GE(shownWidth, metrics.horizontalAdvance(QStringLiteral("Velmora")) + 4 * metrics.height());
}

TEST(QtTexts, StandardButtonsReadInJapanese) {
    const QLocale previous;
    {
        QTranslator translator;
        if (!InstallJapaneseQtTexts(*QCoreApplication::instance(), translator)) {
            QLocale::setDefault(previous);
            GTEST_SKIP() << "Qt's Japanese translation is not installed";
        }
        QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
        EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "キャンセル");
        EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), "開く");
        EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    }
    QLocale::setDefault(previous);
    QDialogButtonBox after(QDialogButtonBox::Cancel);
    EXPECT_EQ(after.button(QDialogButtonBox::Cancel)->text(), "Cancel");
}

TEST(Startup, WaylandSessionsRunOnXcbWhenXWaylandIsThere) {
    struct Case {
        const char* platform;
        const char* wayland;
        const char* display;
        bool xcb;
    };
    const Case cases[] = {
        {"", "wayland-0", ":0", true},
        {"", "wayland-0", "", false},            // no XWayland
        {"wayland", "wayland-0", ":0", false},   // the user's choice stands
        {"offscreen", "wayland-0", ":0", false}, // so does a test's
        {"", "", ":0", false},                   // plain X11
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrefersXcb(c.platform, c.wayland, c.display), c.xcb)
            << c.platform << "|" << c.wayland << "|" << c.display;
    }
}

TEST(Startup, HelpIsAnsweredWithAUsageLineWhereverItStands) {
    for (const QStringList& asking : {QStringList{"velmora", "--help"}, QStringList{"velmora", "-h"},
                                      QStringList{"velmora", "--test-open=browser", "--help"}}) {
        std::optional<QString> help = HelpText(asking);
        ASSERT_TRUE(help.has_value()) << asking.join(' ').toStdString();
        EXPECT_TRUE(help->startsWith("Usage: velmora ")) << help->toStdString();
    }
    EXPECT_FALSE(HelpText({"velmora"}).has_value());
    EXPECT_FALSE(HelpText({"velmora", "--test-load=--help.jra"}).has_value());
    // Past "--" it is a name, not a switch.
    EXPECT_FALSE(HelpText({"velmora", "--", "--help"}).has_value());
}

TEST(Startup, TestSwitchesAreCheckedAndBadOnesExplained) {
    QString error;
    std::optional<TestSwitches> none = ParseTestSwitches({"velmora"}, error);
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->openWindow.isEmpty());
    EXPECT_EQ(none->quitAfterMs, 0);

    std::optional<TestSwitches> both =
        ParseTestSwitches({"velmora", "--test-open=options", "--test-quit-after", "2500"}, error);
    ASSERT_TRUE(both.has_value());
    EXPECT_EQ(both->openWindow, "options");
    EXPECT_EQ(both->quitAfterMs, 2500);

    const QStringList bad[] = {
        {"velmora", "--test-open=nothing"},
        {"velmora", "--test-quit-after=soon"},
        {"velmora", "--test-quit-after=-5"},
        {"velmora", "--no-such-switch"},
        {"velmora", "stray"},
    };
    for (const QStringList& arguments : bad) {
        error.clear();
        EXPECT_FALSE(ParseTestSwitches(arguments, error).has_value()) << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty()) << arguments.join(' ').toStdString();
    }
}

} // namespace
} // namespace velmora::test
