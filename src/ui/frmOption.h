#pragma once

#include "settings/settings_ops.h"
#include "settings/settings_store.h"
#include "ui/desktop_seams.h"
#include "ui/twips.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QComboBox;
class QDoubleSpinBox;
class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class QTreeView;

namespace velmora {

inline constexpr int kColorButtonCount = kPopularRanks;

// One mounted volume as the drive list sees it.
struct MountedVolume {
    QString root;
    QByteArray device;
    QByteArray fileSystem;
    bool ready = false;
    bool readOnly = false;
};

// The Options window: PAT folder, one colour per popularity rank and the
// thresholds of the odds-movement and anomaly marks. The
// controls are the working copy; only OK writes them to the settings store.
class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(SettingsStore& settings, const DesktopSeams& seams, QWidget* parent);

    // Face colour of btnColor(index), packed.
    std::int32_t FaceColor(int index) const { return faceColors_[static_cast<std::size_t>(index)]; }
    // Root of the volume holding `path`: the longest mount point that contains it.
    static QString VolumeOf(const QString& path, const QStringList& volumeRoots);
    // The drive list's entries: the home folder, then the volumes a user would
    // pick a folder on, one entry for each device.
    static QStringList PickableVolumes(const QList<MountedVolume>& volumes, const QString& home);

public slots:
    void btnOk_Click();
    void btnCancel_Click();
    void btnColor_Click(int index);
    void btnStandardColors_Click();
    void Form_Unload();

protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void BuildMarkControls();
    void Form_Load();
    void dirList_Change();
    void drvList_Change(int index);
    bool OpenFolderList(const QString& path);
    // Scrolls the folder list to its current folder, opened, and keeps doing so
    // while the folders above it are still being read.
    void FollowCurrentFolder();
    void ScrollToCurrentFolder();
    void StopFollowing();
    void SelectDriveOf(const QString& path);
    void SetFaceColor(int index, std::int32_t color);
    bool PatFolderAccepted();
    QString FolderListPath() const;

    SettingsStore& settings_;
    const DesktopSeams& seams_;
    QtMessageSink messages_;
    Twips twips_;
    QLineEdit* txtPatFolder_ = nullptr;
    QString shownPatFolder_; // as the window opened
    QComboBox* drvList_ = nullptr;
    QTreeView* dirList_ = nullptr;
    QFileSystemModel* folders_ = nullptr;
    std::array<QPushButton*, kColorButtonCount> btnColor_{};
    std::array<std::int32_t, kColorButtonCount> faceColors_{};
    QDoubleSpinBox* spnMoveFactor_ = nullptr;
    QSpinBox* spnRankGap_ = nullptr;
    QDoubleSpinBox* spnQuinellaRatio_ = nullptr;
    WindowPlacement placement_;
    QTimer* followTimer_ = nullptr;
    bool following_ = false;
};

} // namespace velmora
