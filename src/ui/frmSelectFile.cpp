#include "ui/frmSelectFile.h"

#include "settings/settings_ops.h"
#include "settings/window_position.h"
#include "ui/sheet_widgets.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora {
namespace {

const char* const kSection = "SelectFileWindow";
constexpr float kDefaultLeft = 1500.0f;
constexpr float kDefaultTop = 1000.0f;
constexpr Qt::Alignment kCellAlignment = Qt::AlignLeft | Qt::AlignVCenter;
// A race file caught half-written is listed again after this many pauses at most.
constexpr int kRefreshRetryLimit = 3;

// The row of the list that holds `file`; 0 when none does.
int RowOfFile(const FileList& list, const std::string& file) {
    for (int row = 1; row <= list.ListedCount(); ++row) {
        if (list.Row(row).file == file) {
            return row;
        }
    }
    return 0;
}

} // namespace

frmSelectFile::frmSelectFile(SettingsStore& settings, MessageSink& messages, LoadRace loadRace,
                             QWidget* owner)
    // A dialog-type window: the window manager keeps it above its owner, unlike
    // a plain window, without it being modal.
    : OwnedWindow(owner), settings_(settings), messages_(messages), loadRace_(std::move(loadRace)),
      twips_(Twips::ForScreen()),
      placement_(settings, kSection, {kDefaultLeft, kDefaultTop}, ToolWindow::BesideOwnerKeepingSize) {
    setObjectName(QStringLiteral("frmSelectFile"));
    setWindowTitle(QStringLiteral("PATﾌｧｲﾙの選択"));
    watch_ = new FolderWatch(this);
    connect(watch_, &FolderWatch::Settled, this, &frmSelectFile::RefreshKeepingSelection);
    BuildControls();
    Form_Load();
}

void frmSelectFile::BuildControls() {
    // Resizable, the grid taking what the window gains, so long conditions and
    // file names can be read whole.
    resize(twips_.ToPixels(7515), twips_.ToPixels(5775));
    setMinimumSize(twips_.ToPixels(5000), twips_.ToPixels(3000));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, twips_.ToPixels(120));

    grdFileList_ = new QTableWidget(this);
    grdFileList_->setObjectName(QStringLiteral("grdFileList"));
    grdFileList_->setColumnCount(kFileListColumnCount);
    grdFileList_->verticalHeader()->hide();
    grdFileList_->verticalHeader()->setDefaultSectionSize(grdFileList_->fontMetrics().height() + 4);
    grdFileList_->horizontalHeader()->setDefaultAlignment(kCellAlignment);
    grdFileList_->horizontalHeader()->setSectionsClickable(false);
    grdFileList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFileList_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdFileList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFileList_->setWordWrap(false);
    grdFileList_->setTextElideMode(Qt::ElideNone);
    // Tab moves on to the buttons rather than from cell to cell.
    grdFileList_->setTabKeyNavigation(false);
    grdFileList_->installEventFilter(this);
    grdFileList_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grdFileList_, 1);
    connect(grdFileList_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!showing_) {
            list_.SetCurrentRow(row + 1);
        }
    });
    connect(grdFileList_, &QTableWidget::cellDoubleClicked, this, &frmSelectFile::grdFileList_DblClick);

    lblNote_ = new QLabel(this);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblNote_->setMinimumHeight(twips_.ToPixels(300));
    // Cut to the width the window gives it, never widening the window.
    lblNote_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    lblNote_->setContentsMargins(twips_.ToPixels(60), 0, twips_.ToPixels(60), 0);
    layout->addWidget(lblNote_);

    auto* buttons = new QHBoxLayout();
    buttons->setContentsMargins(twips_.ToPixels(360), twips_.ToPixels(60), twips_.ToPixels(660), 0);
    const QSize buttonSize(twips_.ToPixels(1335), twips_.ToPixels(375));
    auto* btnUpdate = CommandButton("btnUpdate", QStringLiteral("最新を反映"), this);
    btnUpdate->setFixedSize(buttonSize);
    connect(btnUpdate, &QPushButton::clicked, this, &frmSelectFile::btnUpdate_Click);
    auto* btnSelect = CommandButton("btnSelect", QStringLiteral("決定(&O)"), this);
    btnSelect->setFixedSize(buttonSize);
    connect(btnSelect, &QPushButton::clicked, this, &frmSelectFile::btnSelect_Click);
    auto* btnClose = CommandButton("btnClose", QStringLiteral("閉じる(&C)"), this);
    btnClose->setFixedSize(buttonSize);
    connect(btnClose, &QPushButton::clicked, this, &frmSelectFile::btnClose_Click);
    buttons->addWidget(btnUpdate);
    buttons->addStretch(1);
    buttons->addWidget(btnSelect);
    buttons->addSpacing(twips_.ToPixels(1680 - 1335));
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);

    setTabOrder(grdFileList_, btnClose);
    setTabOrder(btnClose, btnUpdate);
    setTabOrder(btnUpdate, btnSelect);
    SetupGridHeader();
    ShowList();
}

void frmSelectFile::SetupGridHeader() {
    const auto& columns = FileListColumns();
    for (int column = 0; column < kFileListColumnCount; ++column) {
        const FileListColumn& layout = columns[static_cast<std::size_t>(column)];
        auto* caption = new QTableWidgetItem(
            QString::fromUtf8(layout.caption.data(), static_cast<qsizetype>(layout.caption.size())));
        caption->setTextAlignment(kCellAlignment);
        grdFileList_->setHorizontalHeaderItem(column, caption);
        grdFileList_->setColumnWidth(column, twips_.ToPixels(layout.width));
    }
}

void frmSelectFile::ShowList() {
    showing_ = true;
    grdFileList_->setUpdatesEnabled(false);
    grdFileList_->clearContents();
    grdFileList_->setRowCount(list_.DataRowCount());
    const QBrush fixedBackground = palette().brush(QPalette::Window);
    for (int row = 1; row <= list_.DataRowCount(); ++row) {
        const FileListRow& cells = list_.Row(row);
        for (int column = 0; column < kFileListColumnCount; ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(CellText(cells, column)));
            item->setTextAlignment(kCellAlignment);
            if (column == 0) {
                // The number column is fixed, like the caption row.
                item->setBackground(fixedBackground);
            }
            grdFileList_->setItem(row - 1, column, item);
        }
    }
    grdFileList_->clearSelection();
    grdFileList_->setCurrentCell(list_.CurrentRow() - 1, 0);
    grdFileList_->setUpdatesEnabled(true);
    showing_ = false;
    ShowNote();
}

// One line, cut to the window's width; the whole of it in the tooltip.
void frmSelectFile::ShowNote() {
    const QString note = QString::fromStdString(list_.Note());
    // A folder that can't be listed is an error, not a remark on some files.
    lblNote_->setStyleSheet(list_.Folder() == FolderState::Ready ? QString() : QStringLiteral("color: red;"));
    lblNote_->setText(
        lblNote_->fontMetrics().elidedText(note, Qt::ElideRight, lblNote_->contentsRect().width()));
    lblNote_->setToolTip(note);
}

void frmSelectFile::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowNote();
}

void frmSelectFile::Form_Load() {
    placement_.Restore(*this, twips_);
    UpdateList();
}

void frmSelectFile::UpdateList() {
    list_.UpdateList(settings_);
    SetupGridHeader();
    ShowList();
    if (isVisible()) {
        // The PAT folder may have been changed in the Options window.
        watch_->Watch(QString::fromStdString(GetPatFolder(settings_)), {});
    }
}

void frmSelectFile::SelectRace() {
    if (std::optional<std::string> path = list_.SelectRace(settings_, messages_)) {
        loadRace_(*path);
    }
}

void frmSelectFile::btnSelect_Click() {
    SelectRace();
}

void frmSelectFile::btnUpdate_Click() {
    UpdateList();
}

void frmSelectFile::btnClose_Click() {
    hide();
}

void frmSelectFile::grdFileList_DblClick(int row) {
    list_.SetCurrentRow(row + 1);
    SelectRace();
}

// Enter on a row loads it, as 決定 does.
bool frmSelectFile::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grdFileList_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            SelectRace();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmSelectFile::RefreshKeepingSelection() {
    FileList fresh;
    fresh.UpdateList(settings_);
    // A file skipped now may be one PAT is still writing.
    if (!fresh.Skipped().empty() && refreshRetries_ < kRefreshRetryLimit) {
        ++refreshRetries_;
        watch_->SettleAgain();
        return;
    }
    refreshRetries_ = 0;
    if (fresh.Rows() == list_.Rows() && fresh.Note() == list_.Note()) {
        return;
    }
    const int current = list_.CurrentRow();
    const std::string chosen = current > 0 && current <= list_.ListedCount() ? list_.Row(current).file : "";
    list_ = std::move(fresh);
    if (!chosen.empty()) {
        list_.SetCurrentRow(RowOfFile(list_, chosen));
    }
    ShowList();
    if (onRefreshed_) {
        onRefreshed_();
    }
}

// The folder is followed only while the list can be seen.
void frmSelectFile::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    watch_->Watch(QString::fromStdString(GetPatFolder(settings_)), {});
}

void frmSelectFile::hideEvent(QHideEvent* event) {
    watch_->Stop();
    QWidget::hideEvent(event);
}

void frmSelectFile::Form_Unload() {
    placement_.StoreOnce(*this, twips_);
}

} // namespace velmora
