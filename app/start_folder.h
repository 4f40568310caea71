#pragma once
// Where browsing starts.
#include <QString>
#include <QStringList>

namespace sorvenal {

// The folders to try in order: the given one (when not empty), the user's Pictures folder
// where it exists, the home folder, the root.
QStringList StartFolderCandidates(const QString& given);

// A command-line argument: a folder is the start folder; a picture's folder is the start
// folder and the picture is selected once browsing begins.
struct StartArgument {
    QString folder;
    QString pictureName;  // empty unless a picture was given
};
StartArgument ParseStartArgument(const QString& argument);

}  // namespace sorvenal
