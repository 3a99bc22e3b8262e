#pragma once

#include "history/history_store.h"
#include "movement/odds_movement.h"
#include "settings/settings_store.h"
#include "ui/owned_window.h"
#include "ui/twips.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <utility>

class QChartView;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QTableWidget;

namespace velmora {

class MovementRunnerModel;
class RaceSheet;

// The window "オッズ推移": how the odds of the race on the sheet moved over
// the versions the history holds, with the anomaly marks of the chosen
// version. A thin view of OddsMovement; owned by the main window, which asks
// it to show the race again whenever a race is loaded or reloaded. Closing
// only hides it.
class frmOddsMovement : public OwnedWindow {
    Q_OBJECT
public:
    // The history for one look, opened for reading only; null when there is
    // none to read.
    using HistorySource = std::function<HistoryStore*()>;

    frmOddsMovement(SettingsStore& settings, const RaceSheet& sheet, HistorySource history, QWidget* owner);
    ~frmOddsMovement() override;

    // Reads the sheet and the race's history again, keeping the chosen
    // runners and version where they still exist.
    void ShowRace();
    const OddsMovement* Movement() const { return movement_.get(); }
    QTableView* RunnerGrid() const { return grdRunners_; }
    QChartView* Chart() const { return chtSupport_; }
    QTableWidget* VersionList() const { return lstVersions_; }
    // Selects the runners of these horse numbers in the table.
    void SelectRunners(const std::set<int>& numbers);

public slots:
    void btnClose_Click() override;
    void Form_Unload();

private:
    void BuildControls();
    QWidget* BuildRunnerPanes();
    QWidget* BuildListPanes();
    void Form_Load();
    void VersionPicked();
    void ShowChosenVersion();
    void ShowVersions();
    void ShowOversoldPairs();
    void ShowRecommendedPairs();
    void ShowSummary();
    void ShowChart();
    std::set<int> SelectedRunners() const;
    std::optional<std::pair<std::int64_t, std::int64_t>> VersionToKeep() const;
    void ChooseKeptVersion(const std::pair<std::int64_t, std::int64_t>& kept);

    SettingsStore& settings_;
    const RaceSheet& sheet_;
    HistorySource history_;
    Twips twips_;
    std::unique_ptr<OddsMovement> movement_;

    QLabel* lblSummary_ = nullptr;
    QString historyProblem_; // the first line of why the history couldn't be read whole
    QTableView* grdRunners_ = nullptr;
    MovementRunnerModel* runners_ = nullptr;
    QSortFilterProxyModel* sortedRunners_ = nullptr;
    QChartView* chtSupport_ = nullptr;
    QTableWidget* lstVersions_ = nullptr;
    QTableWidget* grdOversold_ = nullptr;
    QTableWidget* grdPairs_ = nullptr;
    bool unloaded_ = false;
    WindowPlacement placement_;
};

} // namespace velmora
