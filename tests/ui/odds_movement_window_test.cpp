#include "history/history_store.h"
#include "pat_fixture.h"
#include "settings/settings_ops.h"
#include "support/temp_dir.h"
#include "ui/frmOddsMovement.h"
#include "ui/odds_movement_models.h"
#include "ui_test_support.h"

#include <QAbstractItemModel>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QLineSeries>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

const char* const kOddsFile = "Zo-06050411.jra";
const char* const kQuinellaFile = "Uo-06050411.jra";

// The version folders of the sample race day that hold 11R, in time order.
std::vector<fs::path> VersionsOf11R() {
    std::vector<fs::path> folders;
    for (const auto& entry :
         fs::directory_iterator(fs::path(VELMORA_SOURCE_DIR) / "samples/raceday/versions")) {
        if (fs::exists(entry.path() / kOddsFile)) {
            folders.push_back(entry.path());
        }
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The local time on the race day that a version folder is named after (HHMMSS).
std::int64_t FolderTimeMs(const fs::path& folder) {
    const QTime time =
        QTime::fromString(QString::fromStdString(folder.filename().string()), QStringLiteral("HHmmss"));
    return QDateTime(QDate(2026, 12, 13), time).toMSecsSinceEpoch();
}

// Copies a file in as the PAT software does, by rename, with the time it was written.
void PutFile(const fs::path& from, const fs::path& folder, std::int64_t modifiedMs) {
    const fs::path partial = folder / (".partial-" + from.filename().string());
    fs::copy_file(from, partial, fs::copy_options::overwrite_existing);
    const timespec when{static_cast<time_t>(modifiedMs / 1000),
                        static_cast<long>(modifiedMs % 1000) * 1000000};
    const timespec times[2] = {when, when};
    ASSERT_EQ(utimensat(AT_FDCWD, partial.c_str(), times, 0), 0);
    fs::rename(partial, folder / from.filename());
}

template <typename Predicate> bool Eventually(Predicate done) {
    return QTest::qWaitFor(done, 10000);
}

class OddsMovementWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPatFolder(settings, pat.path().string());
        versions = VersionsOf11R();
        ASSERT_EQ(versions.size(), 30u);
        // The runners' names come with the entry file of the first version.
        fs::copy_file(versions.front() / "De-06050411.jra", pat.path() / "De-06050411.jra");
        window = std::make_unique<frmMain>(settings, remarks, store);
        window->ReadHistoryFrom([this] { return &store; });
        window->Seams().showMessage = [this](QMessageBox& box) { messages.push_back(box.text()); };
        window->show();
    }

    // Puts a version into the PAT folder and records it as the program would have seen it.
    void WriteVersion(std::size_t index) {
        const std::int64_t at = FolderTimeMs(versions[index]);
        for (const char* name : {kQuinellaFile, kOddsFile}) {
            PutFile(versions[index] / name, pat.path(), at);
        }
    }
    void RecordVersions(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            WriteVersion(i);
            const std::int64_t at = FolderTimeMs(versions[i]);
            for (const char* name : {kQuinellaFile, kOddsFile}) {
                auto seen = ReadSeenFile((pat.path() / name).string(), at + 2000);
                ASSERT_TRUE(seen);
                store.Record(*seen);
            }
        }
    }
    frmOddsMovement* Open() {
        Find<QAction>(window.get(), "mnuFileOddsMovement")->trigger();
        return window->OddsMovementWindow();
    }
    // The text of the runner table as shown, by horse number and column.
    QString RunnerCell(frmOddsMovement* movement, int no, int column) {
        QAbstractItemModel* model = movement->RunnerGrid()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, MovementRunnerModel::No).data().toInt() == no) {
                return model->index(row, column).data().toString();
            }
        }
        ADD_FAILURE() << "no row for runner " << no;
        return {};
    }
    QList<QLineSeries*> ChartLines(frmOddsMovement* movement) {
        QList<QLineSeries*> lines;
        for (QAbstractSeries* series : movement->Chart()->chart()->series()) {
            lines.append(qobject_cast<QLineSeries*>(series));
        }
        return lines;
    }
    // The sheet's win odds of a runner, with the window's one decimal.
    QString SheetOdds(int no) {
        return QString::number(std::stod(window->Sheet().Text(Column::TanOdds, no)), 'f', 1);
    }
    std::string OddsPath() const { return (pat.path() / kOddsFile).string(); }

    TempDir pat;
    TempDir data;
    MemorySettingsStore settings;
    RemarkList remarks{"remark"};
    HistoryStore store{(data.path() / "history.sqlite").string()};
    std::vector<fs::path> versions;
    std::unique_ptr<frmMain> window;
    std::vector<QString> messages;
};

TEST_F(OddsMovementWindowTest, OpensFromTheFileMenuAndToolbarAsOneOwnedWindow) {
    EXPECT_EQ(Find<QAction>(window.get(), "mnuFileOddsMovement")->text(), "オッズ推移(&M)...");
    EXPECT_EQ(Find<QAction>(window.get(), "Toolbar1_OddsMovement")->toolTip(), "オッズ推移");
    frmOddsMovement* movement = Open();
    ASSERT_NE(movement, nullptr);
    EXPECT_TRUE(movement->isVisible());
    EXPECT_EQ(movement->windowTitle(), "オッズ推移");
    EXPECT_EQ(movement->parentWidget(), window.get());
    EXPECT_TRUE(movement->isWindow());
    movement->close(); // the close box only hides
    EXPECT_FALSE(movement->isVisible());
    Find<QAction>(window.get(), "Toolbar1_OddsMovement")->trigger();
    EXPECT_EQ(window->OddsMovementWindow(), movement);
    EXPECT_TRUE(movement->isVisible());
}

TEST_F(OddsMovementWindowTest, ShowsHowTheMoneyMovedOverTheRecordedDay) {
    SetRankGap(settings, 1);
    RecordVersions(30);
    window->UpdateFormFromSelection(OddsPath());
    frmOddsMovement* movement = Open();
    ASSERT_EQ(movement->VersionList()->rowCount(), 30);
    EXPECT_EQ(movement->VersionList()->item(0, 2)->text(), "12/13 09:00:00");
    EXPECT_EQ(movement->VersionList()->item(29, 3)->text(), kOddsFile);
    EXPECT_EQ(movement->RunnerGrid()->model()->rowCount(), 16);

    // 5 and 16 were backed through the day, 1 drifted out.
    EXPECT_EQ(RunnerCell(movement, 5, MovementRunnerModel::WinMark), "↑");
    EXPECT_EQ(RunnerCell(movement, 16, MovementRunnerModel::WinMark), "↑");
    EXPECT_EQ(RunnerCell(movement, 1, MovementRunnerModel::WinMark), "↓");
    EXPECT_EQ(RunnerCell(movement, 1, MovementRunnerModel::WinOddsFirst), "7.5");
    for (int no = 1; no <= 16; ++no) {
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::Name),
                  QString::fromStdString(window->Sheet().Text(Column::HorseName, no)).trimmed());
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::WinOddsNow), SheetOdds(no));
        // Every gap of a rank or more is marked, with the ranks the sheet shows.
        const QString win = QString::fromStdString(window->Sheet().Text(Column::TanPopular, no)).trimmed();
        const QString place = QString::fromStdString(window->Sheet().Text(Column::FukuPopular, no)).trimmed();
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::Gap),
                  win == place ? QString() : QStringLiteral("単%1/複%2").arg(win, place));
    }
}

// At the default thresholds the sample race's money the win odds don't explain
// is marked: two pairs bought hard, one runner backed for a place.
TEST_F(OddsMovementWindowTest, MarksTheSampleDaysAnomaliesAtTheDefaultThresholds) {
    RecordVersions(30);
    window->UpdateFormFromSelection(OddsPath());
    frmOddsMovement* movement = Open();
    for (int no = 1; no <= 16; ++no) {
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::Gap),
                  no == 4 ? QStringLiteral("単6/複2") : QString())
            << no;
    }
    QTableWidget* oversold = Find<QTableWidget>(movement, "grdOversold");
    ASSERT_EQ(oversold->rowCount(), 2);
    EXPECT_EQ(oversold->item(0, 0)->text(), " 3- 8") << "in pair order";
    EXPECT_EQ(oversold->item(1, 0)->text(), "10-14");
    EXPECT_EQ(oversold->item(1, 2)->text(), "1.76");
    QTableWidget* pairs = Find<QTableWidget>(movement, "grdPairs");
    QStringList marks;
    for (int row = 0; row < pairs->rowCount(); ++row) {
        if (!pairs->item(row, 1)->text().isEmpty()) {
            marks << pairs->item(row, 0)->text().trimmed() + " " + pairs->item(row, 1)->text();
        }
    }
    EXPECT_EQ(marks, QStringList({"4- 5 ずれ 4番", "4-14 ずれ 4番", "4-10 ずれ 4番", "10-14 売れすぎ 1.76"}));
}

TEST_F(OddsMovementWindowTest, ChartsTheSelectedRunnersSupportOverFileTime) {
    RecordVersions(30);
    window->UpdateFormFromSelection(OddsPath());
    frmOddsMovement* movement = Open();
    EXPECT_TRUE(ChartLines(movement).isEmpty());
    movement->SelectRunners({1, 5});
    const QList<QLineSeries*> lines = ChartLines(movement);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0]->name(), "1番");
    EXPECT_EQ(lines[1]->name(), "5番");
    ASSERT_EQ(lines[0]->count(), 30);
    EXPECT_EQ(static_cast<std::int64_t>(lines[0]->at(0).x()), FolderTimeMs(versions.front()));
    EXPECT_EQ(static_cast<std::int64_t>(lines[0]->at(29).x()), FolderTimeMs(versions.back()));
    // Win support in percent: 80 / the odds.
    EXPECT_NEAR(lines[0]->at(0).y(), 80.0 / 7.5, 1e-9);
    const double lastOdds = std::stod(window->Sheet().Text(Column::TanOdds, 5));
    EXPECT_NEAR(lines[1]->at(29).y(), 80.0 / lastOdds, 1e-9);
    EXPECT_GT(lines[1]->at(29).y(), lines[1]->at(0).y() * 1.3);
}

TEST_F(OddsMovementWindowTest, APickedVersionIsShownAgainstTheFirst) {
    RecordVersions(30);
    window->UpdateFormFromSelection(OddsPath());
    frmOddsMovement* movement = Open();
    ASSERT_EQ(RunnerCell(movement, 5, MovementRunnerModel::WinMark), "↑");
    movement->VersionList()->selectRow(0);
    EXPECT_EQ(movement->Movement()->ChosenVersion(), 0);
    for (int no = 1; no <= 16; ++no) {
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::WinChange), "1.00");
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::WinMark), "");
    }
    EXPECT_EQ(RunnerCell(movement, 1, MovementRunnerModel::WinOddsNow), "7.5");
    EXPECT_TRUE(Text(movement, "lblSummary").contains(QStringLiteral("第1版")));
}

TEST_F(OddsMovementWindowTest, FollowsANewVersionAndKeepsTheUsersChoices) {
    RecordVersions(29);
    window->UpdateFormFromSelection(OddsPath());
    frmOddsMovement* movement = Open();
    ASSERT_EQ(movement->VersionList()->rowCount(), 29);
    movement->SelectRunners({5});
    movement->VersionList()->selectRow(3);

    WriteVersion(29);
    ASSERT_TRUE(Eventually([&] { return movement->VersionList()->rowCount() == 30; }));
    EXPECT_EQ(movement->Movement()->ChosenVersion(), 3);
    ASSERT_EQ(ChartLines(movement).size(), 1);
    EXPECT_EQ(ChartLines(movement)[0]->count(), 30);

    // Back on the last version, the window goes on with the newest.
    movement->VersionList()->selectRow(29);
    EXPECT_EQ(RunnerCell(movement, 5, MovementRunnerModel::WinOddsNow), SheetOdds(5));
    EXPECT_TRUE(messages.empty());
}

TEST_F(OddsMovementWindowTest, AVersionKeptBackForTheUsersEditsStillJoinsTheList) {
    RecordVersions(29);
    window->UpdateFormFromSelection(OddsPath());
    frmOddsMovement* movement = Open();
    auto* cell = Find<QLineEdit>(window.get(), "txtTanOdds_2");
    cell->selectAll();
    QTest::keyClicks(cell, "77.7");
    WriteVersion(29);
    ASSERT_TRUE(Eventually([&] { return movement->VersionList()->rowCount() == 30; }));
    EXPECT_EQ(Text(window.get(), "txtTanOdds_2"), "77.7");
}

TEST_F(OddsMovementWindowTest, ARaceWithoutHistoryShowsTheSheetAloneWithItsAnomalies) {
    SetRankGap(settings, 1);
    frmOddsMovement* movement = Open();
    EXPECT_EQ(movement->RunnerGrid()->model()->rowCount(), 0);
    EXPECT_TRUE(Text(movement, "lblSummary").contains(QStringLiteral("ﾚｰｽがありません")));

    Find<QAction>(window.get(), "mnuTestData1")->trigger();
    Find<QPushButton>(window.get(), "btnCalc")->click();
    EXPECT_FALSE(movement->Movement()->HasHistory());
    ASSERT_EQ(movement->VersionList()->rowCount(), 1);
    EXPECT_EQ(movement->VersionList()->item(0, 3)->text(), "(画面のｵｯｽﾞ)");
    const int runners = window->Sheet().GetRunnerCount();
    ASSERT_EQ(movement->RunnerGrid()->model()->rowCount(), runners);
    int gaps = 0;
    for (int no = 1; no <= runners; ++no) {
        EXPECT_EQ(RunnerCell(movement, no, MovementRunnerModel::WinMark), "");
        gaps += RunnerCell(movement, no, MovementRunnerModel::Gap).isEmpty() ? 0 : 1;
    }
    EXPECT_GT(gaps, 0);
    movement->SelectRunners({1, 2});
    EXPECT_TRUE(ChartLines(movement).isEmpty());
    EXPECT_TRUE(Text(movement, "lblSummary").contains(QStringLiteral("履歴なし")));
}

// The sample day's quinella odds follow the win odds closely; this race has a
// pair bought far beyond them.
TEST_F(OddsMovementWindowTest, RecommendedPairsCarryTheirMarksAndTheSheetKeepsItsTexts) {
    SetRankGap(settings, 1);
    patfixture::Race race;
    race.runners = patfixture::RunnersWithOdds({"2.4", "3.1", "5.6", "8.1", "12.5", "20.3", "33.0", "51.2"});
    race.pairs[{1, 2}] = {"1.2", "1.0", "1.1"};
    patfixture::WriteRaceFiles(race, pat.path());
    window->UpdateFormFromSelection((pat.path() / patfixture::OddsFileName(race)).string());
    const QStringList sheetPairs = Items(window.get(), "lstResult");
    frmOddsMovement* movement = Open();
    EXPECT_TRUE(movement->Movement()->HasHistory());
    auto* oversold = Find<QTableWidget>(movement, "grdOversold");
    ASSERT_GT(oversold->rowCount(), 0);
    const QList<QTableWidgetItem*> found = oversold->findItems(QStringLiteral(" 1- 2"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    const QString ratio = oversold->item(found.front()->row(), 2)->text();
    EXPECT_GE(ratio.toDouble(), 1.5);

    auto* pairs = Find<QTableWidget>(movement, "grdPairs");
    ASSERT_EQ(pairs->rowCount(), sheetPairs.size());
    ASSERT_TRUE(sheetPairs.contains(QStringLiteral(" 1- 2")));
    for (int row = 0; row < pairs->rowCount(); ++row) {
        const QString pair = pairs->item(row, 0)->text();
        EXPECT_EQ(pair, sheetPairs[row].left(5));
        const QString mark = pairs->item(row, 1)->text();
        EXPECT_EQ(mark.startsWith(QStringLiteral("売れすぎ ")),
                  !oversold->findItems(pair, Qt::MatchExactly).isEmpty())
            << pair.toStdString();
        if (pair == QStringLiteral(" 1- 2")) {
            EXPECT_TRUE(mark.startsWith(QStringLiteral("売れすぎ ") + ratio)) << mark.toStdString();
        }
    }
    EXPECT_EQ(Items(window.get(), "lstResult"), sheetPairs);
}

} // namespace
} // namespace velmora::test
