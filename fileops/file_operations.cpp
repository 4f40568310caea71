#include "fileops/file_operations.h"

#include <cerrno>

#include "platform/trash.h"

namespace sorvenal {

namespace {

FileOpResult From(const FsStatus& status) {
    if (status.ok()) return {};
    const FileOpStatus kind = status.error == EEXIST ? FileOpStatus::Exists : FileOpStatus::Failed;
    return {kind, status.error, status.path};
}

}  // namespace

bool FileExists(const NativePath& path) { return IsFile(path); }

bool FolderExists(const NativePath& path) { return IsFolder(path); }

bool NameTakenBesides(const NativePath& from, const NativePath& to) {
    if (from == to) return PathExists(to);
    return PathExists(to) && !SameFile(from, to);
}

FileOpResult RenameFile(const NativePath& from, const NativePath& to) {
    return From(RenameNoReplace(from, to));
}

FileOpResult MoveFile(const NativePath& from, const NativePath& to) {
    bool sourceKept = false;
    FileOpResult moved = From(MoveNoReplace(from, to, &sourceKept));
    if (sourceKept) moved.status = FileOpStatus::SourceNotRemoved;
    return moved;
}

FileOpResult CopyFile(const NativePath& from, const NativePath& to) {
    return From(CopyNoReplace(from, to));
}

FileOpResult DeleteToTrash(const NativePath& path) {
    FileOpResult trashed = From(MoveToTrash(path));
    // A name taken inside the trash is the trash's trouble, not a file the user must rename.
    if (trashed.status == FileOpStatus::Exists) trashed.status = FileOpStatus::Failed;
    return trashed;
}

FileOpResult DeleteForGood(const NativePath& path) { return From(RemoveFile(path)); }

FileOpResult CreateFolder(const NativePath& path) { return From(MakeFolder(path)); }

FileOpResult RenameFolder(const NativePath& from, const NativePath& to) {
    return From(RenameNoReplace(from, to));
}

NameProblem ValidateNewName(const QString& name) {
    if (name.contains(QLatin1Char('/'))) return NameProblem::Separator;
    if (name.startsWith(QLatin1Char('.'))) return NameProblem::HiddenName;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control)
            return NameProblem::ControlChar;
    }
    return NameProblem::None;
}

}  // namespace sorvenal
