#include "fileops/file_operations.h"

#include <cerrno>

#include "platform/trash.h"

namespace sorvenal {

FileOpResult FileOpOutcome(const FsStatus& status) {
    if (status.ok()) return {};
    const FileOpStatus kind = status.error == EEXIST ? FileOpStatus::Exists : FileOpStatus::Failed;
    return {kind, status.error, status.path};
}

bool NameTakenBesides(const NativePath& from, const NativePath& to) {
    if (from == to) return PathExists(to);
    return PathExists(to) && !SameFile(from, to);
}

FileOpResult MoveFile(const NativePath& from, const NativePath& to) {
    bool sourceKept = false;
    FileOpResult moved = FileOpOutcome(MoveNoReplace(from, to, &sourceKept));
    if (sourceKept) moved.status = FileOpStatus::SourceNotRemoved;
    return moved;
}

FileOpResult DeleteToTrash(const NativePath& path) {
    FileOpResult trashed = FileOpOutcome(MoveToTrash(path));
    // A name taken inside the trash is the trash's trouble, not a file the user must rename.
    if (trashed.status == FileOpStatus::Exists) trashed.status = FileOpStatus::Failed;
    return trashed;
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
