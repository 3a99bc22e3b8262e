#pragma once

#include "common/clock.h"
#include "common/random.h"
#include "follow/race_follow.h"
#include "history/odds_recorder.h"
#include "settings/settings_store.h"
#include "sheet/race_sheet.h"
#include "shell/remarks.h"
#include "shell/services.h"
#include "ui/desktop_seams.h"
#include "ui/folder_watch.h"
#include "ui/frmBacktest.h"
#include "ui/frmOddsMovement.h"
#include "ui/frmSelectFile.h"
#include "ui/twips.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QToolBar;

namespace velmora {

class frmSelectFile;

// The main window: a thin view of the race sheet model. Every edit goes into
// the model at once and every model change is mirrored back; the commands are
// the core's, run with the desktop's services.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Every version of the odds files the window reads goes to `recorder`.
    frmMain(SettingsStore& settings, const RemarkList& remarks, OddsRecorder& recorder,
            QWidget* parent = nullptr);
    ~frmMain() override;

    RaceSheet& Sheet() { return sheet_; }
    Services& CoreServices() { return services_; }
    // Tests replace the dialogs' presenters here.
    DesktopSeams& Seams() { return seams_; }
    const Twips& TwipsScale() const { return twips_; }

    // Loads the race of a win/place odds file picked in the file browser.
    void UpdateFormFromSelection(const std::string& sFileName);
    // Brings the widgets in line with the model now, if it changed.
    void Refresh();
    frmSelectFile* SelectFileWindow() const { return browser_; }
    RaceFollow& Follow() { return follow_; }
    FolderWatch* Watch() const { return watch_; }
    // Shows a problem met while the window works (the odds history failing)
    // once the event loop is back, after the work that met it has finished;
    // through the window's own message boxes, so the window may close meanwhile.
    void ShowProblemLater(const std::string& text);
    // Called after each reload the race's files brought, for the live test.
    void OnReloaded(std::function<void()> listener) { onReloaded_ = std::move(listener); }
    frmBacktest* BacktestWindow() const { return backtest_; }
    frmOddsMovement* OddsMovementWindow() const { return oddsMovement_; }
    // Where the odds-movement window reads the race's recorded versions; none
    // until this is given.
    void ReadHistoryFrom(frmOddsMovement::HistorySource history) { history_ = std::move(history); }

public slots:
    void btnCalc_Click();
    void cmdResult_Click();
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileList_Click();
    void mnuFileBacktest_Click();
    void mnuFileOddsMovement_Click();
    void mnuFileExit_Click();
    void mnuFileReload_Click();
    void mnuToolAutoFollow_Click(bool on);
    void mnuTestData1_Click();
    void mnuTestData2_Click();
    void mnuTestData3_Click();
    void mnuToolOption_Click();
    void mnuHelpAbout_Click();
    void Toolbar1_ButtonClick(const QString& key);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildSheet(QWidget* sheet);
    void BuildStatusBar();
    void SetFocusOrder();
    void Form_Load();
    void Form_Unload();
    void ScheduleRefresh();
    void UpdateClockPanels();
    void FollowTheSheet();
    // The race's files could not all be watched: say so, and try again later.
    void WatchStalled();
    void RetryWatch();
    void WatchWorks();
    void FilesSettled();
    void ShowFollowStep(FollowStep step);
    void ShowFollowPanel();
    // The race on the sheet was loaded, reloaded or computed anew.
    void RaceShown();
    QLineEdit* Cell(Column column, int row) const;
    void RunTestData(int number);
    // Every window the main window loads has its own Form_Unload.
    template <typename Window> void RegisterLoadedWindow(Window* window) {
        loadedWindows_.push_back({window, [window] { window->Form_Unload(); }});
    }

    SettingsStore& settings_;
    DesktopSeams seams_;
    QtMessageSink messages_;
    StandardRandomSource random_;
    SystemClock clock_;
    RaceSheet sheet_;
    Services services_;
    RaceFollow follow_;
    Twips twips_;
    WindowPlacement placement_;

    QLineEdit* txtKaisai_ = nullptr;
    QLineEdit* txtRaceName_ = nullptr;
    QComboBox* cmbHorseNum_ = nullptr;
    QPushButton* btnCalc_ = nullptr;
    QPushButton* cmdResult_ = nullptr;
    std::array<std::array<QLineEdit*, kColumnCount>, kMaxRunners> cells_{};
    std::array<QLabel*, kRankCount> lblRank_{};
    std::array<QListWidget*, kListCount> lists_{};
    QLabel* statusText_ = nullptr;
    QLabel* statusDate_ = nullptr;
    QLabel* statusTime_ = nullptr;
    QLabel* statusFollow_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    QAction* autoFollow_ = nullptr;
    FolderWatch* watch_ = nullptr;
    QTimer* watchRetry_ = nullptr;
    std::function<void()> onReloaded_;

    QPointer<frmSelectFile> browser_;
    QPointer<frmBacktest> backtest_;
    QPointer<frmOddsMovement> oddsMovement_;
    frmOddsMovement::HistorySource history_;
    struct LoadedWindow {
        QPointer<QWidget> window;
        std::function<void()> unload;
    };
    // Other windows in the order they were loaded; unloaded last-loaded first.
    std::vector<LoadedWindow> loadedWindows_;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
    bool refreshPending_ = false;
    bool unloaded_ = false;
};

// Family of the fixed-pitch list font: the Windows one when installed, else a
// CJK monospace family every Debian desktop has.
QString ListFontFamily();

} // namespace velmora
