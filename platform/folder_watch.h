#pragma once
// Watches the shown folder for changes made by other programs. Notices come in bursts (a copy
// writes, a sync renames one name after another): Settled is raised once they have stopped for
// kSettleMs, or after kLongestWaitMs of notices that do not stop (a file written for minutes).
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "platform/file_system.h"

namespace sorvenal {

class FolderWatch : public QObject {
    Q_OBJECT

public:
    static constexpr int kSettleMs = 300;
    static constexpr int kLongestWaitMs = 2000;

    explicit FolderWatch(QObject* parent = nullptr);

    // Watches `folder` instead of the one before; empty watches nothing. A notice still
    // settling for the old folder is dropped.
    void Watch(const NativePath& folder);
    NativePath Folder() const { return folder_; }
    // Settled comes again after kSettleMs, for a change that could not be applied yet.
    void Retry();

signals:
    void Settled();

private:
    void Notice();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QElapsedTimer firstNotice_;
    NativePath folder_;
};

}  // namespace sorvenal
