#pragma once
// The folder list: the current folder with its ancestors above and its subfolders below.
// Listings are synchronous, so a change of path has re-read the disk before the next statement.
#include <QListWidget>
#include <QString>

#include "platform/file_system.h"

namespace sorvenal {

class FileList;

class FolderList : public QListWidget {
    Q_OBJECT

public:
    explicit FolderList(QWidget* parent = nullptr);

    QString Path() const { return ShownPath(path_); }
    // The current folder as the file system's bytes.
    NativePath NativeFolder() const { return path_; }
    // Changes to a readable folder and raises Change when the path differs. A folder that cannot
    // be read leaves the list where it was and returns false.
    bool SetPath(const QString& path);
    bool SetNativePath(const NativePath& path);
    // The parent of the current folder, as the list shows it one level up; empty for the root.
    QString ListParent() const;
    NativePath NativeParent() const;
    // Re-reads the subfolders of the current folder without raising Change.
    void Reread();
    // Until the next Reread, a change of path lists the folder and its ancestors only: the
    // start reads the subfolders after its first paint.
    void DeferSubfolders() { subfoldersDeferred_ = true; }

    static bool IsReadableFolder(const QString& path);
    static bool IsReadableFolder(const NativePath& path);
    static QString RootPath();

signals:
    void Change();
    // The user chose a folder that cannot be opened.
    void PathRefused(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();
    void Activate(QListWidgetItem* item);

    NativePath path_;
    bool subfoldersDeferred_ = false;
};

// Dir1 to the root and back to `folder`, so that the window's folder change runs and both
// lists re-read the disk; at the root itself, where no change is raised, they re-read by hand.
// `file1` may be null.
void RelistFolders(FolderList& dir1, FileList* file1, const NativePath& folder);

}  // namespace sorvenal
