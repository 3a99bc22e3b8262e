#include "backtest/backtest.h"
#include "backtest/backtest_output.h"
#include "backtest/backtest_run.h"
#include "common/conversions.h"
#include "history/history_store.h"
#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "ui/backtest_models.h"
#include "ui/frmBacktest.h"
#include "ui_test_support.h"

#include "pat_fixture.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

const std::string kSampleFolder = std::string(VELMORA_SOURCE_DIR) + "/samples/pat";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string FiguresJson(const Figures& figures) {
    std::ostringstream out;
    WriteFiguresJson(figures, out);
    return out.str();
}

// A copy of the sample folder, so that nothing a test does can reach the
// checked-in files.
class SampleCopy {
public:
    SampleCopy() {
        for (const fs::directory_entry& entry : fs::directory_iterator(kSampleFolder)) {
            fs::copy_file(entry.path(), dir_.path() / entry.path().filename());
        }
    }
    std::string Folder() const { return dir_.path().string(); }

private:
    TempDir dir_;
};

// A folder of many generated races, made once for the tests that need a run
// long enough to be cancelled or closed halfway.
class LargeFolder {
public:
    static constexpr int kRaces = 1200;

    static const std::string& Folder() {
        static LargeFolder folder;
        return folder.path_;
    }

private:
    LargeFolder() {
        path_ = dir_.path().string();
        for (int index = 0; index < kRaces; ++index) {
            patfixture::Race race;
            char id[16];
            std::snprintf(id, sizeof id, "%07d.jra", index);
            race.fileId = id;
            race.raceNo = 1 + index % 12;
            race.meetingDay = 1 + index / 12 % 8;
            std::vector<std::string> odds;
            for (int runner = 0; runner < 12; ++runner) {
                odds.push_back(std::to_string(2 + (runner * 7 + index) % 40) + ".5");
            }
            race.runners = patfixture::RunnersWithOdds(odds);
            patfixture::Result result;
            result.order = {1 + index % 12, 1 + (index + 5) % 12, 1 + (index + 9) % 12};
            race.result = result;
            patfixture::WriteRaceFiles(race, dir_.path());
        }
    }

    TempDir dir_;
    std::string path_;
};

class BacktestWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        SetPatFolder(settings, kSampleFolder);
        MainWindowTest::SetUp();
    }

    frmBacktest* OpenBacktest(const char* trigger = "mnuFileBacktest") {
        Trigger(trigger);
        return window->BacktestWindow();
    }

    void StartRun(frmBacktest* backtest, const std::string& folder) {
        Find<QLineEdit>(backtest, "txtFolder")->setText(QString::fromStdString(folder));
        Find<QPushButton>(backtest, "btnRun")->click();
    }

    static void WaitForEnd(frmBacktest* backtest) {
        ASSERT_TRUE(QTest::qWaitFor([backtest] { return !backtest->IsRunning(); }, 120000));
    }

    frmBacktest* RunOver(const std::string& folder) {
        frmBacktest* backtest = OpenBacktest();
        StartRun(backtest, folder);
        WaitForEnd(backtest);
        return backtest;
    }

    static QString Cell(QAbstractItemModel* model, int row, int column) {
        return model->index(row, column).data().toString();
    }

    static int RowOfFile(QAbstractItemModel* model, const QString& file) {
        for (int row = 0; row < model->rowCount(); ++row) {
            if (Cell(model, row, BacktestRaceModel::File) == file) {
                return row;
            }
        }
        return -1;
    }
};

TEST_F(BacktestWindowTest, MenuAndToolbarOpenOneModelessWindowAtTheirPlaces) {
    auto* menu = Find<QMenu>(window.get(), "mnuFile");
    QStringList names;
    for (QAction* action : menu->actions()) {
        names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    EXPECT_EQ(names, QStringList({"mnuFileNew", "mnuFileOpen", "mnuFileList", "mnuFileBacktest",
                                  "mnuFileOddsMovement", "mnuFileReload", "-", "mnuFileExit"}));
    EXPECT_EQ(Find<QAction>(window.get(), "mnuFileBacktest")->text(), "成績集計(&R)...");

    auto* toolbar = Find<QToolBar>(window.get(), "Toolbar1");
    QStringList keys;
    for (QAction* action : toolbar->actions()) {
        keys.append(action->isSeparator() ? QStringLiteral("-") : action->data().toString());
    }
    EXPECT_EQ(keys, QStringList({"Open", "List", "Backtest", "OddsMovement", "-", "About"}));
    auto* button = Find<QAction>(window.get(), "Toolbar1_Backtest");
    EXPECT_EQ(button->toolTip(), "成績集計");
    EXPECT_EQ(button->icon().availableSizes().value(0), QSize(16, 16));

    EXPECT_EQ(window->BacktestWindow(), nullptr); // created on first use
    frmBacktest* backtest = OpenBacktest();
    ASSERT_NE(backtest, nullptr);
    EXPECT_TRUE(backtest->isVisible());
    EXPECT_FALSE(backtest->isModal());
    EXPECT_EQ(backtest->windowTitle(), "成績集計");
    EXPECT_EQ(backtest->parentWidget(), window.get());
    EXPECT_EQ(Find<QLineEdit>(backtest, "txtFolder")->text(), QString::fromStdString(GetPatFolder(settings)));
    EXPECT_FALSE(Find<QPushButton>(backtest, "btnSave")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(backtest, "btnCancel")->isEnabled());

    Find<QPushButton>(backtest, "btnClose")->click();
    EXPECT_FALSE(backtest->isVisible());
    EXPECT_EQ(OpenBacktest("Toolbar1_Backtest"), backtest);
    EXPECT_TRUE(backtest->isVisible());
    backtest->close(); // the close box only hides
    EXPECT_FALSE(backtest->isVisible());
    EXPECT_EQ(window->BacktestWindow(), backtest);
}

TEST_F(BacktestWindowTest, RunsOffTheWindowThreadShowingProgressAndTheCoreFigures) {
    frmBacktest* backtest = OpenBacktest();
    auto* progress = Find<QProgressBar>(backtest, "prgProgress");
    // No count before there is a run.
    EXPECT_EQ(progress->text(), "");
    QList<int> values;
    QObject::connect(progress, &QProgressBar::valueChanged, [&values](int value) { values.append(value); });
    QSignalSpy finished(backtest, &frmBacktest::RunFinished);
    StartRun(backtest, kSampleFolder);
    // Nothing has been handed over yet: the run goes on elsewhere.
    EXPECT_TRUE(backtest->IsRunning());
    EXPECT_TRUE(backtest->Races().empty());
    EXPECT_FALSE(Find<QPushButton>(backtest, "btnRun")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(backtest, "btnCancel")->isEnabled());
    WaitForEnd(backtest);
    EXPECT_EQ(finished.count(), 1);

    BacktestRun run;
    RunBacktest(kSampleFolder, run);
    EXPECT_EQ(FiguresJson(backtest->RunFigures()), FiguresJson(run.RunFigures()));
    ASSERT_EQ(backtest->Races().size(), run.Races().size());
    for (std::size_t i = 0; i < run.Races().size(); ++i) {
        EXPECT_EQ(backtest->Races()[i].fileName, run.Races()[i].fileName);
    }
    ASSERT_EQ(backtest->Skipped().size(), run.Skipped().size());

    // Every file counted, one step per race or skipped race.
    const int files = static_cast<int>(run.Races().size() + run.Skipped().size());
    EXPECT_EQ(progress->maximum(), files);
    EXPECT_EQ(progress->value(), files);
    ASSERT_FALSE(values.isEmpty());
    EXPECT_EQ(values.back(), files);
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(Text(backtest, "lblStatus"), "完了");
    EXPECT_TRUE(Find<QPushButton>(backtest, "btnSave")->isEnabled());

    // The figures table starts with all races, and the summary agrees.
    const Tally& all = run.RunFigures().all;
    const std::string rate =
        FormatFixed(100.0 * static_cast<double>(all.TotalReturn()) / static_cast<double>(all.TotalStake()),
                    1) +
        "%";
    auto* figures = Find<QTableWidget>(backtest, "grdFigures");
    EXPECT_EQ(figures->item(0, 0)->text(), "全体");
    EXPECT_EQ(figures->item(0, 2)->text(), QString::number(all.races));
    EXPECT_EQ(figures->item(0, 14)->text(), QString::fromStdString(rate));
    EXPECT_EQ(figures->horizontalHeaderItem(14)->text(), "回収率");
    EXPECT_EQ(figures->rowCount(),
              static_cast<int>(1 + run.RunFigures().byWin1Grade.size() +
                               run.RunFigures().byGradePattern.size() + run.RunFigures().byCourse.size() +
                               kRunnerBandCount + kWin1MovementCount + kPairMarkGroupCount));
    EXPECT_TRUE(Text(backtest, "lblSummary").startsWith(QString::number(all.races) + QStringLiteral("ﾚｰｽ")));
    EXPECT_TRUE(Text(backtest, "lblSummary").contains(QString::fromStdString("回収率 " + rate)));

    // The skipped races with their reasons, file names A to Z, counted on their tab.
    auto* skipped = Find<QTableWidget>(backtest, "grdSkipped");
    QStringList reasons;
    for (int row = 0; row < skipped->rowCount(); ++row) {
        reasons.append(skipped->item(row, 0)->text() + u' ' + skipped->item(row, 1)->text());
    }
    EXPECT_EQ(reasons, QStringList({"Zo-06050206.jra ７頭立て以下", "Zo-09050211.jra 成績ﾌｧｲﾙがない"}));
    EXPECT_EQ(Find<QTabWidget>(backtest, "tabResults")->tabText(2), "除外 (2)");
}

// The rows of one breakdown of the figures table: group and race count.
QStringList BreakdownRows(QTableWidget* figures, const QString& breakdown) {
    QStringList rows;
    QString current;
    for (int row = 0; row < figures->rowCount(); ++row) {
        if (!figures->item(row, 0)->text().isEmpty()) {
            current = figures->item(row, 0)->text();
        }
        if (current == breakdown) {
            rows.append(figures->item(row, 1)->text() + u' ' + figures->item(row, 2)->text());
        }
    }
    return rows;
}

TEST_F(BacktestWindowTest, FiguresSplitByTheWin1RunnersMovementInTheHistoryAndByAnomalyMarks) {
    TempDir pat;
    TempDir data;
    const std::string historyPath = (data.path() / "history.sqlite").string();
    patfixture::Race rising;
    rising.raceNo = 1;
    rising.runners = patfixture::RunnersWithOdds({"2.0", "4.0", "6.0", "8.0", "10", "12", "14", "16"});
    rising.result = patfixture::Result{};
    rising.result->order = {1, 2, 3};
    patfixture::Race oversold = rising;
    oversold.raceNo = 2;
    oversold.pairs[{1, 2}] = {"1.1", "1.0", "1.1"};
    patfixture::WriteRaceFiles(oversold, pat.path());
    const std::string risingPath = patfixture::WriteRaceFiles(rising, pat.path()).front().string();
    {
        // The favourite was at 3.0 an hour before the file was last written,
        // and both versions were recorded.
        patfixture::Race early = rising;
        early.runners[0].winOdds = "3.0";
        const auto modified = std::filesystem::last_write_time(risingPath);
        const std::int64_t modifiedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::file_clock::to_sys(modified).time_since_epoch())
                                            .count();
        HistoryStore store(historyPath);
        store.Record({risingPath, patfixture::WinPlaceOddsBytes(early), modifiedMs - 3600000, 0});
        store.Record({risingPath, patfixture::WinPlaceOddsBytes(rising), modifiedMs, 0});
    }

    frmBacktest* backtest = OpenBacktest();
    backtest->UseHistoryAt(historyPath);
    StartRun(backtest, pat.path().string());
    WaitForEnd(backtest);
    auto* figures = Find<QTableWidget>(backtest, "grdFigures");
    EXPECT_EQ(BreakdownRows(figures, "単1支持率の動き"),
              QStringList({"上昇 1", "下降 0", "変化なし 0", "履歴なし 1"}));
    EXPECT_EQ(BreakdownRows(figures, "推奨の異常印"), QStringList({"あり 1", "なし 1"}));
    EXPECT_FALSE(Text(backtest, "lblSummary").contains(u'\n'));
}

TEST_F(BacktestWindowTest, ChartsShowTheReturnRatesByWin1GradeAndByCourse) {
    frmBacktest* backtest = RunOver(kSampleFolder);
    const Figures& figures = backtest->RunFigures();
    struct Case {
        const char* view;
        const std::map<std::string, Tally>* groups;
    };
    for (const Case& c : {Case{"chtWin1Grade", &figures.byWin1Grade}, Case{"chtCourse", &figures.byCourse}}) {
        QChart* chart = Find<QChartView>(backtest, c.view)->chart();
        ASSERT_EQ(chart->series().size(), 1) << c.view;
        auto* series = qobject_cast<QBarSeries*>(chart->series().constFirst());
        ASSERT_NE(series, nullptr);
        ASSERT_EQ(series->count(), 3);
        EXPECT_EQ(series->barSets()[2]->label(), "合計");
        auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
        ASSERT_NE(axis, nullptr);
        ASSERT_EQ(axis->count(), static_cast<int>(c.groups->size())) << c.view;
        int i = 0;
        for (const auto& [group, tally] : *c.groups) {
            EXPECT_EQ(axis->at(i), QString::fromStdString(group));
            EXPECT_DOUBLE_EQ(series->barSets()[0]->at(i), 100.0 *
                                                              static_cast<double>(tally.quinella.returned) /
                                                              static_cast<double>(tally.quinella.stake));
            EXPECT_DOUBLE_EQ(series->barSets()[2]->at(i), 100.0 * static_cast<double>(tally.TotalReturn()) /
                                                              static_cast<double>(tally.TotalStake()));
            ++i;
        }
    }
}

TEST_F(BacktestWindowTest, RecommendedPairsCarryTheResultDisplaysHitMarks) {
    frmBacktest* backtest = RunOver(kSampleFolder);
    QAbstractItemModel* grid = backtest->RaceGrid()->model();
    ASSERT_EQ(grid->rowCount(), static_cast<int>(backtest->Races().size()));
    int quinellaMarks = 0;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const BacktestRace& race = backtest->Races()[static_cast<std::size_t>(row)];
        const QString pairs = Cell(grid, row, BacktestRaceModel::Pairs);
        quinellaMarks += static_cast<int>(pairs.count(QStringLiteral("◎")));
        // A quinella hit is marked as such even when it paid as a wide too.
        auto wideOnly = std::count_if(race.pairs.begin(), race.pairs.end(),
                                      [](const BacktestPair& p) { return p.wideHit && !p.quinellaHit; });
        EXPECT_EQ(pairs.count(QStringLiteral("○")), wideOnly) << race.fileName;
        EXPECT_EQ(pairs.split(u' ').size(), static_cast<qsizetype>(race.pairs.size()));
    }
    EXPECT_EQ(quinellaMarks, backtest->RunFigures().all.quinella.hits);

    // 10R at Nakayama: 7-15 paid as a quinella (and a wide), 2-7 and 2-15 as wides.
    int row = RowOfFile(grid, "Zo-06050210.jra");
    ASSERT_GE(row, 0);
    const QStringList pairs = Cell(grid, row, BacktestRaceModel::Pairs).split(u' ');
    EXPECT_TRUE(pairs.contains("7-15◎"));
    EXPECT_TRUE(pairs.contains("2-7○"));
    EXPECT_TRUE(pairs.contains("2-15○"));
    EXPECT_TRUE(pairs.contains("2-9"));
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::Course), "中山");
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::Meeting), "第5回 2日");
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::RaceNo), "10R");
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::RaceName), "霜月ステークス");
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::Runners), "16");
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::Grades), "DDCD");
    EXPECT_EQ(Cell(grid, row, BacktestRaceModel::Return), "3,930"); // 2120 + 710 + 440 + 660
}

TEST_F(BacktestWindowTest, HeadersSortNumbersAsNumbersAndDoubleClickLoadsTheRowShown) {
    frmBacktest* backtest = RunOver(kSampleFolder);
    QTableView* view = backtest->RaceGrid();
    QAbstractItemModel* grid = view->model();
    ASSERT_GT(grid->rowCount(), 3);
    // Arrival order first: the No column counts up.
    for (int row = 0; row < grid->rowCount(); ++row) {
        EXPECT_EQ(Cell(grid, row, BacktestRaceModel::No), QString::number(row + 1));
    }

    QTest::mouseClick(
        view->horizontalHeader()->viewport(), Qt::LeftButton, {},
        QPoint(view->horizontalHeader()->sectionViewportPosition(BacktestRaceModel::RaceNo) + 5, 5));
    ASSERT_EQ(view->horizontalHeader()->sortIndicatorSection(), BacktestRaceModel::RaceNo);
    std::vector<int> numbers;
    for (int row = 0; row < grid->rowCount(); ++row) {
        numbers.push_back(Cell(grid, row, BacktestRaceModel::RaceNo).chopped(1).toInt());
    }
    // 1R, 2R ... 10R, 11R, 12R, not 1R, 10R, 11R ...
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()) ||
                std::is_sorted(numbers.rbegin(), numbers.rend()));

    view->sortByColumn(BacktestRaceModel::Return, Qt::DescendingOrder);
    std::vector<qlonglong> returns;
    for (int row = 0; row < grid->rowCount(); ++row) {
        returns.push_back(Cell(grid, row, BacktestRaceModel::Return).remove(u',').toLongLong());
    }
    EXPECT_TRUE(std::is_sorted(returns.rbegin(), returns.rend()));

    // The race of the top row, whatever its place in the run.
    const QString file = Cell(grid, 0, BacktestRaceModel::File);
    emit view->doubleClicked(grid->index(0, BacktestRaceModel::RaceName));
    EXPECT_EQ(window->Sheet().sOddsFileName, JoinFolder(kSampleFolder, file.toStdString()));
    EXPECT_TRUE(Text(window.get(), "txtKaisai").startsWith(QStringLiteral("中山")) ||
                Text(window.get(), "txtKaisai").startsWith(QStringLiteral("阪神")));
    EXPECT_FALSE(Items(window.get(), "lstResult").isEmpty());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(backtest->isVisible());
}

TEST_F(BacktestWindowTest, CsvSaveWritesWhatTheCoreWriterWritesAndNeverIntoThePatFolder) {
    SampleCopy pat;
    SetPatFolder(settings, pat.Folder());
    frmBacktest* backtest = RunOver(pat.Folder());
    std::ostringstream expected;
    CsvBacktestWriter writer(expected, ByteOrderMark::With);
    RunBacktest(pat.Folder(), writer);

    TempDir out;
    const fs::path target = out.path() / "races.csv";
    QString dialogDirectory;
    fileChooser = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        dialogDirectory = dialog.directory().absolutePath();
        return QString::fromStdString(target.string());
    };
    Find<QPushButton>(backtest, "btnSave")->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadFile(target), expected.str());
    // Excel reads it as UTF-8 only with the mark.
    EXPECT_EQ(ReadFile(target).substr(0, 8), "\xEF\xBB\xBF"
                                             "file,");
    // The dialog opens in the user's folders, never in the PAT folder.
    EXPECT_NE(QDir(dialogDirectory).canonicalPath(),
              QDir(QString::fromStdString(pat.Folder())).canonicalPath());
    EXPECT_TRUE(dialogDirectory.startsWith(QDir::homePath()));

    // Chosen by hand, the PAT folder is refused, whether as stored or as run.
    const auto before = std::distance(fs::directory_iterator(pat.Folder()), fs::directory_iterator());
    fileChooser = [&](QFileDialog&) { return QString::fromStdString(pat.Folder() + "/backtest.csv"); };
    Find<QPushButton>(backtest, "btnSave")->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "PATフォルダには保存できません。");
    EXPECT_EQ(std::distance(fs::directory_iterator(pat.Folder()), fs::directory_iterator()), before);

    // A file that can't be written is reported and the window goes on.
    fileChooser = [&](QFileDialog&) {
        return QString::fromStdString((out.path() / "no/such/x.csv").string());
    };
    Find<QPushButton>(backtest, "btnSave")->click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "ファイルの書き込みに失敗しました。");
    EXPECT_EQ(messages[1].icon, QMessageBox::Critical);
    EXPECT_EQ(ReadFile(target), expected.str());
}

// Every file below a folder with its bytes, size and time of last change.
struct FileState {
    std::string bytes;
    std::uintmax_t size = 0;
    fs::file_time_type modified;
    bool operator==(const FileState&) const = default;
};

std::map<std::string, FileState> FolderState(const fs::path& folder) {
    std::map<std::string, FileState> state;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            state[entry.path().string()] = {ReadFile(entry.path()), entry.file_size(),
                                            entry.last_write_time()};
        }
    }
    return state;
}

TEST_F(BacktestWindowTest, CsvSaveThroughAnyLinkOrPathLeavesEveryPatFileUnchanged) {
    SampleCopy pat;
    const fs::path patFolder = pat.Folder();
    fs::create_directory(patFolder / "sub");
    { std::ofstream(patFolder / "sub" / "keep.txt") << "kept"; }
    SetPatFolder(settings, pat.Folder());
    frmBacktest* backtest = RunOver(pat.Folder());
    const auto before = FolderState(patFolder);
    ASSERT_FALSE(before.empty());

    TempDir out;
    fs::create_symlink(patFolder / "Zo-06050201.jra", out.path() / "link-zo.csv");
    fs::create_symlink(patFolder / "new.csv", out.path() / "dangling.csv");
    fs::create_symlink(patFolder, out.path() / "link-dir.csv");
    fs::create_directory(out.path() / "mine");
    const fs::path chosen[] = {
        out.path() / "link-zo.csv",
        out.path() / "dangling.csv",
        out.path() / "link-dir.csv",
        out.path() / "mine" / ".." / ".." / patFolder.filename() / "backtest.csv",
        patFolder / "sub" / "backtest.csv",
    };
    for (const fs::path& path : chosen) {
        messages.clear();
        fileChooser = [&](QFileDialog&) { return QString::fromStdString(path.string()); };
        Find<QPushButton>(backtest, "btnSave")->click();
        ASSERT_EQ(messages.size(), 1u) << path;
        EXPECT_EQ(messages[0].text, "PATフォルダには保存できません。") << path;
        EXPECT_EQ(FolderState(patFolder), before) << path;
        EXPECT_FALSE(Text(backtest, "lblStatus").startsWith(QStringLiteral("保存しました"))) << path;
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(patFolder / "new.csv")));
}

TEST_F(BacktestWindowTest, FolderComesFromTheDialogAndAMissingOneIsReported) {
    frmBacktest* backtest = OpenBacktest();
    TempDir empty;
    fileChooser = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(),
                  QDir(QString::fromStdString(kSampleFolder)).canonicalPath());
        return QString::fromStdString(empty.path().string());
    };
    Find<QPushButton>(backtest, "btnBrowse")->click();
    EXPECT_EQ(Find<QLineEdit>(backtest, "txtFolder")->text(),
              QString::fromStdString(empty.path().string()) + u'/');

    // An empty folder runs to an empty, unsaveable result.
    Find<QPushButton>(backtest, "btnRun")->click();
    WaitForEnd(backtest);
    EXPECT_TRUE(backtest->Races().empty());
    EXPECT_EQ(Text(backtest, "lblStatus"), "単複ｵｯｽﾞﾌｧｲﾙがありません");
    EXPECT_FALSE(Find<QPushButton>(backtest, "btnSave")->isEnabled());
    EXPECT_EQ(Find<QTableWidget>(backtest, "grdFigures")->item(0, 14)->text(), "-");

    fileChooser = [](QFileDialog&) { return QString(); }; // cancelled
    Find<QPushButton>(backtest, "btnBrowse")->click();
    EXPECT_EQ(Find<QLineEdit>(backtest, "txtFolder")->text(),
              QString::fromStdString(empty.path().string()) + u'/');

    StartRun(backtest, "/no/such/velmora/folder");
    EXPECT_FALSE(backtest->IsRunning());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "フォルダが見つかりません。");
    EXPECT_EQ(messages[0].caption, "えらー");
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
}

TEST_F(BacktestWindowTest, CancelEndsTheRunEarlyAndANewRunStartsAfresh) {
    const std::string& folder = LargeFolder::Folder();
    frmBacktest* backtest = RunOver(kSampleFolder);
    StartRun(backtest, folder);
    EXPECT_TRUE(backtest->Races().empty()); // the earlier run's races are gone
    Find<QPushButton>(backtest, "btnCancel")->click();
    EXPECT_FALSE(Find<QPushButton>(backtest, "btnCancel")->isEnabled());
    WaitForEnd(backtest);
    EXPECT_LT(backtest->Races().size() + backtest->Skipped().size(), std::size_t{LargeFolder::kRaces});
    EXPECT_EQ(Text(backtest, "lblStatus"), "中止しました");
    EXPECT_FALSE(Find<QPushButton>(backtest, "btnSave")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(backtest, "btnRun")->isEnabled());
    EXPECT_EQ(backtest->RunFigures().all.races, static_cast<std::int64_t>(backtest->Races().size()));
    EXPECT_TRUE(messages.empty());

    // Closing the window stops a run the same way.
    StartRun(backtest, folder);
    backtest->close();
    EXPECT_FALSE(backtest->isVisible());
    WaitForEnd(backtest);
    EXPECT_EQ(Text(backtest, "lblStatus"), "中止しました");
}

TEST_F(BacktestWindowTest, ClosingTheMainWindowMidRunIsSafe) {
    const std::string& folder = LargeFolder::Folder();
    // At once, while the folder is being listed; and once the run is under way,
    // with races posted to the window and not yet taken.
    for (bool underWay : {false, true}) {
        Open();
        frmBacktest* backtest = OpenBacktest();
        auto* progress = Find<QProgressBar>(backtest, "prgProgress");
        StartRun(backtest, folder);
        if (underWay) {
            // Races are taken one by one while the worker keeps posting more.
            // On a quick, idle machine the worker may have posted its end by
            // then as well; closing must be safe in either case.
            ASSERT_TRUE(QTest::qWaitFor([progress] { return progress->value() > 0; }, 120000));
        } else {
            EXPECT_TRUE(backtest->IsRunning());
        }
        window->close();
        EXPECT_EQ(window->BacktestWindow(), nullptr);
        window.reset();
        // Whatever the worker had posted went with the window.
        QCoreApplication::processEvents();
        EXPECT_TRUE(settings.Read("BacktestWindow", "Left").has_value());
    }
}

TEST_F(BacktestWindowTest, ProgramEndingWhileADialogIsOpenLeavesNothingBehind) {
    frmBacktest* backtest = RunOver(kSampleFolder);
    TempDir out;
    const fs::path target = out.path() / "races.csv";
    fileChooser = [&](QFileDialog&) {
        window->close(); // unloads and deletes the back-test window, dialog and all
        return QString::fromStdString(target.string());
    };
    backtest->btnSave_Click();
    EXPECT_EQ(window->BacktestWindow(), nullptr);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(messages.empty());
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

// Where a stored corner puts a window, kept wholly on the screen: the default
// offscreen screen is smaller than the back-test window, which shrinks to it.
QPoint OnScreen(QPoint wanted, const QWidget& window) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size = window.frameGeometry().size();
    return {std::clamp(wanted.x(), screen.left(), screen.right() + 1 - size.width()),
            std::clamp(wanted.y(), screen.top(), screen.bottom() + 1 - size.height())};
}

TEST(BacktestWindowPosition, StoredInTwipsAtShutdownAndRestoredNextTime) {
    OrderRecordingStore store;
    RemarkList remarks;
    NullRecorder noHistory;
    Twips twips = Twips::ForScreen();
    {
        frmMain window(store, remarks, noHistory);
        window.show();
        window.mnuFileBacktest_Click();
        // Opened beside the main window (the desktop test checks where), on the screen.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(window.BacktestWindow()->frameGeometry()));
        window.mnuFileList_Click();
        window.BacktestWindow()->move(60, 45);
        window.close();
    }
    // Unloaded last-loaded first, then the main window.
    EXPECT_EQ(store.sections, (std::vector<std::string>{"SelectFileWindow", "BacktestWindow", "MainWindow"}));
    EXPECT_EQ(store.Read("BacktestWindow", "Left"), std::to_string(static_cast<int>(twips.FromPixels(60))));
    frmMain again(store, remarks, noHistory);
    again.mnuFileBacktest_Click();
    EXPECT_EQ(again.BacktestWindow()->pos(), OnScreen(QPoint(60, 45), *again.BacktestWindow()));
    again.close();
}

TEST(BacktestTexts, RaceLinesAndPairsAsTheWindowShowsThem) {
    BacktestRace race;
    race.course = "中山";
    race.meetingLine = "中山   第 5回  2日";
    race.raceLine = " 1R ３歳未勝利                         ";
    auto pair = [](const char* text, bool quinella, bool wide, bool refunded) {
        BacktestPair p;
        p.pair = text;
        p.quinellaHit = quinella;
        p.wideHit = wide;
        p.refunded = refunded;
        p.quinellaReturn = quinella ? 1500 : 0;
        p.wideReturn = wide ? 400 : 0;
        return p;
    };
    race.pairs = {pair(" 3-12", true, true, false), pair(" 3- 5", false, true, false),
                  pair(" 5-12", false, false, false), pair(" 1- 3", false, false, true)};
    EXPECT_EQ(MeetingText(race), "第5回 2日");
    EXPECT_EQ(RaceNumberText(race), "1R");
    EXPECT_EQ(RaceNameText(race), "３歳未勝利");
    EXPECT_EQ(PairsWithMarks(race), "3-12◎ 3-5○ 5-12 (1-3)");
    EXPECT_EQ(RaceReturn(race), 1500 + 400 + 400);
    EXPECT_EQ(RaceStake(race), 3 * 200); // the refunded pair is not bet

    race.raceLine = "ﾒｲﾝﾚｰｽ";
    EXPECT_EQ(RaceNumberText(race), "");
    EXPECT_EQ(RaceNameText(race), "ﾒｲﾝﾚｰｽ");
    race.meetingLine = "";
    EXPECT_EQ(MeetingText(race), "");

    EXPECT_EQ(PercentText(std::nullopt), "-");
    EXPECT_EQ(PercentText(0.78730), "78.7%");
    EXPECT_EQ(YenText(1234567), "1,234,567");
    EXPECT_EQ(YenText(100), "100");
    EXPECT_EQ(YenText(0), "0");
}

} // namespace
} // namespace velmora::test
