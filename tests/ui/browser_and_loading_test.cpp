#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "ui/frmSelectFile.h"
#include "ui_test_support.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <filesystem>

namespace velmora::test {
namespace {

const std::string kSampleFolder = std::string(VELMORA_SOURCE_DIR) + "/samples/pat";

class BrowserTest : public MainWindowTest {
protected:
    void SetUp() override {
        SetPatFolder(settings, kSampleFolder);
        MainWindowTest::SetUp();
    }

    frmSelectFile* OpenBrowser(const char* trigger = "mnuFileList") {
        Trigger(trigger);
        return window->SelectFileWindow();
    }

    // Grid row (0-based) of the file with this name.
    static int RowOf(QTableWidget* grid, const QString& file) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            if (grid->item(row, 7) != nullptr && grid->item(row, 7)->text() == file) {
                return row;
            }
        }
        return -1;
    }

    void DoubleClickRow(frmSelectFile* browser, const QString& file) {
        QTableWidget* grid = browser->Grid();
        int row = RowOf(grid, file);
        ASSERT_GE(row, 0) << file.toStdString();
        grid->setCurrentCell(row, 1);
        emit grid->cellDoubleClicked(row, 1);
    }
};

TEST_F(BrowserTest, ListsEverySampleRaceSortedAndNumbered) {
    frmSelectFile* browser = OpenBrowser();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->windowTitle(), "PATﾌｧｲﾙの選択");
    EXPECT_EQ(browser->parentWidget(), window.get());
    QTableWidget* grid = browser->Grid();
    EXPECT_EQ(grid->objectName(), "grdFileList");
    ASSERT_EQ(grid->rowCount(), 16);
    ASSERT_EQ(grid->columnCount(), 8);
    const char* captions[] = {"No", "場名", "開催", "ﾚｰｽ", "ﾚｰｽ名", "頭数", "条件", "ﾌｧｲﾙ名"};
    for (int column = 0; column < 8; ++column) {
        EXPECT_EQ(grid->horizontalHeaderItem(column)->text(), QString::fromUtf8(captions[column]));
    }
    EXPECT_EQ(grid->columnWidth(4), window->TwipsScale().ToPixels(2000));
    for (int row = 0; row < 16; ++row) {
        EXPECT_EQ(grid->item(row, 0)->text(), QString::number(row + 1));
    }
    // Within one course and day 10R, 11R and 12R come before 1R.
    EXPECT_LT(RowOf(grid, "Zo-06050212.jra"), RowOf(grid, "Zo-06050201.jra"));
    EXPECT_EQ(browser->List().CurrentRow(), 0);
}

TEST_F(BrowserTest, ChoosingARaceLoadsItWithNamesOddsAndPairOdds) {
    frmSelectFile* browser = OpenBrowser();
    DoubleClickRow(browser, "Zo-06050201.jra");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Text(window.get(), "txtKaisai").startsWith(QStringLiteral("中山")));
    EXPECT_TRUE(Text(window.get(), "txtRaceName").startsWith(QStringLiteral(" 1R ")));
    EXPECT_FALSE(Text(window.get(), "txtHorseName_1").trimmed().isEmpty());
    EXPECT_FALSE(Text(window.get(), "txtTanOdds_1").isEmpty());
    EXPECT_FALSE(Text(window.get(), "txtTanPopular_1").isEmpty());
    const QStringList pairs = Items(window.get(), "lstResult");
    ASSERT_FALSE(pairs.isEmpty());
    EXPECT_EQ(Items(window.get(), "lstResultUmaOdds").size(), pairs.size());
    EXPECT_EQ(Items(window.get(), "lstResultWideOdds").size(), pairs.size());
    EXPECT_FALSE(Items(window.get(), "lstResultUmaOdds").value(0).trimmed().isEmpty());
    EXPECT_EQ(window->Sheet().sOddsFileName, kSampleFolder + "/Zo-06050201.jra");
    // The browser stays open and unchanged.
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(browser->Grid()->rowCount(), 16);
}

TEST_F(BrowserTest, ResultButtonShowsTheResultAndMarksThePairsThatPaid) {
    frmSelectFile* browser = OpenBrowser();
    int marked = 0;
    for (const char* file : {"Zo-06050201.jra", "Zo-06050202.jra", "Zo-06050204.jra", "Zo-06050208.jra",
                             "Zo-06050209.jra", "Zo-06050210.jra", "Zo-06050211.jra", "Zo-06050212.jra"}) {
        DoubleClickRow(browser, file);
        QTest::mouseClick(Find<QPushButton>(window.get(), "cmdResult"), Qt::LeftButton);
        const QStringList result = Items(window.get(), "lstRaceResult");
        ASSERT_EQ(result.size(), 38) << file;
        EXPECT_EQ(result.value(0), "競争成績");
        for (const QString& pair : Items(window.get(), "lstResult")) {
            marked += pair.endsWith(QStringLiteral("◎")) || pair.endsWith(QStringLiteral("○")) ? 1 : 0;
        }
    }
    EXPECT_GT(marked, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BrowserTest, ResultButtonAfterASampleRaceDoesNothing) {
    Trigger("mnuTestData1");
    window->btnCalc_Click();
    const QStringList pairs = Items(window.get(), "lstResult");
    window->cmdResult_Click();
    EXPECT_TRUE(Items(window.get(), "lstRaceResult").isEmpty());
    EXPECT_EQ(Items(window.get(), "lstResult"), pairs);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BrowserTest, SelectWithoutARowOrWithTooFewRunnersExplainsWhy) {
    frmSelectFile* browser = OpenBrowser();
    Find<QPushButton>(browser, "btnSelect")->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "行を選んでちょ");
    EXPECT_EQ(messages[0].caption, "Velmora");
    EXPECT_EQ(messages[0].icon, QMessageBox::NoIcon);

    DoubleClickRow(browser, "Zo-06050206.jra"); // seven runners
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "７頭立て以下はサポートしてないよん。");
    EXPECT_EQ(Text(window.get(), "txtTanOdds_1"), "");
}

TEST_F(BrowserTest, CloseOnlyHidesAndToolbarShowsTheSameList) {
    frmSelectFile* browser = OpenBrowser();
    Find<QPushButton>(browser, "btnClose")->click();
    EXPECT_FALSE(browser->isVisible());
    OpenBrowser("Toolbar1_List");
    EXPECT_EQ(window->SelectFileWindow(), browser);
    EXPECT_TRUE(browser->isVisible());
    browser->close(); // the close box
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(window->SelectFileWindow(), browser);
}

TEST_F(BrowserTest, RefreshRelistsFromTheFolderNowStored) {
    frmSelectFile* browser = OpenBrowser();
    SetPatFolder(settings, "/no/such/velmora/folder");
    // An old row is looked for in the new folder until the list is refreshed.
    DoubleClickRow(browser, "Zo-06050201.jra");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "ファイルの読み込みに失敗しました。");
    EXPECT_EQ(messages[0].caption, "えらー");
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    Find<QPushButton>(browser, "btnUpdate")->click();
    EXPECT_EQ(browser->Grid()->rowCount(), 16); // an empty folder keeps the row count
    EXPECT_EQ(browser->Grid()->item(0, 7)->text(), "");
}

// The line under the list, whole (the label itself may cut it to the window's width).
QString Note(frmSelectFile* browser) {
    auto* note = browser->findChild<QLabel*>(QStringLiteral("lblNote"));
    EXPECT_NE(note, nullptr) << "no line under the list";
    return note == nullptr ? QString() : note->toolTip();
}

// A copy of the sample folder's odds files, one of them empty.
struct FolderWithAnEmptyRaceFile {
    TempDir dir;
    std::string empty = "Zo-06050205.jra";
    FolderWithAnEmptyRaceFile() {
        for (const auto& entry : std::filesystem::directory_iterator(kSampleFolder)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("Zo-", 0) == 0) {
                dir.Write(name, name == empty ? std::string() : ReadFileBytes(entry.path()));
            }
        }
    }
};

TEST_F(BrowserTest, ABrokenRaceFileIsSkippedAndNamedUnderTheList) {
    FolderWithAnEmptyRaceFile folder;
    SetPatFolder(settings, folder.dir.path().string());
    frmSelectFile* browser = OpenBrowser();
    EXPECT_EQ(browser->List().ListedCount(), 15);
    EXPECT_EQ(browser->Grid()->rowCount(), 15);
    EXPECT_EQ(RowOf(browser->Grid(), "Zo-06050205.jra"), -1);
    EXPECT_GE(RowOf(browser->Grid(), "Zo-09050211.jra"), 0);
    EXPECT_EQ(Note(browser), "除外 1件: Zo-06050205.jra (単複ｵｯｽﾞﾌｧｲﾙが読めない)");
    EXPECT_TRUE(messages.empty());

    // Mended, it is listed on the next update and the line goes.
    folder.dir.Write(folder.empty, ReadFileBytes(kSampleFolder + "/" + folder.empty));
    Find<QPushButton>(browser, "btnUpdate")->click();
    EXPECT_EQ(browser->List().ListedCount(), 16);
    EXPECT_EQ(Note(browser), "");
}

TEST_F(BrowserTest, APatFolderThatIsAFileOrMissingIsSaidUnderTheList) {
    TempDir dir;
    const std::string file = dir.Write("Zo-1.jra", "x");
    const std::string missing = (dir.path() / "none").string();
    SetPatFolder(settings, file);
    frmSelectFile* browser = OpenBrowser();
    EXPECT_EQ(Note(browser),
              QString::fromStdString("PATフォルダの指定先はフォルダではありません。 " + file + "/"));
    SetPatFolder(settings, missing);
    Find<QPushButton>(browser, "btnUpdate")->click();
    EXPECT_EQ(Note(browser), QString::fromStdString("PATフォルダが見つかりません。 " + missing + "/"));
    EXPECT_EQ(browser->List().ListedCount(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BrowserTest, ThePatFolderChosenInOptionsIsListedAtOnce) {
    FolderWithAnEmptyRaceFile folder;
    frmSelectFile* browser = OpenBrowser();
    ASSERT_EQ(browser->List().ListedCount(), 16);
    WhenModal([&](QWidget* modal) {
        Find<QLineEdit>(modal, "txtPatFolder")->setText(QString::fromStdString(folder.dir.path().string()));
        Find<QPushButton>(modal, "btnOk")->click();
    });
    Trigger("mnuToolOption");
    EXPECT_EQ(browser->List().ListedCount(), 15);
    EXPECT_EQ(Note(browser), "除外 1件: Zo-06050205.jra (単複ｵｯｽﾞﾌｧｲﾙが読めない)");
}

// Records the order in which windows store their positions.
class OrderRecordingStore : public MemorySettingsStore {
public:
    void Write(const std::string& section, const std::string& key, const std::string& value) override {
        if (key == "Left") {
            sections.push_back(section);
        }
        MemorySettingsStore::Write(section, key, value);
    }
    std::vector<std::string> sections;
};

TEST(ShutdownOrder, BrowserStoresItsPositionBeforeTheMainWindow) {
    OrderRecordingStore store;
    RemarkList remarks;
    NullRecorder noHistory;
    frmMain window(store, remarks, noHistory);
    window.show();
    window.mnuFileList_Click();
    window.SelectFileWindow()->move(40, 30);
    window.close();
    EXPECT_EQ(store.sections, (std::vector<std::string>{"SelectFileWindow", "MainWindow"}));
    EXPECT_EQ(window.SelectFileWindow(), nullptr);

    frmMain again(store, remarks, noHistory);
    again.mnuFileList_Click();
    EXPECT_EQ(again.SelectFileWindow()->pos(), QPoint(40, 30));
    again.close();
}

TEST(ShutdownOrder, ClosingWhileTheOptionsWindowIsOpenUnloadsItFirst) {
    OrderRecordingStore store;
    RemarkList remarks;
    NullRecorder noHistory;
    auto* window = new frmMain(store, remarks, noHistory);
    window->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<frmMain> guard = window;
    window->show();
    window->mnuFileList_Click();
    WhenModal([window](QWidget*) { window->close(); });
    window->mnuToolOption_Click();
    EXPECT_EQ(store.sections, (std::vector<std::string>{"OptionWindow", "SelectFileWindow", "MainWindow"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST_F(BrowserTest, OpenCommandLoadsTheChosenFileOrReportsAFailedRead) {
    Trigger("mnuTestData1");
    const QString before = Text(window.get(), "txtTanOdds_1");
    // The dialog lets a typed name of a missing file through to the loader's own message.
    fileChooser = [](QFileDialog& dialog) {
        EXPECT_NE(dialog.fileMode(), QFileDialog::ExistingFile);
        return QString::fromStdString(kSampleFolder + "/no-such-Zo-file.jra");
    };
    Trigger("Toolbar1_Open");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "ファイルの読み込みに失敗しました。");
    EXPECT_EQ(messages[0].caption, "えらー");
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    EXPECT_EQ(Text(window.get(), "txtTanOdds_1"), before);

    fileChooser = [](QFileDialog&) { return QString::fromStdString(kSampleFolder + "/Zo-09050111.jra"); };
    Trigger("mnuFileOpen");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Text(window.get(), "cmbHorseNum"), "18");
    EXPECT_TRUE(Text(window.get(), "txtKaisai").startsWith(QStringLiteral("阪神")));
    EXPECT_FALSE(Items(window.get(), "lstResultWideOdds").isEmpty());
}

} // namespace
} // namespace velmora::test
