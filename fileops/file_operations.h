#pragma once
// File and folder operations on the disk. Each returns a small result; only the window turns it
// into words. None of them ever replaces an existing name: the existence test the commands make
// first is for the message, the no-replace primitives are what keeps a file from being lost.
#include <QString>

namespace sorvenal {

enum class FileOpStatus {
    Ok,
    Exists,            // the target name is taken; nothing was changed
    Failed,            // the system refused; nothing was changed
    SourceNotRemoved,  // a move across file systems made the copy but could not remove the source
};

struct FileOpResult {
    FileOpStatus status = FileOpStatus::Ok;
    QString reason;  // the system's reason, empty when Ok
    bool ok() const { return status == FileOpStatus::Ok; }
};

// A normal file (a symbolic link counts when it leads to one).
bool FileExists(const QString& path);
// A folder; a plain file of that name is not a folder.
bool FolderExists(const QString& path);

FileOpResult RenameFile(const QString& from, const QString& to);
// One file system: an atomic rename. Across file systems: copy, verify, then remove the source.
FileOpResult MoveFile(const QString& from, const QString& to);
// Copies into a hidden temporary file beside the target, checks its size, then renames it into
// place without replacing; a failed copy leaves nothing behind.
FileOpResult CopyFile(const QString& from, const QString& to);

struct DeleteResult {
    FileOpResult result;
    bool movedToTrash = false;  // false with ok(): deleted for good, the file system has no trash
};
DeleteResult DeleteToTrash(const QString& path);

FileOpResult CreateFolder(const QString& path);
FileOpResult RenameFolder(const QString& from, const QString& to);

enum class NameProblem {
    None,
    Separator,    // would reach into another folder
    DotName,      // "." or ".."
    ControlChar,  // unreadable in every list and risky in scripts
};
// Checks a single name typed by the user. An empty name is for the callers to handle.
NameProblem ValidateNewName(const QString& name);

}  // namespace sorvenal
