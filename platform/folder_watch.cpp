#include "platform/folder_watch.h"

#include <QFile>

namespace sorvenal {

FolderWatch::FolderWatch(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::Notice);
    connect(&settle_, &QTimer::timeout, this, [this] {
        firstNotice_.invalidate();
        emit Settled();
    });
}

void FolderWatch::Watch(const NativePath& folder) {
    if (folder == folder_ && (folder.isEmpty() || !watcher_.directories().isEmpty())) return;
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    settle_.stop();
    firstNotice_.invalidate();
    folder_ = folder;
    // A folder that cannot be watched (no inotify left, a file system without notices) is
    // still re-read by hand (F5).
    if (!folder.isEmpty()) watcher_.addPath(QFile::decodeName(folder));
}

void FolderWatch::Notice() {
    if (!firstNotice_.isValid()) firstNotice_.start();
    if (firstNotice_.elapsed() < kLongestWaitMs)
        settle_.start(kSettleMs);
    else if (!settle_.isActive())
        settle_.start(0);
}

void FolderWatch::Retry() { settle_.start(kSettleMs); }

}  // namespace sorvenal
