#include "ui/frmOddsMovement.h"

#include "settings/settings_ops.h"
#include "sheet/race_sheet.h"
#include "ui/odds_movement_models.h"
#include "ui/sheet_widgets.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace velmora {
namespace {

const char* const kSection = "OddsMovementWindow";
constexpr float kDefaultLeft = 1200.0f;
constexpr float kDefaultTop = 900.0f;
// Small enough to sit beside or below the main window on a 1280x1024 screen.
constexpr double kDefaultWidth = 12300;
constexpr double kDefaultHeight = 5700;
constexpr Qt::Alignment kCaptionAlignment = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kNumberAlignment = Qt::AlignRight | Qt::AlignVCenter;

// A cell that sorts by its number rather than by its text.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double key) : QTableWidgetItem(text) {
        setData(Qt::UserRole, key);
        setTextAlignment(kNumberAlignment);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QTableWidgetItem* TextItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(kCaptionAlignment);
    return item;
}

QTableWidget* ListGrid(const char* name, const QStringList& captions, QWidget* parent) {
    auto* grid = new QTableWidget(0, static_cast<int>(captions.size()), parent);
    grid->setObjectName(QString::fromUtf8(name));
    StyleGrid(grid);
    grid->setHorizontalHeaderLabels(captions);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

// A pane with its caption above it.
QWidget* Captioned(const QString& caption, QWidget* content, QWidget* parent) {
    auto* pane = new QWidget(parent);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption, pane);
    label->setBuddy(content);
    layout->addWidget(label);
    content->setParent(pane);
    layout->addWidget(content, 1);
    return pane;
}

QString PairText(int a, int b) {
    return QStringLiteral("%1-%2").arg(a, 2).arg(b, 2);
}

// Named by horse number alone: names would be cut short in the legend.
QLineSeries* SupportLine(const SupportSeries& series, const QString& title) {
    auto* line = new QLineSeries();
    line->setName(title);
    for (const SupportPoint& point : series.points) {
        line->append(static_cast<double>(point.modifiedMs), point.support * 100.0);
    }
    return line;
}

// Win support in percent against file time, one line per runner.
QChart* SupportChart(const OddsMovement* movement, const std::set<int>& numbers) {
    auto* chart = new QChart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setTitle(QStringLiteral("単勝支持率の推移"));
    if (movement == nullptr || movement->Series().empty()) {
        chart->setTitle(QStringLiteral("単勝支持率の推移 (履歴が2版以上あると表示します)"));
        return chart;
    }
    auto* timeAxis = new QDateTimeAxis();
    timeAxis->setFormat(QStringLiteral("HH:mm"));
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(movement->Versions().front().modifiedMs),
                       QDateTime::fromMSecsSinceEpoch(movement->Versions().back().modifiedMs));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    auto* supportAxis = new QValueAxis();
    supportAxis->setLabelFormat(QStringLiteral("%.0f%%"));
    chart->addAxis(supportAxis, Qt::AlignLeft);
    double highest = 10.0;
    for (const SupportSeries& series : movement->Series()) {
        if (numbers.count(series.no) == 0) {
            continue;
        }
        QLineSeries* line = SupportLine(series, QStringLiteral("%1番").arg(series.no));
        chart->addSeries(line);
        line->attachAxis(timeAxis);
        line->attachAxis(supportAxis);
        for (const SupportPoint& point : series.points) {
            highest = std::max(highest, point.support * 100.0);
        }
    }
    supportAxis->setRange(0.0, std::ceil(highest / 10.0) * 10.0);
    return chart;
}

} // namespace

frmOddsMovement::frmOddsMovement(SettingsStore& settings, const RaceSheet& sheet, HistorySource history,
                                 QWidget* owner)
    // A dialog-type window, like the browser and 成績集計: the window manager
    // then knows the main window owns it and keeps it above it.
    : OwnedWindow(owner), settings_(settings), sheet_(sheet), history_(std::move(history)),
      twips_(Twips::ForScreen()),
      placement_(settings, kSection, {kDefaultLeft, kDefaultTop}, ToolWindow::BesideOwnerKeepingSize) {
    setObjectName(QStringLiteral("frmOddsMovement"));
    setWindowTitle(QStringLiteral("オッズ推移"));
    BuildControls();
    Form_Load();
}

frmOddsMovement::~frmOddsMovement() {
    // The table lets go of the model before it goes.
    runners_->Show(nullptr);
}

void frmOddsMovement::BuildControls() {
    resize(twips_.ToPixels(kDefaultWidth), twips_.ToPixels(kDefaultHeight));
    auto* layout = new QVBoxLayout(this);
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblSummary_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(BuildRunnerPanes());
    splitter->addWidget(BuildListPanes());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    // The table starts tall enough for a full field without scrolling when the
    // window is tall enough; the lists below keep at least their captions.
    const int rowHeight = grdRunners_->verticalHeader()->defaultSectionSize();
    const int tableHeight = std::min(rowHeight * (kMaxRunners + 3), height() * 3 / 5);
    splitter->setSizes({tableHeight, std::max(rowHeight, height() - tableHeight)});
    layout->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout();
    auto* hint =
        new QLabel(QStringLiteral("行を選ぶと単勝支持率の推移をｸﾞﾗﾌに表示 (Ctrl, Shiftで複数)"), this);
    hint->setObjectName(QStringLiteral("lblHint"));
    buttons->addWidget(hint, 1);
    auto* btnClose = CommandButton("btnClose", QStringLiteral("閉じる"), this);
    connect(btnClose, &QPushButton::clicked, this, &frmOddsMovement::btnClose_Click);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
}

QWidget* frmOddsMovement::BuildRunnerPanes() {
    runners_ = new MovementRunnerModel(this);
    sortedRunners_ = new QSortFilterProxyModel(this);
    sortedRunners_->setSourceModel(runners_);
    sortedRunners_->setSortRole(MovementRunnerModel::kSortRole);
    grdRunners_ = new QTableView(this);
    grdRunners_->setObjectName(QStringLiteral("grdRunners"));
    grdRunners_->setModel(sortedRunners_);
    StyleGrid(grdRunners_);
    grdRunners_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdRunners_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdRunners_->horizontalHeader()->setSortIndicator(MovementRunnerModel::No, Qt::AscendingOrder);
    grdRunners_->setSortingEnabled(true);
    connect(grdRunners_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmOddsMovement::ShowChart);
    return grdRunners_;
}

// The chart beside the versions, the oversold pairs and the recommended pairs.
QWidget* frmOddsMovement::BuildListPanes() {
    auto* panes = new QWidget(this);
    auto* layout = new QHBoxLayout(panes);
    layout->setContentsMargins(0, 0, 0, 0);
    chtSupport_ = new QChartView(panes);
    chtSupport_->setObjectName(QStringLiteral("chtSupport"));
    chtSupport_->setRenderHint(QPainter::Antialiasing);
    chtSupport_->setMinimumWidth(twips_.ToPixels(4500));
    lstVersions_ = ListGrid("lstVersions",
                            {QStringLiteral("版"), QStringLiteral("取得時刻"), QStringLiteral("ﾌｧｲﾙ時刻"),
                             QStringLiteral("ﾌｧｲﾙ名")},
                            panes);
    connect(lstVersions_, &QTableWidget::itemSelectionChanged, this, &frmOddsMovement::VersionPicked);
    grdOversold_ = ListGrid("grdOversold",
                            {QStringLiteral("馬連"), QStringLiteral("ｵｯｽﾞ"), QStringLiteral("比率")}, panes);
    // A header sorts descending until told otherwise; pairs read best from 1-2 on.
    grdOversold_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    grdOversold_->setSortingEnabled(true);
    grdPairs_ = ListGrid("grdPairs", {QStringLiteral("推奨買い目"), QStringLiteral("印")}, panes);
    auto* marks = new QWidget(panes);
    auto* marksLayout = new QVBoxLayout(marks);
    marksLayout->setContentsMargins(0, 0, 0, 0);
    marksLayout->addWidget(Captioned(QStringLiteral("馬連の売れすぎ"), grdOversold_, marks), 1);
    marksLayout->addWidget(Captioned(QStringLiteral("推奨買い目の印"), grdPairs_, marks), 1);
    layout->addWidget(chtSupport_, 5);
    layout->addWidget(Captioned(QStringLiteral("版 (選ぶと第1版と比べて表示)"), lstVersions_, panes), 5);
    layout->addWidget(marks, 3);
    return panes;
}

void frmOddsMovement::Form_Load() {
    placement_.Restore(*this, twips_);
    ShowRace();
}

void frmOddsMovement::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    placement_.StoreOnce(*this, twips_);
}

// Esc closes the window as its close box does.
void frmOddsMovement::btnClose_Click() {
    hide();
}

void frmOddsMovement::ShowRace() {
    const std::set<int> selected = SelectedRunners();
    const auto keep = VersionToKeep();
    const MovementThresholds thresholds{GetMoveFactor(settings_),
                                        {GetRankGap(settings_), GetQuinellaRatio(settings_)}};
    HistoryStore* store = history_ ? history_() : nullptr;
    auto movement = std::make_unique<OddsMovement>(
        HeldVersionsOf(store, sheet_.sOddsFileName),
        std::filesystem::path(sheet_.sOddsFileName).filename().string(), sheet_, thresholds);
    // A history that can't be read is said here, not shown as none.
    const std::optional<std::string> problem = store != nullptr ? store->TakeProblem() : std::nullopt;
    historyProblem_ = problem ? QString::fromStdString(*problem).section(u'\n', 0, 0) : QString();
    runners_->Show(nullptr);
    movement_ = std::move(movement);
    if (keep) {
        ChooseKeptVersion(*keep);
    }
    ShowVersions();
    ShowChosenVersion();
    SelectRunners(selected);
    ShowChart();
}

// The version the user picked, by its times, while it is not the last: a
// choice of the last version follows the race to its newest one.
std::optional<std::pair<std::int64_t, std::int64_t>> frmOddsMovement::VersionToKeep() const {
    if (movement_ == nullptr || movement_->ChosenVersion() < 0 ||
        movement_->ChosenVersion() + 1 == static_cast<int>(movement_->Versions().size())) {
        return std::nullopt;
    }
    const MovementVersion& chosen =
        movement_->Versions()[static_cast<std::size_t>(movement_->ChosenVersion())];
    return std::make_pair(chosen.modifiedMs, chosen.seenMs);
}

void frmOddsMovement::ChooseKeptVersion(const std::pair<std::int64_t, std::int64_t>& kept) {
    const std::vector<MovementVersion>& versions = movement_->Versions();
    for (std::size_t i = 0; i < versions.size(); ++i) {
        if (versions[i].modifiedMs == kept.first && versions[i].seenMs == kept.second) {
            movement_->ChooseVersion(static_cast<int>(i));
            return;
        }
    }
}

void frmOddsMovement::VersionPicked() {
    const QList<QTableWidgetItem*> picked = lstVersions_->selectedItems();
    if (movement_ == nullptr || picked.isEmpty()) {
        return;
    }
    const std::set<int> selected = SelectedRunners();
    movement_->ChooseVersion(picked.front()->row());
    ShowChosenVersion();
    SelectRunners(selected);
}

void frmOddsMovement::ShowChosenVersion() {
    runners_->Show(movement_.get());
    ShowOversoldPairs();
    ShowRecommendedPairs();
    ShowSummary();
}

void frmOddsMovement::ShowVersions() {
    QSignalBlocker blocker(lstVersions_);
    const std::vector<MovementVersion>& versions = movement_->Versions();
    lstVersions_->clearContents();
    lstVersions_->setRowCount(static_cast<int>(versions.size()));
    for (std::size_t i = 0; i < versions.size(); ++i) {
        const int row = static_cast<int>(i);
        const MovementVersion& version = versions[i];
        lstVersions_->setItem(row, 0, new NumberItem(QString::number(row + 1), row + 1));
        lstVersions_->setItem(row, 1, TextItem(MovementTimeText(version.seenMs)));
        lstVersions_->setItem(row, 2, TextItem(MovementTimeText(version.modifiedMs)));
        lstVersions_->setItem(row, 3,
                              TextItem(version.fileName.empty() ? QStringLiteral("(画面のｵｯｽﾞ)")
                                                                : QString::fromStdString(version.fileName)));
    }
    if (movement_->ChosenVersion() >= 0) {
        lstVersions_->selectRow(movement_->ChosenVersion());
        lstVersions_->scrollToItem(lstVersions_->item(movement_->ChosenVersion(), 0));
    }
}

void frmOddsMovement::ShowOversoldPairs() {
    const std::vector<PairShare>& pairs = movement_->OversoldPairs();
    grdOversold_->setSortingEnabled(false);
    grdOversold_->clearContents();
    grdOversold_->setRowCount(static_cast<int>(pairs.size()));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const int row = static_cast<int>(i);
        const PairShare& pair = pairs[i];
        grdOversold_->setItem(row, 0, new NumberItem(PairText(pair.a, pair.b), pair.a * 100 + pair.b));
        grdOversold_->setItem(row, 1, new NumberItem(MovementOddsText(pair.odds), pair.odds));
        grdOversold_->setItem(row, 2, new NumberItem(QString::number(pair.ratio, 'f', 2), pair.ratio));
    }
    grdOversold_->setSortingEnabled(true);
}

void frmOddsMovement::ShowRecommendedPairs() {
    const std::vector<RecommendedPair>& pairs = movement_->RecommendedPairs();
    grdPairs_->clearContents();
    grdPairs_->setRowCount(static_cast<int>(pairs.size()));
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        const int row = static_cast<int>(i);
        grdPairs_->setItem(row, 0, TextItem(QString::fromStdString(pairs[i].text)));
        grdPairs_->setItem(row, 1, TextItem(QString::fromStdString(pairs[i].mark)));
    }
}

void frmOddsMovement::ShowSummary() {
    const QString race = QString::fromStdString(sheet_.Kaisai()).trimmed() + u' ' +
                         QString::fromStdString(sheet_.RaceName()).trimmed();
    const MovementThresholds& thresholds = movement_->Thresholds();
    QString history;
    if (movement_->Versions().empty()) {
        history = QStringLiteral("買い目算出されたﾚｰｽがありません");
    } else if (!movement_->HasHistory()) {
        history = QStringLiteral("履歴なし (画面のｵｯｽﾞのみ)");
    } else {
        history = QStringLiteral("履歴 %1版  第%2版を第1版と比較")
                      .arg(movement_->Versions().size())
                      .arg(movement_->ChosenVersion() + 1);
    }
    if (!historyProblem_.isEmpty()) {
        history += QStringLiteral(" (%1)").arg(historyProblem_);
    }
    lblSummary_->setText(QStringLiteral("%1    %2    ↑↓ 支持率%3倍  人気のずれ %4以上  売れすぎ %5倍以上")
                             .arg(race.trimmed(), history)
                             .arg(thresholds.moveFactor, 0, 'f', 2)
                             .arg(thresholds.anomalies.rankGap)
                             .arg(thresholds.anomalies.quinellaRatio, 0, 'f', 2));
}

std::set<int> frmOddsMovement::SelectedRunners() const {
    std::set<int> numbers;
    for (const QModelIndex& index : grdRunners_->selectionModel()->selectedRows()) {
        numbers.insert(runners_->RunnerNo(sortedRunners_->mapToSource(index).row()));
    }
    return numbers;
}

void frmOddsMovement::SelectRunners(const std::set<int>& numbers) {
    QItemSelection selection;
    for (int row = 0; row < runners_->rowCount(); ++row) {
        if (numbers.count(runners_->RunnerNo(row)) != 0) {
            const QModelIndex index = sortedRunners_->mapFromSource(runners_->index(row, 0));
            selection.select(index, index);
        }
    }
    grdRunners_->selectionModel()->select(selection,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void frmOddsMovement::ShowChart() {
    ReplaceChart(chtSupport_, SupportChart(movement_.get(), SelectedRunners()));
}

} // namespace velmora
