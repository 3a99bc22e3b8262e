#pragma once

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

namespace velmora {

// Watches a folder and some files in it, and signals once the changes have
// paused. PAT replaces files by renaming a new one over the old, which ends a
// file's own watch, so every change re-arms the watches; while the folder
// itself is gone, the nearest folder above it is watched until it returns.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kSettleMs = 300;

    explicit FolderWatch(QObject* parent);

    // Watches `folder` and the given files (full paths) in it.
    void Watch(const QString& folder, const QStringList& files);
    void Stop();
    bool IsWatching() const { return !folder_.isEmpty(); }
    // Asks for Settled again after another pause, as if something had changed.
    void SettleAgain();
    int WatchedPathCount() const;

signals:
    void Settled();

private:
    void Changed();
    void Rearm();
    QStringList WantedPaths() const;

    QFileSystemWatcher* watcher_;
    QTimer* settle_;
    QString folder_;
    QStringList files_;
};

} // namespace velmora
