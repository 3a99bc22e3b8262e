#include "ui/frmOption.h"

#include "browser/listing_problems.h"
#include "settings/settings_ops.h"
#include "settings/window_position.h"
#include "ui/parented_dialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>

namespace velmora {
namespace {

const char* const kSection = "OptionWindow";
constexpr float kDefaultLeft = 1500.0f;
constexpr float kDefaultTop = 1000.0f;
constexpr std::chrono::milliseconds kFollowSettle{50};
const char* const kErrorCaption = "えらー";

QList<MountedVolume> MountedVolumes() {
    QList<MountedVolume> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid()) {
            volumes.append({volume.rootPath(), volume.device(), volume.fileSystemType(), volume.isReady(),
                            volume.isReadOnly()});
        }
    }
    return volumes;
}

bool IsUnder(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Where removable media appear; a read-only volume there (a CD, a locked card)
// is still one to read PAT files from.
bool IsRemovable(const MountedVolume& volume) {
    return IsUnder(volume.root, QStringLiteral("/media")) ||
           IsUnder(volume.root, QStringLiteral("/run/media")) || volume.fileSystem == "iso9660" ||
           volume.fileSystem == "udf";
}

bool IsSystemFolder(const QString& root) {
    for (const char* folder : {"/boot", "/proc", "/sys", "/dev", "/snap", "/var/snap", "/var/lib"}) {
        if (IsUnder(root, QString::fromLatin1(folder))) {
            return true;
        }
    }
    return IsUnder(root, QStringLiteral("/run")) && !IsUnder(root, QStringLiteral("/run/media"));
}

bool IsPickable(const MountedVolume& volume) {
    // Pseudo file systems have no device node; snaps are read-only squashfs loops.
    if (!volume.ready || !volume.device.startsWith("/dev/") || volume.fileSystem == "squashfs" ||
        IsSystemFolder(volume.root)) {
        return false;
    }
    return !volume.readOnly || (IsRemovable(volume) && !volume.device.startsWith("/dev/loop"));
}

QDoubleSpinBox* FactorBox(const char* name, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(2);
    box->setRange(kMinFactor, kMaxFactor);
    box->setSingleStep(0.05);
    box->setAlignment(Qt::AlignRight);
    return box;
}

QLabel* MarkLabel(const QString& text, const QString& name, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

// Enter presses the focused button, else OK; Esc is ｷｬﾝｾﾙ, as in any dialog.
QPushButton* PlainButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(true);
    return button;
}

} // namespace

frmOption::frmOption(SettingsStore& settings, const DesktopSeams& seams, QWidget* parent)
    : QDialog(parent), settings_(settings), seams_(seams), messages_(seams, this), twips_(Twips::ForScreen()),
      placement_(settings, kSection, {kDefaultLeft, kDefaultTop}) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ"));
    setModal(true);
    faceColors_.fill(kWhite);
    BuildControls();
    Form_Load();
}

void frmOption::BuildControls() {
    resize(twips_.ToPixels(5130), twips_.ToPixels(7635));

    auto* folderFrame = new QGroupBox(QStringLiteral("PAT ﾌｫﾙﾀﾞ"), this);
    twips_.Place(folderFrame, 240, 240, 3495, 2535);
    txtPatFolder_ = new QLineEdit(folderFrame);
    txtPatFolder_->setObjectName(QStringLiteral("txtPatFolder"));
    twips_.Place(txtPatFolder_, 240, 360, 3015, 300);

    drvList_ = new QComboBox(folderFrame);
    drvList_->setObjectName(QStringLiteral("drvList"));
    for (const QString& root : PickableVolumes(MountedVolumes(), QDir::homePath())) {
        drvList_->addItem(root, root);
    }
    twips_.Place(drvList_, 240, 840, 3015, 300);

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath(QDir::rootPath());
    dirList_ = new QTreeView(folderFrame);
    dirList_->setObjectName(QStringLiteral("dirList"));
    dirList_->setModel(folders_);
    for (int column = 1; column < folders_->columnCount(); ++column) {
        dirList_->hideColumn(column);
    }
    dirList_->header()->hide();
    // Folders are read in the background, in no set order, and sorted after: the
    // list scrolls to its current folder again once the rows settle, until the
    // user takes over.
    followTimer_ = new QTimer(this);
    followTimer_->setSingleShot(true);
    followTimer_->setInterval(kFollowSettle);
    connect(followTimer_, &QTimer::timeout, this, &frmOption::ScrollToCurrentFolder);
    auto rowsChanged = [this] {
        if (following_) {
            followTimer_->start();
        }
    };
    connect(folders_, &QFileSystemModel::directoryLoaded, this, rowsChanged);
    connect(folders_, &QFileSystemModel::rowsInserted, this, rowsChanged);
    connect(folders_, &QFileSystemModel::layoutChanged, this, rowsChanged);
    connect(dirList_, &QTreeView::pressed, this, &frmOption::StopFollowing);
    connect(dirList_->verticalScrollBar(), &QScrollBar::actionTriggered, this, &frmOption::StopFollowing);
    twips_.Place(dirList_, 240, 1200, 3015, 1140);

    auto* btnOk = PlainButton(QStringLiteral("OK(&O)"), this);
    btnOk->setDefault(true);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    twips_.Place(btnOk, 3960, 360, 975, 375);
    connect(btnOk, &QPushButton::clicked, this, &frmOption::btnOk_Click);
    auto* btnCancel = PlainButton(QStringLiteral("ｷｬﾝｾﾙ(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    twips_.Place(btnCancel, 3960, 840, 975, 375);
    connect(btnCancel, &QPushButton::clicked, this, &frmOption::btnCancel_Click);

    auto* colorFrame = new QGroupBox(QStringLiteral("人気別色分け"), this);
    twips_.Place(colorFrame, 240, 3000, 4635, 2895);
    QWidget* previous = btnCancel;
    setTabOrder(txtPatFolder_, drvList_);
    setTabOrder(drvList_, dirList_);
    setTabOrder(dirList_, btnOk);
    setTabOrder(btnOk, btnCancel);
    for (int i = 0; i < kColorButtonCount; ++i) {
        double column = 1500.0 * (i / 6);
        double row = 420.0 * (i % 6);
        auto* label = new QLabel(QStringLiteral("%1人気").arg(i + 1), colorFrame);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        // Right-aligned and reaching a little further left than the classic
        // 555 twips, so "18人気" fits in any CJK font.
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        twips_.Place(label, 60 + column, 360 + row, 675, 255);
        auto* button = PlainButton(QString(), colorFrame);
        button->setObjectName(QStringLiteral("btnColor_%1").arg(i));
        twips_.Place(button, 780 + column, 300 + row, 615, 375);
        connect(button, &QPushButton::clicked, this, [this, i] { btnColor_Click(i); });
        btnColor_[static_cast<std::size_t>(i)] = button;
        SetFaceColor(i, kWhite);
        setTabOrder(previous, button);
        previous = button;
    }

    // Fills the colour buttons only; OK stores them as any other choice.
    auto* btnStandardColors = PlainButton(QStringLiteral("標準の色"), this);
    btnStandardColors->setObjectName(QStringLiteral("btnStandardColors"));
    twips_.Place(btnStandardColors, 3840, 2400, 1095, 375);
    connect(btnStandardColors, &QPushButton::clicked, this, &frmOption::btnStandardColors_Click);
    setTabOrder(previous, btnStandardColors);
    previous = btnStandardColors;

    BuildMarkControls();
    setTabOrder(previous, spnMoveFactor_);
    setTabOrder(spnMoveFactor_, spnRankGap_);
    setTabOrder(spnRankGap_, spnQuinellaRatio_);

    connect(dirList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmOption::dirList_Change);
    connect(drvList_, &QComboBox::currentIndexChanged, this, &frmOption::drvList_Change);
}

void frmOption::BuildMarkControls() {
    auto* markFrame = new QGroupBox(QStringLiteral("ｵｯｽﾞの動きと異常"), this);
    markFrame->setObjectName(QStringLiteral("fraMarks"));
    twips_.Place(markFrame, 240, 6015, 4635, 1500);
    spnMoveFactor_ = FactorBox("spnMoveFactor", markFrame);
    spnRankGap_ = new QSpinBox(markFrame);
    spnRankGap_->setObjectName(QStringLiteral("spnRankGap"));
    spnRankGap_->setRange(kMinRankGap, kMaxRankGap);
    spnRankGap_->setAlignment(Qt::AlignRight);
    spnQuinellaRatio_ = FactorBox("spnQuinellaRatio", markFrame);
    const std::array<std::pair<QString, QWidget*>, 3> rows = {{
        {QStringLiteral("支持率の変化 ↑↓ (倍)"), spnMoveFactor_},
        {QStringLiteral("単複人気のずれ (人気差)"), spnRankGap_},
        {QStringLiteral("馬連の売れすぎ (倍)"), spnQuinellaRatio_},
    }};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        double top = 330.0 + 375.0 * static_cast<double>(i);
        auto* label =
            MarkLabel(rows[i].first, QStringLiteral("lblMark_%1").arg(i), rows[i].second, markFrame);
        twips_.Place(label, 180, top, 2955, 315);
        twips_.Place(rows[i].second, 3255, top, 1200, 315);
    }
}

void frmOption::Form_Load() {
    placement_.Restore(*this, twips_);

    shownPatFolder_ = QString::fromStdString(GetPatFolder(settings_));
    txtPatFolder_->setText(shownPatFolder_);
    {
        // Until the stored folder is shown the folder list waits in the current folder.
        QSignalBlocker blocker(dirList_->selectionModel());
        dirList_->setCurrentIndex(folders_->index(QDir::currentPath()));
    }
    if (!OpenFolderList(txtPatFolder_->text())) {
        FollowCurrentFolder();
    }
    // The drive list follows the stored folder without moving the folder list,
    // so the stored folder stays in the text box.
    SelectDriveOf(txtPatFolder_->text());
    for (int rank = 1; rank <= kColorButtonCount; ++rank) {
        SetFaceColor(rank - 1, GetPopularColor(settings_, rank));
    }
    spnMoveFactor_->setValue(GetMoveFactor(settings_));
    spnRankGap_->setValue(GetRankGap(settings_));
    spnQuinellaRatio_->setValue(GetQuinellaRatio(settings_));
}

bool frmOption::OpenFolderList(const QString& path) {
    QFileInfo folder(path);
    if (path.isEmpty() || !folder.isDir() || !folder.isExecutable()) {
        return false;
    }
    QModelIndex index = folders_->index(folder.absoluteFilePath());
    if (!index.isValid()) {
        return false;
    }
    dirList_->setCurrentIndex(index); // reports through dirList_Change
    FollowCurrentFolder();
    return true;
}

void frmOption::FollowCurrentFolder() {
    following_ = true;
    ScrollToCurrentFolder();
}

void frmOption::ScrollToCurrentFolder() {
    QModelIndex current = dirList_->currentIndex();
    if (current.isValid()) {
        // Scrolling opens the folders above it.
        dirList_->scrollTo(current, QAbstractItemView::PositionAtCenter);
        dirList_->expand(current);
    }
}

void frmOption::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (following_) {
        followTimer_->start();
    }
}

void frmOption::StopFollowing() {
    following_ = false;
    followTimer_->stop();
}

QString frmOption::FolderListPath() const {
    return folders_->filePath(dirList_->currentIndex());
}

void frmOption::dirList_Change() {
    QString path = FolderListPath();
    if (!path.isEmpty()) {
        txtPatFolder_->setText(path);
    }
}

void frmOption::drvList_Change(int index) {
    if (index < 0) {
        return;
    }
    if (!OpenFolderList(drvList_->itemData(index).toString())) {
        // An unreadable volume: the drive list goes back to the folder list's volume.
        SelectDriveOf(FolderListPath());
    }
}

QString frmOption::VolumeOf(const QString& path, const QStringList& volumeRoots) {
    QString best;
    for (const QString& root : volumeRoots) {
        QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
        bool inside = path == root || path.startsWith(prefix);
        if (inside && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

QStringList frmOption::PickableVolumes(const QList<MountedVolume>& volumes, const QString& home) {
    QStringList roots{home};
    QList<QByteArray> devices;
    QList<MountedVolume> sorted = volumes;
    // Shortest root first: a device bound again deeper (a sandbox's view of a
    // folder) keeps its real mount point.
    std::stable_sort(sorted.begin(), sorted.end(), [](const MountedVolume& a, const MountedVolume& b) {
        return a.root.size() < b.root.size();
    });
    for (const MountedVolume& volume : sorted) {
        if (IsPickable(volume) && !devices.contains(volume.device) && !roots.contains(volume.root)) {
            devices.append(volume.device);
            roots.append(volume.root);
        }
    }
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

void frmOption::SelectDriveOf(const QString& path) {
    QStringList roots;
    for (int i = 0; i < drvList_->count(); ++i) {
        roots.append(drvList_->itemData(i).toString());
    }
    QString absolute = QFileInfo(path).isRelative() ? QDir::current().absoluteFilePath(path) : path;
    int index = drvList_->findData(VolumeOf(QDir::cleanPath(absolute), roots));
    if (index >= 0) {
        QSignalBlocker blocker(drvList_);
        drvList_->setCurrentIndex(index);
    }
}

void frmOption::SetFaceColor(int index, std::int32_t color) {
    faceColors_[static_cast<std::size_t>(index)] = color;
    btnColor_[static_cast<std::size_t>(index)]->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }")
            .arg(ColorFromPacked(color).name()));
}

void frmOption::btnStandardColors_Click() {
    const auto colors = StandardPopularColors();
    for (int i = 0; i < kColorButtonCount; ++i) {
        SetFaceColor(i, colors[static_cast<std::size_t>(i)]);
    }
}

void frmOption::btnColor_Click(int index) {
    ParentedDialog<QColorDialog> dialog(ColorFromPacked(FaceColor(index)), this);
    dialog->setObjectName(QStringLiteral("dlgCommon"));
    dialog->setWindowTitle(QStringLiteral("色の設定"));
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    std::optional<QColor> chosen = seams_.chooseColor(*dialog);
    if (dialog.Gone() || !chosen || !chosen->isValid()) {
        return;
    }
    std::int32_t packed = PackedFromColor(*chosen);
    if (packed != FaceColor(index)) {
        SetFaceColor(index, packed);
    }
}

// A PAT folder the user entered, as the program will read it, is checked
// before anything is stored: a file, a missing or an unreadable folder keeps
// the window open. The folder shown at opening is left as it was, so that
// colours can be set before the PAT software is there. An empty text reads as
// the root folder, as it always has.
bool frmOption::PatFolderAccepted() {
    if (txtPatFolder_->text() == shownPatFolder_) {
        return true;
    }
    const std::string text = txtPatFolder_->text().toStdString();
    MemorySettingsStore typed;
    SetPatFolder(typed, text);
    const FolderState state = CheckFolder(GetPatFolder(typed));
    if (state != FolderState::Ready) {
        messages_.ShowMessage(std::string(PatFolderProblemText(state)) + "\n" + text, kErrorCaption,
                              MessageIcon::Critical);
        return false;
    }
    return true;
}

void frmOption::btnOk_Click() {
    if (!PatFolderAccepted()) {
        return;
    }
    SetPatFolder(settings_, txtPatFolder_->text().toStdString());
    for (int rank = 1; rank <= kColorButtonCount; ++rank) {
        SetPopularColor(settings_, rank, FaceColor(rank - 1));
    }
    SetMoveFactor(settings_, spnMoveFactor_->value());
    SetRankGap(settings_, spnRankGap_->value());
    SetQuinellaRatio(settings_, spnQuinellaRatio_->value());
    accept();
}

void frmOption::btnCancel_Click() {
    reject();
}

void frmOption::done(int result) {
    Form_Unload();
    QDialog::done(result);
}

void frmOption::Form_Unload() {
    placement_.StoreOnce(*this, twips_);
}

} // namespace velmora
