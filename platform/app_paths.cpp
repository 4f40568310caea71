#include "platform/app_paths.h"

#include <QCoreApplication>
#include <QDir>

namespace sorvenal {

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

}  // namespace sorvenal
