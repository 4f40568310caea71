#pragma once
// File and folder operations on the disk, over the platform's file-system layer. Each returns a
// small result; only the window turns it into words. None of them ever replaces an existing
// name: the existence test the commands make first is for the message, the no-replace steps
// below are what keeps a file from being lost.
#include <QString>

#include "platform/file_system.h"

namespace sorvenal {

enum class FileOpStatus {
    Ok,
    Exists,            // the target name is taken; nothing was changed
    Failed,            // the system refused; nothing was changed
    SourceNotRemoved,  // a move across file systems made the copy but could not remove the source
};

// The words for `error` are ErrorText's (platform/error_texts.h), said by the window.
struct FileOpResult {
    FileOpStatus status = FileOpStatus::Ok;
    int error = 0;       // the error number, 0 when Ok
    NativePath culprit;  // the path the system refused
    bool ok() const { return status == FileOpStatus::Ok; }
};

// A normal file (a symbolic link counts when it leads to one).
bool FileExists(const NativePath& path);
// A folder; a plain file of that name is not a folder.
bool FolderExists(const NativePath& path);
// Whether `to` names something other than `from`: a case-only change of a name on a file system
// that ignores case names the same file and is not taken.
bool NameTakenBesides(const NativePath& from, const NativePath& to);

FileOpResult RenameFile(const NativePath& from, const NativePath& to);
// One file system: an atomic rename. Across file systems: copy, sync, then remove the source.
FileOpResult MoveFile(const NativePath& from, const NativePath& to);
// Copies through a temporary file that takes the name only when whole and synced.
FileOpResult CopyFile(const NativePath& from, const NativePath& to);
// Into the desktop's trash; a failure leaves the file where it was.
FileOpResult DeleteToTrash(const NativePath& path);
// Gone for good: only after the user has agreed to it.
FileOpResult DeleteForGood(const NativePath& path);

FileOpResult CreateFolder(const NativePath& path);
FileOpResult RenameFolder(const NativePath& from, const NativePath& to);

enum class NameProblem {
    None,
    Separator,    // would reach into another folder
    HiddenName,   // begins with ".": the lists would never show it again
    ControlChar,  // unreadable in every list and risky in scripts
};
// Checks a single name typed by the user. An empty name is for the callers to handle.
NameProblem ValidateNewName(const QString& name);

}  // namespace sorvenal
