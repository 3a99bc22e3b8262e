#include "ui/frmMain.h"

#include "race/race_loader.h"
#include "results/result_display.h"
#include "settings/settings_ops.h"
#include "settings/window_position.h"
#include "shell/sample_races.h"
#include "ui/file_filter.h"
#include "ui/frmAbout.h"
#include "ui/frmBacktest.h"
#include "ui/frmOption.h"
#include "ui/parented_dialog.h"
#include "ui/sheet_widgets.h"
#include "ui/toolbar_icons.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

namespace velmora {
namespace {

const char* const kSection = "MainWindow";
constexpr float kDefaultPosition = 1000.0f;

// Client area and the docked bars around the sheet, in twips.
constexpr double kClientWidth = 12315;
constexpr double kClientHeight = 6540;
constexpr double kToolbarHeight = 420;
constexpr double kStatusBarHeight = 270;
constexpr double kClockPanelWidth = 2540;

// Runner rows.
constexpr double kFirstRowTop = 1800;
constexpr double kRowPitch = 240;
constexpr double kRowHeight = 270;
constexpr double kHeaderTop = 1440;
constexpr double kHeaderHeight = 345;

struct ColumnLayout {
    Column column;
    const char* name;
    double left;
    double width;
};

constexpr std::array<ColumnLayout, kColumnCount> kColumns = {{
    {Column::HorseName, "txtHorseName", 660, 1755},
    {Column::TanOdds, "txtTanOdds", 2460, 735},
    {Column::TanPopular, "txtTanPopular", 3240, 495},
    {Column::TanRatio, "txtTanRatio", 3780, 735},
    {Column::FukuOddsMin, "txtFukuOddsMin", 4680, 735},
    {Column::FukuOddsMax, "txtFukuOddsMax", 5400, 735},
    {Column::FukuOdds, "txtFukuOdds", 6180, 735},
    {Column::FukuPopular, "txtFukuPopular", 6960, 495},
    {Column::FukuRatio, "txtFukuRatio", 7500, 735},
}};

struct HeaderLayout {
    const char* caption;
    double left;
    double width;
};

constexpr std::array<HeaderLayout, 8> kColumnHeaders = {{
    {"馬番", 120, 495},
    {"馬名", 660, 1755},
    {"単ｵｯｽﾞ", 2460, 735},
    {"人気", 3240, 495},
    {"支持率", 3780, 735},
    {"複ｵｯｽﾞMin～Max    平均", 4680, 6915 - 4680},
    {"人気", 6960, 495},
    {"支持率", 7500, 735},
}};

struct ListLayout {
    SheetList list;
    const char* name;
    const char* caption; // header above the list; none for the race result
    double left;
    double top;
    double width;
    double height;
    double pointSize;
};

constexpr std::array<ListLayout, kListCount> kLists = {{
    {SheetList::Result, "lstResult", "推奨買い目", 8400, 1800, 1155, 2400, 9.75},
    {SheetList::ResultUmaOdds, "lstResultUmaOdds", "馬連ｵｯｽﾞ", 9600, 1800, 855, 2400, 9.75},
    {SheetList::ResultWideOdds, "lstResultWideOdds", "ﾜｲﾄﾞｵｯｽﾞMin～Max", 10500, 1800, 1695, 2400, 9.75},
    {SheetList::RaceResult, "lstRaceResult", nullptr, 9000, 4380, 3195, 1680, 9.0},
}};

struct RankLayout {
    const char* caption;
    double captionLeft;
    double labelLeft;
    double top;
};

constexpr std::array<RankLayout, kRankCount> kRanks = {{
    {"単１信頼度", 8280, 9360, 600},
    {"単２信頼度", 8280, 9360, 960},
    {"複１信頼度", 10080, 11160, 600},
    {"複２信頼度", 10080, 11160, 960},
}};

bool IsPopularColumn(Column column) {
    return column == Column::TanPopular || column == Column::FukuPopular;
}

bool IsComputedColumn(Column column) {
    return column != Column::HorseName && !IsOddsColumn(column);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* BorderedLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

void ShowText(QLineEdit* edit, const std::string& text) {
    QString wanted = Q(text);
    // Leaving an unchanged text alone keeps the cursor of the field being edited.
    if (edit->text() != wanted) {
        edit->setText(wanted);
        edit->setCursorPosition(0);
    }
}

// The sheet narrows full-width digits one character for one, so the field
// being typed into takes the narrowed text with its cursor where it was.
void ShowNarrowed(QLineEdit* edit, const QString& narrowed) {
    if (edit->text() != narrowed) {
        int cursor = edit->cursorPosition();
        edit->setText(narrowed);
        edit->setCursorPosition(cursor);
    }
}

// An odds field the computation refused stands out until it is typed over.
void ShowMark(QLineEdit* edit, bool marked) {
    if (marked == edit->property("refused").toBool()) {
        return;
    }
    edit->setProperty("refused", marked);
    if (!marked) {
        edit->setPalette(QPalette()); // back to the window's own colours
        return;
    }
    QPalette palette = edit->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, QColor(255, 200, 200));
        palette.setColor(group, QPalette::Text, Qt::black);
    }
    edit->setPalette(palette);
}

// Status panels take the height of their tallest text, Japanese remarks
// included, whose fallback font is taller than the Latin one; fixed, so the
// window keeps one height whatever the status text.
void FitPanelHeights(std::initializer_list<QLabel*> panels) {
    int panelHeight = 0;
    for (QLabel* panel : panels) {
        QString text = panel->text();
        panel->setText(QStringLiteral("Ready 準備完了 ｶﾞｼﾞｪｯﾄ gjpqy"));
        panelHeight = std::max(panelHeight, panel->sizeHint().height());
        panel->setText(text);
    }
    for (QLabel* panel : panels) {
        panel->setFixedHeight(panelHeight);
    }
}

void ShowColors(QLineEdit* edit, CellColors colors) {
    QColor background = ColorFromPacked(colors.background);
    QColor foreground = ColorFromPacked(colors.foreground);
    QPalette palette = edit->palette();
    if (palette.color(QPalette::Base) == background && palette.color(QPalette::Text) == foreground) {
        return;
    }
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::Text, foreground);
    }
    edit->setPalette(palette);
}

void ShowItems(QListWidget* list, const std::vector<std::string>& items) {
    bool same = list->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < list->count(); ++i) {
        same = list->item(i)->text() == Q(items[static_cast<std::size_t>(i)]);
    }
    if (same) {
        return;
    }
    list->clear();
    for (const std::string& item : items) {
        list->addItem(Q(item));
    }
}

// Qt's own open dialog is laid out for English texts: in Japanese the size and
// type columns and the places list are cut. Those columns fit their contents,
// the names take the rest, and the places list is as wide as its entries.
void MakeReadable(QFileDialog& dialog, const Twips& twips) {
    if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column) {
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        }
    }
    if (auto* places = dialog.findChild<QListView*>(QStringLiteral("sidebar"))) {
        places->setMinimumWidth(places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                                twips.ToPixels(120));
    }
    dialog.resize(dialog.size().expandedTo(QSize(twips.ToPixels(12000), twips.ToPixels(7200))));
}

} // namespace

QString ListFontFamily() {
    const QString windowsFont = QStringLiteral("ＭＳ ゴシック");
    if (QFontDatabase::families().contains(windowsFont)) {
        return windowsFont;
    }
    return QStringLiteral("Noto Sans Mono CJK JP");
}

frmMain::frmMain(SettingsStore& settings, const RemarkList& remarks, OddsRecorder& recorder, QWidget* parent)
    : QMainWindow(parent), settings_(settings), seams_(DesktopSeams::Interactive()), messages_(seams_, this),
      sheet_(settings), services_{settings, messages_, random_, clock_, remarks},
      follow_(sheet_, services_, recorder, clock_), twips_(Twips::ForScreen()),
      placement_(settings, kSection, {kDefaultPosition, kDefaultPosition}) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(ProgramIcon());

    watch_ = new FolderWatch(this);
    connect(watch_, &FolderWatch::Settled, this, &frmMain::FilesSettled);
    connect(watch_, &FolderWatch::Stalled, this, &frmMain::WatchStalled);
    watchRetry_ = new QTimer(this);
    watchRetry_->setSingleShot(true);
    connect(watchRetry_, &QTimer::timeout, this, &frmMain::RetryWatch);
    BuildMenus();
    BuildToolbar();
    auto* sheet = new QWidget(this);
    sheet->setObjectName(QStringLiteral("RaceSheet"));
    sheet->setFixedSize(twips_.ToPixels(kClientWidth),
                        twips_.ToPixels(kClientHeight - kToolbarHeight - kStatusBarHeight));
    BuildSheet(sheet);
    setCentralWidget(sheet);
    BuildStatusBar();
    SetFocusOrder();
    // A fixed single border: the window takes the size of its parts and keeps it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    sheet_.SetChangeListener([this] { ScheduleRefresh(); });
    Form_Load();
}

frmMain::~frmMain() {
    sheet_.SetChangeListener({});
}

void frmMain::BuildMenus() {
    auto addMenu = [this](const char* name, const char* caption) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromUtf8(name));
        return menu;
    };
    auto addItem = [this](QMenu* menu, const char* name, const char* caption, void (frmMain::*handler)()) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromUtf8(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = addMenu("mnuFile", "ﾌｧｲﾙ(&F)");
    addItem(file, "mnuFileNew", "新規(&N)", &frmMain::mnuFileNew_Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(file, "mnuFileOpen", "PATﾃﾞｰﾀを開く(&O)", &frmMain::mnuFileOpen_Click);
    addItem(file, "mnuFileList", "PATﾃﾞｰﾀ一覧(&L)", &frmMain::mnuFileList_Click);
    addItem(file, "mnuFileBacktest", "成績集計(&R)...", &frmMain::mnuFileBacktest_Click);
    addItem(file, "mnuFileOddsMovement", "オッズ推移(&M)...", &frmMain::mnuFileOddsMovement_Click);
    addItem(file, "mnuFileReload", "最新に更新(&U)", &frmMain::mnuFileReload_Click)
        ->setShortcut(QKeySequence(Qt::Key_F5));
    file->addSeparator()->setObjectName(QStringLiteral("mnuFileBar1"));
    addItem(file, "mnuFileExit", "終了(&X)", &frmMain::mnuFileExit_Click);

    QMenu* testData = addMenu("mnuTestData", "ﾃｽﾄﾃﾞｰﾀ(&T)");
    addItem(testData, "mnuTestData1", "’９９毎日王冠", &frmMain::mnuTestData1_Click);
    addItem(testData, "mnuTestData2", "’９９京都大賞典", &frmMain::mnuTestData2_Click);
    addItem(testData, "mnuTestData3", "’０１皐月賞", &frmMain::mnuTestData3_Click);

    QMenu* tool = addMenu("mnuTool", "ﾂｰﾙ(&T)");
    addItem(tool, "mnuToolOption", "ｵﾌﾟｼｮﾝ(&O)", &frmMain::mnuToolOption_Click);
    autoFollow_ = tool->addAction(QStringLiteral("自動更新(&A)"));
    autoFollow_->setObjectName(QStringLiteral("mnuToolAutoFollow"));
    autoFollow_->setCheckable(true);
    autoFollow_->setChecked(GetAutoFollow(settings_));
    follow_.SetAutoReload(autoFollow_->isChecked());
    connect(autoFollow_, &QAction::toggled, this, &frmMain::mnuToolAutoFollow_Click);

    QMenu* help = addMenu("mnuHelp", "ﾍﾙﾌﾟ(&H)");
    addItem(help, "mnuHelpAbout", "ﾊﾞｰｼﾞｮﾝ情報(&A)Velmora...", &frmMain::mnuHelpAbout_Click);
}

void frmMain::BuildToolbar() {
    QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar1"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setEnabled(false);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->setIconSize(QSize(16, 16));
    toolbar->setFixedHeight(twips_.ToPixels(kToolbarHeight));

    struct Button {
        const char* key;
        const char* tooltip;
    };
    const std::array<Button, 5> buttons = {{{"Open", "PATﾃﾞｰﾀを開く"},
                                            {"List", "PATﾃﾞｰﾀ一覧"},
                                            {"Backtest", "成績集計"},
                                            {"OddsMovement", "オッズ推移"},
                                            {"About", "ﾊﾞｰｼﾞｮﾝ情報"}}};
    const std::array<QIcon, 5> images = ToolbarImages();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (i == buttons.size() - 1) {
            toolbar->addSeparator();
        }
        QString key = QString::fromUtf8(buttons[i].key);
        QAction* action = toolbar->addAction(images[i], QString::fromUtf8(buttons[i].tooltip));
        action->setObjectName(QStringLiteral("Toolbar1_") + key);
        action->setToolTip(QString::fromUtf8(buttons[i].tooltip));
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
    }
}

void frmMain::BuildSheet(QWidget* sheet) {
    // Sheet coordinates count from the top of the client area, under the toolbar.
    auto place = [this](QWidget* widget, double left, double top, double width, double height) {
        twips_.Place(widget, left, top - kToolbarHeight, width, height);
    };

    auto* lblKaisai = new QLabel(QStringLiteral("開催"), sheet);
    place(lblKaisai, 240, 600, 660, 300);
    txtKaisai_ = new QLineEdit(sheet);
    txtKaisai_->setObjectName(QStringLiteral("txtKaisai"));
    place(txtKaisai_, 960, 600, 2175, 300);
    connect(txtKaisai_, &QLineEdit::textEdited, this,
            [this](const QString& text) { sheet_.SetKaisai(text.toStdString()); });

    auto* lblRaceName = new QLabel(QStringLiteral("ﾚｰｽ"), sheet);
    place(lblRaceName, 240, 960, 660, 300);
    txtRaceName_ = new QLineEdit(sheet);
    txtRaceName_->setObjectName(QStringLiteral("txtRaceName"));
    place(txtRaceName_, 960, 960, 2175, 300);
    connect(txtRaceName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { sheet_.SetRaceName(text.toStdString()); });

    auto* lblHorseNum = new QLabel(QStringLiteral("出走頭数"), sheet);
    place(lblHorseNum, 3360, 960, 840, 300);
    cmbHorseNum_ = new QComboBox(sheet);
    cmbHorseNum_->setObjectName(QStringLiteral("cmbHorseNum"));
    for (const std::string& entry : RaceSheet::HorseNumEntries()) {
        cmbHorseNum_->addItem(Q(entry));
    }
    place(cmbHorseNum_, 4200, 960, 975, 300);
    connect(cmbHorseNum_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            sheet_.SetHorseNumIndex(index);
            Refresh();
        }
    });

    btnCalc_ = new QPushButton(QStringLiteral("買い目算出！"), sheet);
    btnCalc_->setObjectName(QStringLiteral("btnCalc"));
    place(btnCalc_, 5640, 720, 1335, 495);
    connect(btnCalc_, &QPushButton::clicked, this, &frmMain::btnCalc_Click);

    for (std::size_t i = 0; i < kRanks.size(); ++i) {
        const RankLayout& rank = kRanks[i];
        auto* caption = new QLabel(QString::fromUtf8(rank.caption), sheet);
        place(caption, rank.captionLeft, rank.top, 975, 300);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* label = BorderedLabel(QString(), sheet);
        label->setObjectName(QStringLiteral("lblRank_%1").arg(i + 1));
        place(label, rank.labelLeft, rank.top, 375, 300);
        lblRank_[i] = label;
    }

    for (const HeaderLayout& header : kColumnHeaders) {
        place(BorderedLabel(QString::fromUtf8(header.caption), sheet), header.left, kHeaderTop, header.width,
              kHeaderHeight);
    }

    for (int row = 1; row <= kMaxRunners; ++row) {
        double top = kFirstRowTop + kRowPitch * (row - 1);
        QLabel* number = BorderedLabel(QString::number(row), sheet);
        number->setObjectName(QStringLiteral("lblHorseNum_%1").arg(row));
        place(number, 120, top, 495, kRowHeight);
        for (const ColumnLayout& layout : kColumns) {
            auto* edit = new QLineEdit(sheet);
            edit->setObjectName(QStringLiteral("%1_%2").arg(QString::fromUtf8(layout.name)).arg(row));
            edit->setTextMargins(0, 0, 0, 0);
            place(edit, layout.left, top, layout.width, kRowHeight);
            if (layout.column == Column::HorseName) {
                edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            } else if (IsPopularColumn(layout.column)) {
                edit->setAlignment(Qt::AlignCenter);
            } else {
                edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            if (IsComputedColumn(layout.column)) {
                edit->setReadOnly(true);
            }
            if (!IsOddsColumn(layout.column)) {
                edit->setFocusPolicy(Qt::ClickFocus);
            }
            Column column = layout.column;
            connect(edit, &QLineEdit::textEdited, this, [this, edit, column, row](const QString& text) {
                sheet_.SetText(column, row, text.toStdString());
                ShowNarrowed(edit, Q(sheet_.Text(column, row)));
            });
            cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column)] = edit;
        }
    }

    QFont listFont(ListFontFamily());
    listFont.setStyleHint(QFont::TypeWriter);
    for (const ListLayout& layout : kLists) {
        auto* list = new QListWidget(sheet);
        list->setObjectName(QString::fromUtf8(layout.name));
        QFont font = listFont;
        font.setPointSizeF(layout.pointSize);
        list->setFont(font);
        list->setFocusPolicy(Qt::ClickFocus);
        // Long result lines scroll rather than lose their payoffs to an ellipsis;
        // each line has its own width, so the longest one sets the scroll range.
        list->setTextElideMode(Qt::ElideNone);
        list->setItemDelegate(new TightRowDelegate(list));
        place(list, layout.left, layout.top, layout.width, layout.height);
        if (layout.caption != nullptr) {
            place(BorderedLabel(QString::fromUtf8(layout.caption), sheet), layout.left, kHeaderTop,
                  layout.width, kHeaderHeight);
        }
        lists_[static_cast<std::size_t>(layout.list)] = list;
    }

    cmdResult_ = new VerticalCaptionButton(QStringLiteral("結果表示"), sheet);
    cmdResult_->setObjectName(QStringLiteral("cmdResult"));
    place(cmdResult_, 8400, 4380, 495, 1695);
    connect(cmdResult_, &QPushButton::clicked, this, &frmMain::cmdResult_Click);
}

void frmMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(false);
    auto panel = [bar](const char* name) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromUtf8(name));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        return label;
    };
    statusText_ = panel("sbStatusBar_1");
    statusFollow_ = panel("sbStatusBar_Follow");
    statusFollow_->setAlignment(Qt::AlignCenter);
    statusDate_ = panel("sbStatusBar_2");
    statusTime_ = panel("sbStatusBar_3");
    statusDate_->setAlignment(Qt::AlignCenter);
    statusTime_->setAlignment(Qt::AlignCenter);
    statusDate_->setFixedWidth(twips_.ToPixels(kClockPanelWidth));
    statusTime_->setFixedWidth(twips_.ToPixels(kClockPanelWidth));
    // Sized before they join the bar, so the bar's own layout counts them whole.
    FitPanelHeights({statusText_, statusFollow_, statusDate_, statusTime_});
    // Wide enough for the longest text it shows, so nothing is cut.
    statusFollow_->setMinimumWidth(
        statusFollow_->fontMetrics().horizontalAdvance(QStringLiteral("更新 00:00:00")) +
        statusFollow_->fontMetrics().averageCharWidth() * 2);
    bar->addPermanentWidget(statusText_, 1);
    bar->addPermanentWidget(statusFollow_);
    bar->addPermanentWidget(statusDate_);
    bar->addPermanentWidget(statusTime_);
    // At least the classic height; taller when the font needs it, so no text is cut.
    bar->setFixedHeight(std::max(twips_.ToPixels(kStatusBarHeight), bar->sizeHint().height()));

    clockTimer_ = new QTimer(this);
    connect(clockTimer_, &QTimer::timeout, this, &frmMain::UpdateClockPanels);
    clockTimer_->start(1000);
    UpdateClockPanels();
}

void frmMain::UpdateClockPanels() {
    QDateTime now = QDateTime::currentDateTime();
    statusDate_->setText(now.toString(QStringLiteral("yyyy/MM/dd")));
    statusTime_->setText(now.toString(QStringLiteral("H:mm")));
}

void frmMain::SetFocusOrder() {
    QWidget* previous = btnCalc_;
    for (Column column : {Column::TanOdds, Column::FukuOddsMin, Column::FukuOddsMax}) {
        for (int row = 1; row <= kMaxRunners; ++row) {
            QWidget* next = Cell(column, row);
            setTabOrder(previous, next);
            previous = next;
        }
    }
    for (QWidget* next :
         std::initializer_list<QWidget*>{txtKaisai_, txtRaceName_, cmbHorseNum_, cmdResult_}) {
        setTabOrder(previous, next);
        previous = next;
    }
    btnCalc_->setFocus();
}

QLineEdit* frmMain::Cell(Column column, int row) const {
    return cells_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column)];
}

void frmMain::ScheduleRefresh() {
    if (!refreshPending_) {
        refreshPending_ = true;
        QTimer::singleShot(0, this, &frmMain::Refresh);
    }
}

void frmMain::Refresh() {
    refreshPending_ = false;
    if (shownRevision_ == sheet_.Revision()) {
        return;
    }
    shownRevision_ = sheet_.Revision();

    ShowText(txtKaisai_, sheet_.Kaisai());
    ShowText(txtRaceName_, sheet_.RaceName());
    if (cmbHorseNum_->currentIndex() != sheet_.HorseNumIndex()) {
        QSignalBlocker blocker(cmbHorseNum_);
        cmbHorseNum_->setCurrentIndex(sheet_.HorseNumIndex());
    }
    for (int row = 1; row <= kMaxRunners; ++row) {
        for (const ColumnLayout& layout : kColumns) {
            QLineEdit* edit = Cell(layout.column, row);
            ShowText(edit, sheet_.Text(layout.column, row));
            edit->setEnabled(sheet_.IsEnabled(layout.column, row));
            if (IsPopularColumn(layout.column)) {
                ShowColors(edit, sheet_.Colors(layout.column, row));
            } else if (IsOddsColumn(layout.column)) {
                ShowMark(edit, sheet_.IsMarked(layout.column, row));
            }
        }
    }
    for (int i = 1; i <= kRankCount; ++i) {
        lblRank_[static_cast<std::size_t>(i - 1)]->setText(Q(sheet_.Rank(i)));
    }
    for (const ListLayout& layout : kLists) {
        ShowItems(lists_[static_cast<std::size_t>(layout.list)], sheet_.Items(layout.list));
    }
    statusText_->setText(WithYenSign(Q(sheet_.StatusText())));
}

void frmMain::Form_Load() {
    placement_.Restore(*this, twips_);
    sheet_.ClearSheet();
    Refresh();
}

void frmMain::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    for (auto it = loadedWindows_.rbegin(); it != loadedWindows_.rend(); ++it) {
        QWidget* window = it->window;
        if (window == nullptr) {
            continue;
        }
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog != nullptr && dialog->isVisible()) {
            // A modal window still in its event loop: closing it unloads it, and
            // the command that opened it deletes it once that loop has ended.
            dialog->done(QDialog::Rejected);
            continue;
        }
        it->unload();
        delete window;
    }
    loadedWindows_.clear();
    placement_.StoreOnce(*this, twips_);
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::btnCalc_Click() {
    velmora::btnCalc_Click(sheet_, services_);
    Refresh();
    RaceShown();
}

void frmMain::cmdResult_Click() {
    velmora::cmdResult_Click(sheet_, services_);
    Refresh();
}

void frmMain::UpdateFormFromSelection(const std::string& sFileName) {
    follow_.LoadSelection(sFileName);
    FollowTheSheet();
    Refresh();
    RaceShown();
}

void frmMain::mnuFileNew_Click() {
    sheet_.ClearSheet();
    follow_.Forget();
    FollowTheSheet();
    Refresh();
    RaceShown();
}

void frmMain::mnuFileReload_Click() {
    follow_.Reload();
    FollowTheSheet();
    Refresh();
    RaceShown();
}

void frmMain::mnuToolAutoFollow_Click(bool on) {
    SetAutoFollow(settings_, on);
    // The files stay watched either way; a version that waited shows now.
    ShowFollowStep(follow_.SetAutoReload(on));
}

// Watches the shown race's folder and files while following is on.
void frmMain::FollowTheSheet() {
    if (follow_.IsFollowing()) {
        QStringList files;
        for (const std::string& file : follow_.WatchedFiles()) {
            files.append(Q(file));
        }
        if (watch_->Watch(Q(follow_.Folder()), files)) {
            WatchWorks();
        } else {
            WatchStalled();
        }
    } else {
        watch_->Stop();
        WatchWorks();
    }
    ShowFollowPanel();
}

void frmMain::WatchStalled() {
    // One retry at a time; each failed retry waits longer for the next.
    if (!watchRetry_->isActive()) {
        watchRetry_->start(follow_.WatchStalled());
    }
    ShowFollowPanel();
}

void frmMain::RetryWatch() {
    if (!follow_.IsFollowing()) {
        return;
    }
    if (!watch_->Rearm()) {
        WatchStalled();
        return;
    }
    WatchWorks();
    // Catches up with whatever changed while the files went unwatched.
    watch_->SettleAgain();
    ShowFollowPanel();
}

void frmMain::WatchWorks() {
    watchRetry_->stop();
    follow_.WatchWorks();
}

void frmMain::FilesSettled() {
    const FollowStep step = follow_.FilesSettled();
    if (step == FollowStep::RetryLater) {
        watch_->SettleAgain();
    }
    ShowFollowStep(step);
}

void frmMain::ShowFollowStep(FollowStep step) {
    ShowFollowPanel();
    Refresh();
    // A version kept back for the user's edits is in the history all the same.
    if (step == FollowStep::Reloaded || step == FollowStep::Pending) {
        RaceShown();
    }
    if (step == FollowStep::Reloaded && onReloaded_) {
        onReloaded_();
    }
}

void frmMain::ShowProblemLater(const std::string& text) {
    // Delivered to the application, not to this window: the window may be
    // deleted while its message box runs, and no event of its own is under way then.
    QTimer::singleShot(0, QCoreApplication::instance(), [window = QPointer<frmMain>(this), text] {
        if (window != nullptr) {
            window->messages_.ShowMessage(text, kAppTitle, MessageIcon::None);
        }
    });
}

void frmMain::ShowFollowPanel() {
    statusFollow_->setText(Q(follow_.PanelText()));
}

void frmMain::mnuFileOpen_Click() {
    ParentedDialog<QFileDialog> dialog(this, QStringLiteral("開く"));
    dialog->setObjectName(QStringLiteral("dlgCommon"));
    // A typed name of a missing file is the loader's to report, in its own words.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog matches name filters without regard to case, as the
    // Windows-made PAT file names need; the desktop portals don't.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilter(OddsFileNameFilter());
    dialog->setDirectory(Q(GetPatFolder(settings_)));
    MakeReadable(*dialog, twips_);
    QString chosen = seams_.chooseFile(*dialog);
    if (dialog.Gone() || chosen.isEmpty()) {
        return;
    }
    follow_.OpenFile(chosen.toStdString());
    FollowTheSheet();
    Refresh();
    RaceShown();
}

void frmMain::mnuFileList_Click() {
    if (browser_ == nullptr) {
        browser_ = new frmSelectFile(
            settings_, messages_, [this](const std::string& path) { UpdateFormFromSelection(path); }, this);
        RegisterLoadedWindow(browser_.data());
    }
    browser_->show();
    browser_->raise();
    browser_->activateWindow();
}

void frmMain::mnuFileBacktest_Click() {
    if (backtest_ == nullptr) {
        backtest_ = new frmBacktest(
            settings_, messages_, seams_, [this](const std::string& path) { UpdateFormFromSelection(path); },
            this);
        RegisterLoadedWindow(backtest_.data());
    }
    backtest_->show();
    backtest_->raise();
    backtest_->activateWindow();
}

void frmMain::mnuFileOddsMovement_Click() {
    if (oddsMovement_ == nullptr) {
        oddsMovement_ = new frmOddsMovement(settings_, sheet_, history_, this);
        RegisterLoadedWindow(oddsMovement_.data());
    } else {
        oddsMovement_->ShowRace();
    }
    oddsMovement_->show();
    oddsMovement_->raise();
    oddsMovement_->activateWindow();
}

// A hidden window catches up when it is opened again.
void frmMain::RaceShown() {
    if (oddsMovement_ != nullptr && oddsMovement_->isVisible()) {
        oddsMovement_->ShowRace();
    }
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::RunTestData(int number) {
    ShowSampleRace(sheet_, number);
    follow_.Forget();
    FollowTheSheet();
    Refresh();
    RaceShown();
}

void frmMain::mnuTestData1_Click() {
    RunTestData(1);
}
void frmMain::mnuTestData2_Click() {
    RunTestData(2);
}
void frmMain::mnuTestData3_Click() {
    RunTestData(3);
}

void frmMain::mnuToolOption_Click() {
    const std::string folderBefore = GetPatFolder(settings_);
    // A shutdown while the window is open unloads it from under exec(); one
    // from inside its event loop may delete this window, and it with it.
    ParentedDialog<frmOption> options(settings_, seams_, this);
    RegisterLoadedWindow(options.get());
    options->exec();
    if (options.Gone()) {
        return;
    }
    // However the window closed, the sheet takes the stored colours again.
    sheet_.ColorPopularity();
    Refresh();
    // The marks of the odds-movement window follow the thresholds just set.
    RaceShown();
    if (browser_ != nullptr && GetPatFolder(settings_) != folderBefore) {
        browser_->UpdateList();
    }
}

void frmMain::mnuHelpAbout_Click() {
    ParentedDialog<frmAbout> about(seams_, this);
    RegisterLoadedWindow(about.get());
    about->exec();
}

void frmMain::Toolbar1_ButtonClick(const QString& key) {
    if (key == QStringLiteral("Open")) {
        mnuFileOpen_Click();
    } else if (key == QStringLiteral("List")) {
        mnuFileList_Click();
    } else if (key == QStringLiteral("Backtest")) {
        mnuFileBacktest_Click();
    } else if (key == QStringLiteral("OddsMovement")) {
        mnuFileOddsMovement_Click();
    } else if (key == QStringLiteral("About")) {
        mnuHelpAbout_Click();
    }
}

} // namespace velmora
