#pragma once
// The desktop's trash, as file managers share it: the home trash for files on the home file
// system, else the trash at the top of the file's own file system. A move to the trash is a
// rename, never a copy, and every failure comes back as an error; the caller decides whether
// to delete for good.
#include "platform/file_system.h"

namespace sorvenal {

// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when that is unset; it may not exist yet.
NativePath HomeTrashFolder();

// Moves the file or folder at `path` into the trash, with an info file that tells where it came
// from and when. `trashedAs`, when given, receives the name the entry now has under files/.
FsStatus MoveToTrash(const NativePath& path, NativePath* trashedAs = nullptr);

// The Path= value: each byte outside the unreserved set written as %XX, separators kept.
QByteArray TrashInfoEscape(const NativePath& path);

}  // namespace sorvenal
