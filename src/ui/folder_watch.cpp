#include "ui/folder_watch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

#include <optional>
#include <utility>

namespace velmora {
namespace {

// Which folder a path names now: a folder renamed away keeps its watch, so a
// new one under the same name must be told apart by identity.
std::optional<std::pair<dev_t, ino_t>> IdentityOf(const QString& path) {
    struct stat status {};
    if (stat(QFile::encodeName(path).constData(), &status) != 0) {
        return std::nullopt;
    }
    return std::make_pair(status.st_dev, status.st_ino);
}

// The folder itself when it exists, else the nearest existing one above it.
QString NearestExistingFolder(const QString& folder) {
    QDir dir(folder);
    while (!dir.exists() && !dir.isRoot()) {
        if (!dir.cdUp()) {
            break;
        }
    }
    return dir.exists() ? dir.absolutePath() : QString();
}

} // namespace

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)) {
    settle_->setSingleShot(true);
    settle_->setInterval(kSettleMs);
    connect(settle_, &QTimer::timeout, this, [this] {
        RearmAfterChange();
        emit Settled();
    });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::Changed);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& file) {
        // A file renamed over leaves the watch on the old one: watch the new one.
        watcher_->removePath(file);
        Changed();
    });
}

bool FolderWatch::Watch(const QString& folder, const QStringList& files) {
    folder_ = QDir(folder).absolutePath();
    files_ = files;
    return Rearm();
}

void FolderWatch::Stop() {
    folder_.clear();
    files_.clear();
    settle_->stop();
    Rearm();
}

void FolderWatch::SettleAgain() {
    if (IsWatching()) {
        settle_->start();
    }
}

int FolderWatch::WatchedPathCount() const {
    return static_cast<int>(watcher_->files().size() + watcher_->directories().size());
}

void FolderWatch::Changed() {
    RearmAfterChange();
    settle_->start();
}

void FolderWatch::RearmAfterChange() {
    if (!Rearm()) {
        emit Stalled();
    }
}

bool FolderWatch::Rearm() {
    QStringList wanted = WantedPaths();
    QStringList watched = watcher_->files() + watcher_->directories();
    wanted.sort();
    watched.sort();
    const auto folder = IdentityOf(folder_);
    if (wanted == watched && folder == watchedFolder_) {
        return true;
    }
    watchedFolder_ = folder;
    if (!watched.isEmpty()) {
        watcher_->removePaths(watched);
    }
    if (wanted.isEmpty()) {
        return true;
    }
    // addPaths answers with the paths it could not watch. A file gone between
    // the look and the watch is no failure: its return changes the folder.
    QStringList failed = watcher_->addPaths(wanted);
    failed.removeIf([](const QString& path) { return !QFileInfo::exists(path); });
    return failed.isEmpty();
}

QStringList FolderWatch::WantedPaths() const {
    if (!IsWatching()) {
        return {};
    }
    if (!QFileInfo(folder_).isDir()) {
        QString above = NearestExistingFolder(folder_);
        return above.isEmpty() ? QStringList{} : QStringList{above};
    }
    // The folder above sees the folder itself renamed away, which the
    // folder's own watch doesn't report.
    QStringList paths{folder_};
    if (const QString above = QFileInfo(folder_).absolutePath(); above != folder_) {
        paths.append(above);
    }
    for (const QString& file : files_) {
        if (QFileInfo(file).isFile()) {
            paths.append(QFileInfo(file).absoluteFilePath());
        }
    }
    return paths;
}

} // namespace velmora
