#include "app/start_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace sorvenal {

QStringList StartFolderCandidates(const QString& given) {
    QStringList folders;
    if (!given.isEmpty()) folders << given;
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir() && !folders.contains(pictures))
        folders << pictures;
    const QString home = QDir::homePath();
    if (!folders.contains(home)) folders << home;
    if (!folders.contains(QDir::rootPath())) folders << QDir::rootPath();
    return folders;
}

StartArgument ParseStartArgument(const QString& argument) {
    if (argument.isEmpty()) return {};
    const QFileInfo info(argument);
    if (info.isFile()) return {QDir::cleanPath(info.absolutePath()), info.fileName()};
    return {QDir::cleanPath(info.absoluteFilePath()), QString()};
}

}  // namespace sorvenal
