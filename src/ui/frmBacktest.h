#pragma once

#include "backtest/backtest_record.h"
#include "backtest/backtest_run.h"
#include "backtest/figures.h"
#include "common/messages.h"
#include "settings/settings_store.h"
#include "ui/desktop_seams.h"
#include "ui/owned_window.h"
#include "ui/parented_dialog.h"
#include "ui/twips.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QChartView;
class QFileDialog;
class QLabel;
class QLineEdit;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTabWidget;
class QTableView;
class QTableWidget;
class QThread;
class QTimer;

namespace velmora {

class BacktestRaceModel;
class BacktestWorker;

// The back-test window "成績集計": runs the back-test of a PAT folder on a
// worker thread and shows every race with its recommended pairs and hits, the
// races left out with their reasons, the figures with their breakdowns and a
// chart of the return rates. Modeless and owned by the main window like the
// file browser: closing only hides it (and stops a run), and the main window
// unloads it when the program ends.
class frmBacktest : public OwnedWindow {
    Q_OBJECT
public:
    using LoadRace = std::function<void(const std::string& path)>;

    frmBacktest(SettingsStore& settings, MessageSink& messages, const DesktopSeams& seams, LoadRace loadRace,
                QWidget* owner);
    ~frmBacktest() override;

    bool IsRunning() const { return run_.IsRunning(); }
    // What the last run delivered so far, in the order it arrived.
    const std::vector<BacktestRace>& Races() const { return run_.Races(); }
    const std::vector<SkippedRace>& Skipped() const { return run_.Skipped(); }
    const Figures& RunFigures() const { return run_.RunFigures(); }
    QTableView* RaceGrid() const { return grdRaces_; }
    // The folder of the last run, as it was searched.
    const std::string& RunFolder() const { return run_.Folder(); }
    // Runs read the odds history at `path` rather than at its usual place.
    void UseHistoryAt(std::string path) { historyPath_ = std::move(path); }

public slots:
    void btnBrowse_Click();
    void btnRun_Click();
    void btnCancel_Click();
    void btnSave_Click();
    void btnClose_Click() override;
    void grdRaces_DblClick(const QModelIndex& index);
    void Form_Unload();

signals:
    // A run has ended: done, cancelled or failed.
    void RunFinished();

private:
    void BuildControls();
    QWidget* BuildFolderRow();
    QWidget* BuildResultPanes();
    QWidget* BuildButtonRow();
    void Form_Load();
    void OnCounted(int total);
    void OnRaceDone(const BacktestRace& race);
    void OnRaceSkipped(const SkippedRace& skipped);
    void OnHistoryProblem(const QString& problem);
    void OnFinished(bool cancelled, const QString& failure);
    void ScheduleShowArrived();
    void ShowArrived();
    // Enables the controls and writes the status line as the run's state asks.
    void ShowState();
    void ShowProgress();
    void ShowFigures();
    void ShowCharts();
    void ShowSkipped();
    void ShowSummary();
    // Stops a run and waits for its thread; nothing arrives afterwards.
    void StopAndWait();
    // The path chosen in a prepared dialog (empty when cancelled); nothing when
    // this window was unloaded while the dialog was open.
    std::optional<QString> Choose(ParentedDialog<QFileDialog>& dialog);
    void WriteCsv(const QString& path);

    SettingsStore& settings_;
    MessageSink& messages_;
    const DesktopSeams& seams_;
    LoadRace loadRace_;
    Twips twips_;

    QLineEdit* txtFolder_ = nullptr;
    QPushButton* btnBrowse_ = nullptr;
    QPushButton* btnRun_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QProgressBar* prgProgress_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    QTableView* grdRaces_ = nullptr;
    BacktestRaceModel* races_ = nullptr;
    QSortFilterProxyModel* sortedRaces_ = nullptr;
    QTabWidget* tabResults_ = nullptr;
    QTableWidget* grdFigures_ = nullptr;
    QTableWidget* grdSkipped_ = nullptr;
    QChartView* chtWin1Grade_ = nullptr;
    QChartView* chtCourse_ = nullptr;
    QTimer* arrivalTimer_ = nullptr;

    BacktestRun run_;
    std::optional<std::string> historyPath_;
    std::unique_ptr<BacktestWorker> worker_;
    std::unique_ptr<QThread> thread_;
    bool unloaded_ = false;
    WindowPlacement placement_;
};

} // namespace velmora
