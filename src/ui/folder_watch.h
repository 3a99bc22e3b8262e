#pragma once

#include <QObject>
#include <QStringList>

#include <sys/types.h>

#include <optional>
#include <utility>

class QFileSystemWatcher;
class QTimer;

namespace velmora {

// Watches a folder and some files in it, and signals once the changes have
// paused. PAT replaces files by renaming a new one over the old, which ends a
// file's own watch, so every change re-arms the watches; while the folder
// itself is gone, the nearest folder above it is watched until it returns, and
// while it is there the folder above it too, which sees it renamed away.
// A path the system refuses to watch (a folder it may not read, no inotify
// watches left) is not silently dropped: Watch answers false and a later
// re-arm signals Stalled, and Rearm tries again.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kSettleMs = 300;

    explicit FolderWatch(QObject* parent);

    // Watches `folder` and the given files (full paths) in it; false when
    // some of them could not be watched.
    bool Watch(const QString& folder, const QStringList& files);
    // Watches what is wanted now; false when some of it could not be watched.
    bool Rearm();
    void Stop();
    bool IsWatching() const { return !folder_.isEmpty(); }
    // Asks for Settled again after another pause, as if something had changed.
    void SettleAgain();
    int WatchedPathCount() const;

signals:
    void Settled();
    // A re-arm after a change could not watch everything wanted.
    void Stalled();

private:
    void Changed();
    void RearmAfterChange();
    QStringList WantedPaths() const;

    QFileSystemWatcher* watcher_;
    std::optional<std::pair<dev_t, ino_t>> watchedFolder_;
    QTimer* settle_;
    QString folder_;
    QStringList files_;
};

} // namespace velmora
