#pragma once
// What the file commands add to the platform's file-system layer: the outcome of a step as the
// commands report it, the two steps that do more than one call, and the checks of a typed name.
// Renames, copies, new folders and removals call the platform (RenameNoReplace, CopyNoReplace,
// MakeFolder, RemoveFile) and take FileOpOutcome of its status. None of them ever replaces an
// existing name: the existence test the commands make first is for the message, the no-replace
// steps are what keeps a file from being lost.
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

// A platform step's status as the commands report it: a taken name (EEXIST) is Exists.
FileOpResult FileOpOutcome(const FsStatus& status);

// Whether `to` names something other than `from`: a case-only change of a name on a file system
// that ignores case names the same file and is not taken.
bool NameTakenBesides(const NativePath& from, const NativePath& to);

// One file system: an atomic rename. Across file systems: copy, sync, then remove the source.
FileOpResult MoveFile(const NativePath& from, const NativePath& to);
// Into the desktop's trash; a failure leaves the file where it was.
FileOpResult DeleteToTrash(const NativePath& path);

enum class NameProblem {
    None,
    Separator,    // would reach into another folder
    HiddenName,   // begins with ".": the lists would never show it again
    ControlChar,  // unreadable in every list and risky in scripts
};
// Checks a single name typed by the user. An empty name is for the callers to handle.
NameProblem ValidateNewName(const QString& name);

}  // namespace sorvenal
