#include "app/start_folder.h"

#include <QDir>
#include <QStandardPaths>

namespace sorvenal {

QList<NativePath> StartFolderCandidates(const NativePath& given) {
    QList<NativePath> folders;
    if (!given.isEmpty()) folders << given;
    const NativePath pictures =
        NativeOf(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    if (!pictures.isEmpty() && IsFolder(pictures) && !folders.contains(pictures))
        folders << pictures;
    const NativePath home = NativeOf(QDir::homePath());
    if (!folders.contains(home)) folders << home;
    if (!folders.contains("/")) folders << "/";
    return folders;
}

StartArgument ParseStartArgument(const NativePath& argument) {
    if (argument.isEmpty()) return {};
    const NativePath path = CleanNativePath(argument);
    if (IsFile(path)) return {ParentOf(path), BaseNameOf(path)};
    return {path, {}};
}

}  // namespace sorvenal
