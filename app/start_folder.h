#pragma once
// Where browsing starts. Paths are the file system's bytes, as a file manager passes them.
#include <QList>

#include "platform/file_system.h"

namespace sorvenal {

// The folders to try in order: the given one (when not empty), the user's Pictures folder
// where it exists, the home folder, the root.
QList<NativePath> StartFolderCandidates(const NativePath& given);

// A command-line argument: a folder is the start folder; a picture's folder is the start
// folder and the picture is selected once browsing begins.
struct StartArgument {
    NativePath folder;
    NativePath pictureName;  // empty unless a picture was given
};
StartArgument ParseStartArgument(const NativePath& argument);

}  // namespace sorvenal
