#include "ui/frmBacktest.h"

#include "backtest/backtest.h"
#include "backtest/backtest_output.h"
#include "browser/file_list.h"
#include "common/save_target.h"
#include "settings/settings_ops.h"
#include "ui/backtest_models.h"
#include "ui/backtest_worker.h"
#include "ui/sheet_widgets.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <sstream>

namespace velmora {
namespace {

const char* const kSection = "BacktestWindow";
constexpr float kDefaultLeft = 1500.0f;
constexpr float kDefaultTop = 1000.0f;
constexpr double kDefaultWidth = 13800;
constexpr double kDefaultHeight = 10500;
// How often arriving races are taken into the table while a run goes on.
constexpr std::chrono::milliseconds kArrivalInterval{50};
constexpr Qt::Alignment kCaptionAlignment = Qt::AlignLeft | Qt::AlignVCenter;

const char* const kFolderMissingMessage = "フォルダが見つかりません。";
const char* const kFolderUnreadableMessage = "フォルダを読み込めません。";
const char* const kWriteFailedMessage = "ファイルの書き込みに失敗しました。";
const char* const kNotIntoPatFolderMessage = "PATフォルダには保存できません。";
const char* const kNotAPlainFileMessage =
    "普通のファイルではない (フォルダやハードリンクなど) ため、保存できません。";
const char* const kRunFailedMessage = "集計に失敗しました。";
const char* const kErrorCaption = "えらー";

QTableWidgetItem* Item(const QString& text, Qt::Alignment alignment = kCaptionAlignment) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    return item;
}

// Return rates in percent; no bar where nothing was staked.
double PercentOrZero(std::optional<double> ratio) {
    return ratio ? *ratio * 100.0 : 0.0;
}

// A bar chart of the quinella, wide and total return rates of each group.
QChart* ReturnRateChart(const QString& title, const std::map<std::string, Tally>& groups) {
    auto* chart = new QChart();
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* quinella = new QBarSet(QStringLiteral("馬連"));
    auto* wide = new QBarSet(QStringLiteral("ﾜｲﾄﾞ"));
    auto* total = new QBarSet(QStringLiteral("合計"));
    quinella->setColor(QColor(0x30, 0x70, 0xD0));
    wide->setColor(QColor(0x40, 0xA0, 0x50));
    total->setColor(QColor(0xE0, 0x80, 0x20));
    QStringList categories;
    double highest = 100.0;
    for (const auto& [group, tally] : groups) {
        categories.append(group.empty() ? QStringLiteral("(なし)") : QString::fromStdString(group));
        double values[] = {PercentOrZero(ReturnRate(tally.quinella)), PercentOrZero(ReturnRate(tally.wide)),
                           PercentOrZero(Ratio(tally.TotalReturn(), tally.TotalStake()))};
        quinella->append(values[0]);
        wide->append(values[1]);
        total->append(values[2]);
        highest = std::max({highest, values[0], values[1], values[2]});
    }
    auto* series = new QBarSeries();
    series->append(quinella);
    series->append(wide);
    series->append(total);
    chart->addSeries(series);
    auto* groupAxis = new QBarCategoryAxis();
    groupAxis->append(categories);
    chart->addAxis(groupAxis, Qt::AlignBottom);
    series->attachAxis(groupAxis);
    auto* rateAxis = new QValueAxis();
    // Whole steps of 50%, so that the 100% line is always a grid line.
    double top = std::ceil(highest / 50.0) * 50.0;
    rateAxis->setRange(0.0, top);
    rateAxis->setTickCount(static_cast<int>(top / 50.0) + 1);
    rateAxis->setLabelFormat(QStringLiteral("%.0f%%"));
    chart->addAxis(rateAxis, Qt::AlignLeft);
    series->attachAxis(rateAxis);
    return chart;
}

// What the status line says of a run; nothing before the first one.
std::optional<QString> StatusText(const BacktestRun& run) {
    switch (run.CurrentState()) {
    case BacktestRun::State::Idle:
        return std::nullopt;
    case BacktestRun::State::Running:
        return run.IsCounted() ? QStringLiteral("集計中... %1 / %2").arg(run.Done()).arg(run.Total())
                               : QStringLiteral("ﾌｧｲﾙを数えています...");
    case BacktestRun::State::Stopping:
        return QStringLiteral("中止しています...");
    case BacktestRun::State::Complete:
        return run.Done() == 0 ? QStringLiteral("単複ｵｯｽﾞﾌｧｲﾙがありません") : QStringLiteral("完了");
    case BacktestRun::State::Stopped:
        return QStringLiteral("中止しました");
    case BacktestRun::State::Failed:
        return QStringLiteral("ｴﾗｰで終了しました");
    }
    return std::nullopt;
}

QString DefaultSaveFolder() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return QDir::homePath();
}

} // namespace

frmBacktest::frmBacktest(SettingsStore& settings, MessageSink& messages, const DesktopSeams& seams,
                         LoadRace loadRace, QWidget* owner)
    // Kept above its owner by the window manager, like the file browser.
    : OwnedWindow(owner), settings_(settings), messages_(messages), seams_(seams),
      loadRace_(std::move(loadRace)), twips_(Twips::ForScreen()),
      placement_(settings, kSection, {kDefaultLeft, kDefaultTop}, ToolWindow::BesideOwnerKeepingSize) {
    setObjectName(QStringLiteral("frmBacktest"));
    setWindowTitle(QStringLiteral("成績集計"));
    BuildControls();
    Form_Load();
}

frmBacktest::~frmBacktest() {
    StopAndWait();
}

void frmBacktest::BuildControls() {
    resize(twips_.ToPixels(kDefaultWidth), twips_.ToPixels(kDefaultHeight));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildFolderRow());

    auto* progressRow = new QHBoxLayout();
    prgProgress_ = new QProgressBar(this);
    prgProgress_->setObjectName(QStringLiteral("prgProgress"));
    prgProgress_->setRange(0, 1);
    prgProgress_->setValue(0);
    // No count until there is a run to count.
    prgProgress_->setFormat(QString());
    progressRow->addWidget(prgProgress_, 1);
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setMinimumWidth(twips_.ToPixels(3000));
    progressRow->addWidget(lblStatus_);
    layout->addLayout(progressRow);

    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblSummary"));
    lblSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(lblSummary_);

    layout->addWidget(BuildResultPanes(), 1);
    layout->addWidget(BuildButtonRow());

    arrivalTimer_ = new QTimer(this);
    arrivalTimer_->setSingleShot(true);
    arrivalTimer_->setInterval(kArrivalInterval);
    connect(arrivalTimer_, &QTimer::timeout, this, &frmBacktest::ShowArrived);

    setTabOrder(txtFolder_, btnBrowse_);
    setTabOrder(btnBrowse_, btnRun_);
    setTabOrder(btnRun_, btnCancel_);
    setTabOrder(btnCancel_, grdRaces_);
    ShowState();
}

QWidget* frmBacktest::BuildFolderRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(QStringLiteral("PATﾌｫﾙﾀﾞ"), row);
    layout->addWidget(caption);
    txtFolder_ = new QLineEdit(row);
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    caption->setBuddy(txtFolder_);
    layout->addWidget(txtFolder_, 1);
    btnBrowse_ = CommandButton("btnBrowse", QStringLiteral("参照..."), row);
    connect(btnBrowse_, &QPushButton::clicked, this, &frmBacktest::btnBrowse_Click);
    layout->addWidget(btnBrowse_);
    btnRun_ = CommandButton("btnRun", QStringLiteral("集計"), row);
    connect(btnRun_, &QPushButton::clicked, this, &frmBacktest::btnRun_Click);
    layout->addWidget(btnRun_);
    btnCancel_ = CommandButton("btnCancel", QStringLiteral("中止"), row);
    connect(btnCancel_, &QPushButton::clicked, this, &frmBacktest::btnCancel_Click);
    layout->addWidget(btnCancel_);
    connect(txtFolder_, &QLineEdit::returnPressed, this, &frmBacktest::btnRun_Click);
    return row;
}

QWidget* frmBacktest::BuildResultPanes() {
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);

    races_ = new BacktestRaceModel(run_, this);
    sortedRaces_ = new QSortFilterProxyModel(this);
    sortedRaces_->setSourceModel(races_);
    sortedRaces_->setSortRole(BacktestRaceModel::kSortRole);
    grdRaces_ = new QTableView(splitter);
    grdRaces_->setObjectName(QStringLiteral("grdRaces"));
    grdRaces_->setModel(sortedRaces_);
    StyleGrid(grdRaces_);
    for (int column = 0; column < BacktestRaceModel::ColumnCount; ++column) {
        grdRaces_->setColumnWidth(column, twips_.ToPixels(BacktestRaceModel::ColumnWidth(column)));
    }
    grdRaces_->horizontalHeader()->setStretchLastSection(true);
    // Races come in the listing's order; a click on a caption sorts by that column.
    grdRaces_->horizontalHeader()->setSortIndicator(BacktestRaceModel::No, Qt::AscendingOrder);
    grdRaces_->setSortingEnabled(true);
    connect(grdRaces_, &QTableView::doubleClicked, this, &frmBacktest::grdRaces_DblClick);

    tabResults_ = new QTabWidget(splitter);
    tabResults_->setObjectName(QStringLiteral("tabResults"));

    grdFigures_ = new QTableWidget(0, static_cast<int>(FigureColumnCaptions().size()), tabResults_);
    grdFigures_->setObjectName(QStringLiteral("grdFigures"));
    StyleGrid(grdFigures_);
    grdFigures_->setHorizontalHeaderLabels(FigureColumnCaptions());
    grdFigures_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tabResults_->addTab(grdFigures_, QStringLiteral("集計"));

    auto* charts = new QWidget(tabResults_);
    charts->setObjectName(QStringLiteral("pnlCharts"));
    auto* chartLayout = new QHBoxLayout(charts);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chtWin1Grade_ = new QChartView(charts);
    chtWin1Grade_->setObjectName(QStringLiteral("chtWin1Grade"));
    chtCourse_ = new QChartView(charts);
    chtCourse_->setObjectName(QStringLiteral("chtCourse"));
    for (QChartView* view : {chtWin1Grade_, chtCourse_}) {
        view->setRenderHint(QPainter::Antialiasing);
        chartLayout->addWidget(view, 1);
    }
    tabResults_->addTab(charts, QStringLiteral("ｸﾞﾗﾌ"));

    grdSkipped_ = new QTableWidget(0, 2, tabResults_);
    grdSkipped_->setObjectName(QStringLiteral("grdSkipped"));
    StyleGrid(grdSkipped_);
    grdSkipped_->setHorizontalHeaderLabels({QStringLiteral("ﾌｧｲﾙ名"), QStringLiteral("理由")});
    grdSkipped_->setColumnWidth(0, twips_.ToPixels(1800));
    grdSkipped_->horizontalHeader()->setStretchLastSection(true);
    // File names A to Z until a caption is clicked.
    grdSkipped_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    grdSkipped_->setSortingEnabled(true);
    tabResults_->addTab(grdSkipped_, QString());

    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    ShowFigures();
    ShowCharts();
    ShowSkipped();
    return splitter;
}

QWidget* frmBacktest::BuildButtonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* hint = new QLabel(QStringLiteral("◎ 馬連的中  ○ ﾜｲﾄﾞ的中  ( ) 返還    ﾀﾞﾌﾞﾙｸﾘｯｸでﾚｰｽを表示"), row);
    hint->setObjectName(QStringLiteral("lblHint"));
    layout->addWidget(hint, 1);
    btnSave_ = CommandButton("btnSave", QStringLiteral("CSV保存"), row);
    connect(btnSave_, &QPushButton::clicked, this, &frmBacktest::btnSave_Click);
    layout->addWidget(btnSave_);
    auto* btnClose = CommandButton("btnClose", QStringLiteral("閉じる"), row);
    connect(btnClose, &QPushButton::clicked, this, &frmBacktest::btnClose_Click);
    layout->addWidget(btnClose);
    return row;
}

void frmBacktest::Form_Load() {
    placement_.Restore(*this, twips_);
    txtFolder_->setText(QString::fromStdString(GetPatFolder(settings_)));
}

void frmBacktest::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    StopAndWait();
    placement_.StoreOnce(*this, twips_);
}

// Esc closes the window as its close box does.
void frmBacktest::btnClose_Click() {
    btnCancel_Click();
    hide();
}

void frmBacktest::btnBrowse_Click() {
    ParentedDialog<QFileDialog> dialog(this, QStringLiteral("PATﾌｫﾙﾀﾞの選択"));
    dialog->setObjectName(QStringLiteral("dlgFolder"));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    QString current = txtFolder_->text().trimmed();
    dialog->setDirectory(QFileInfo(current).isDir() ? current
                                                    : QString::fromStdString(GetPatFolder(settings_)));
    std::optional<QString> chosen = Choose(dialog);
    if (chosen && !chosen->isEmpty()) {
        txtFolder_->setText(QDir::cleanPath(*chosen) + u'/');
    }
}

std::optional<QString> frmBacktest::Choose(ParentedDialog<QFileDialog>& dialog) {
    QString chosen = seams_.chooseFile(*dialog);
    // Should the program end while the dialog is open, this window is
    // unloaded and deleted from under it, dialog and all.
    if (dialog.Gone()) {
        return std::nullopt;
    }
    return chosen;
}

void frmBacktest::btnRun_Click() {
    if (run_.IsRunning()) {
        return;
    }
    QString folder = txtFolder_->text().trimmed();
    if (folder.isEmpty()) {
        folder = QString::fromStdString(GetPatFolder(settings_));
        txtFolder_->setText(folder);
    }
    switch (CheckBacktestFolder(folder.toStdString())) {
    case BacktestFolderState::Missing:
        messages_.ShowMessage(kFolderMissingMessage, kErrorCaption, MessageIcon::Critical);
        return;
    case BacktestFolderState::Unreadable:
        messages_.ShowMessage(kFolderUnreadableMessage, kErrorCaption, MessageIcon::Critical);
        return;
    case BacktestFolderState::Ready:
        break;
    }
    // The worker of the previous run has long finished: its thread was joined.
    worker_.reset();
    arrivalTimer_->stop();
    // The table lets go of the previous run's rows before they go.
    races_->Clear();
    run_.Start(folder.toStdString());
    prgProgress_->setRange(0, 0); // busy until the files are counted
    prgProgress_->setFormat(QStringLiteral("%v / %m"));
    ShowFigures();
    ShowCharts();
    ShowSkipped();
    lblSummary_->clear();

    // The thresholds are the user's as they stand now; the history is opened
    // by the worker, on its thread.
    BacktestOptions options = BacktestOptionsFrom(settings_);
    if (historyPath_) {
        options.historyPath = *historyPath_;
    }
    worker_ = std::make_unique<BacktestWorker>(run_.Folder(), std::move(options));
    // Queued: the worker emits on its own thread; the slots run here.
    connect(worker_.get(), &BacktestWorker::Counted, this, &frmBacktest::OnCounted, Qt::QueuedConnection);
    connect(worker_.get(), &BacktestWorker::RaceDone, this, &frmBacktest::OnRaceDone, Qt::QueuedConnection);
    connect(worker_.get(), &BacktestWorker::RaceSkipped, this, &frmBacktest::OnRaceSkipped,
            Qt::QueuedConnection);
    connect(worker_.get(), &BacktestWorker::HistoryProblem, this, &frmBacktest::OnHistoryProblem,
            Qt::QueuedConnection);
    connect(worker_.get(), &BacktestWorker::Finished, this, &frmBacktest::OnFinished, Qt::QueuedConnection);
    BacktestWorker* worker = worker_.get();
    thread_.reset(QThread::create([worker] { worker->Run(); }));
    thread_->setObjectName(QStringLiteral("BacktestThread"));
    ShowState();
    thread_->start();
}

void frmBacktest::btnCancel_Click() {
    if (run_.RequestStop()) {
        worker_->Cancel();
        ShowState();
    }
}

void frmBacktest::StopAndWait() {
    if (thread_ == nullptr) {
        return;
    }
    worker_->Cancel();
    thread_->wait();
    thread_.reset();
}

void frmBacktest::OnCounted(int total) {
    run_.SetTotal(total);
    ShowProgress();
}

// Races that are quick to test arrive in floods, which the event loop
// delivers in one go: each race is only counted here, and the table and the
// progress take them in at the next tick.
void frmBacktest::OnRaceDone(const BacktestRace& race) {
    run_.OnRace(race);
    ScheduleShowArrived();
}

void frmBacktest::OnRaceSkipped(const SkippedRace& skipped) {
    run_.OnSkipped(skipped);
    ScheduleShowArrived();
}

void frmBacktest::OnHistoryProblem(const QString& problem) {
    run_.OnHistoryProblem(problem.toStdString());
}

void frmBacktest::ScheduleShowArrived() {
    if (!arrivalTimer_->isActive()) {
        arrivalTimer_->start();
    }
}

void frmBacktest::ShowArrived() {
    arrivalTimer_->stop();
    races_->ShowArrived();
    ShowProgress();
    ShowState();
}

void frmBacktest::ShowProgress() {
    // Until the files are counted the bar only shows that something goes on.
    if (run_.IsCounted()) {
        prgProgress_->setRange(0, run_.Total());
        prgProgress_->setValue(run_.Done());
    }
}

void frmBacktest::OnFinished(bool cancelled, const QString& failure) {
    if (thread_ != nullptr) {
        thread_->wait();
        thread_.reset();
    }
    if (failure.isEmpty()) {
        run_.Finish(cancelled ? BacktestEnd::Stopped : BacktestEnd::Complete);
    } else {
        run_.Fail(failure.toStdString());
    }
    ShowArrived();
    bool complete = run_.CurrentState() == BacktestRun::State::Complete;
    prgProgress_->setRange(0, std::max(1, run_.Total()));
    prgProgress_->setValue(complete ? prgProgress_->maximum() : run_.Done());
    ShowFigures();
    ShowCharts();
    ShowSkipped();
    ShowSummary();
    if (!failure.isEmpty()) {
        messages_.ShowMessage(std::string(kRunFailedMessage) + "\n" + failure.toStdString(), kErrorCaption,
                              MessageIcon::Critical);
    }
    emit RunFinished();
}

void frmBacktest::ShowState() {
    bool running = run_.IsRunning();
    txtFolder_->setEnabled(!running);
    btnBrowse_->setEnabled(!running);
    btnRun_->setEnabled(!running);
    btnCancel_->setEnabled(run_.CurrentState() == BacktestRun::State::Running);
    btnSave_->setEnabled(run_.CanSave());
    std::optional<QString> status = StatusText(run_);
    if (status) {
        lblStatus_->setText(*status);
    }
}

void frmBacktest::ShowFigures() {
    grdFigures_->setUpdatesEnabled(false);
    grdFigures_->clearContents();
    std::vector<FigureRow> rows = FigureRows(run_.RunFigures());
    grdFigures_->setRowCount(static_cast<int>(rows.size()));
    QString previous;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FigureRow& row = rows[i];
        int r = static_cast<int>(i);
        // The breakdown's name heads its first line only.
        grdFigures_->setItem(r, 0, Item(row.breakdown == previous ? QString() : row.breakdown));
        grdFigures_->setItem(r, 1, Item(row.group));
        QStringList cells = FigureCells(row.tally);
        for (int c = 0; c < cells.size(); ++c) {
            grdFigures_->setItem(r, c + 2, Item(cells[c], Qt::AlignRight | Qt::AlignVCenter));
        }
        previous = row.breakdown;
    }
    grdFigures_->setUpdatesEnabled(true);
}

void frmBacktest::ShowCharts() {
    const Figures& figures = run_.RunFigures();
    ReplaceChart(chtWin1Grade_, ReturnRateChart(QStringLiteral("単1信頼度別 回収率"), figures.byWin1Grade));
    ReplaceChart(chtCourse_, ReturnRateChart(QStringLiteral("場名別 回収率"), figures.byCourse));
}

void frmBacktest::ShowSkipped() {
    const std::vector<SkippedRace>& skipped = run_.Skipped();
    grdSkipped_->setSortingEnabled(false);
    grdSkipped_->clearContents();
    grdSkipped_->setRowCount(static_cast<int>(skipped.size()));
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        int r = static_cast<int>(i);
        grdSkipped_->setItem(r, 0, Item(QString::fromStdString(skipped[i].fileName)));
        QString reason = SkipReasonCaption(skipped[i].reason);
        if (!skipped[i].detail.empty()) {
            reason += QStringLiteral(": ") + QString::fromStdString(skipped[i].detail);
        }
        grdSkipped_->setItem(r, 1, Item(reason));
    }
    grdSkipped_->setSortingEnabled(true);
    tabResults_->setTabText(2, QStringLiteral("除外 (%1)").arg(skipped.size()));
}

void frmBacktest::ShowSummary() {
    const Figures& figures = run_.RunFigures();
    const Tally& all = figures.all;
    QString summary = QStringLiteral("%1ﾚｰｽ (除外 %2)   投資 %3円   払戻 %4円   回収率 %5 (馬連 %6  ﾜｲﾄﾞ %7)")
                          .arg(all.races)
                          .arg(figures.SkippedTotal())
                          .arg(YenText(all.TotalStake()), YenText(all.TotalReturn()),
                               PercentText(Ratio(all.TotalReturn(), all.TotalStake())),
                               PercentText(ReturnRate(all.quinella)), PercentText(ReturnRate(all.wide)));
    // The run went on without the history: its races all count as 履歴なし.
    if (!run_.HistoryProblem().empty()) {
        summary += u'\n' + QString::fromStdString(run_.HistoryProblem()).section(u'\n', 0, 0);
        lblSummary_->setToolTip(QString::fromStdString(run_.HistoryProblem()));
    } else {
        lblSummary_->setToolTip(QString());
    }
    lblSummary_->setText(summary);
}

void frmBacktest::grdRaces_DblClick(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    int row = sortedRaces_->mapToSource(index).row();
    if (row < 0 || row >= static_cast<int>(Races().size())) {
        return;
    }
    loadRace_(JoinFolder(run_.Folder(), Races()[static_cast<std::size_t>(row)].fileName));
}

void frmBacktest::btnSave_Click() {
    if (!run_.CanSave()) {
        return;
    }
    ParentedDialog<QFileDialog> dialog(this, QStringLiteral("CSV保存"));
    dialog->setObjectName(QStringLiteral("dlgSave"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("CSVﾌｧｲﾙ (*.csv)"));
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    // Never the PAT folder: the PAT software owns it.
    dialog->setDirectory(DefaultSaveFolder());
    dialog->selectFile(QStringLiteral("backtest.csv"));
    std::optional<QString> chosen = Choose(dialog);
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    // The file really written, through every link: never one of the PAT software's.
    SaveTarget target = ResolveSaveTarget(chosen->toStdString(), {run_.Folder(), GetPatFolder(settings_)});
    switch (target.verdict) {
    case SaveTargetVerdict::InsideProtectedFolder:
        messages_.ShowMessage(kNotIntoPatFolderMessage, kAppTitle, MessageIcon::None);
        return;
    case SaveTargetVerdict::NotAPlainFile:
        messages_.ShowMessage(kNotAPlainFileMessage, kErrorCaption, MessageIcon::Critical);
        return;
    case SaveTargetVerdict::Unresolvable:
        messages_.ShowMessage(kWriteFailedMessage, kErrorCaption, MessageIcon::Critical);
        return;
    case SaveTargetVerdict::Allowed:
        break;
    }
    WriteCsv(QString::fromStdString(target.path));
}

void frmBacktest::WriteCsv(const QString& path) {
    std::ostringstream text;
    CsvBacktestWriter writer(text, ByteOrderMark::With);
    for (const BacktestRace& race : Races()) {
        writer.OnRace(race);
    }
    const std::string bytes = text.str();
    // Written whole or not at all: an earlier file of that name survives a failure.
    QSaveFile file(path);
    bool written =
        file.open(QIODevice::WriteOnly) &&
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
        file.commit();
    if (!written) {
        messages_.ShowMessage(kWriteFailedMessage, kErrorCaption, MessageIcon::Critical);
        return;
    }
    lblStatus_->setText(QStringLiteral("保存しました: ") + QFileInfo(path).fileName());
}

} // namespace velmora
