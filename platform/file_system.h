#pragma once
// The one layer that touches the file system. Paths are the file system's own bytes, so a name
// that is not UTF-8 survives every step; QString is only for what the user reads.
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <functional>
#include <vector>

namespace sorvenal {

// A path or a name as the file system holds it.
using NativePath = QByteArray;

// The outcome of a file-system call: 0 or the error number, and the path the system refused,
// so that a message names the file at fault and not merely the one the user picked. The words
// for the number are error_texts' ErrorText.
struct FsStatus {
    int error = 0;
    NativePath path;
    bool ok() const { return error == 0; }
};
inline FsStatus FsOk() { return {}; }

// The error of a file that is not a plain file (a FIFO, a socket, a device) where one is needed.
inline constexpr int kNotRegularFile = ENODEV;

// What the user reads for a name: UTF-8 as it is; else Shift_JIS (CP932) when the bytes decode
// cleanly, as names from old Japanese media do; else UTF-8 with replacement marks.
QString ShownName(const NativePath& name);
// The same for a whole path, one component at a time.
QString ShownPath(const NativePath& path);
// The shown name for one row of a list: a control character would break the row in two or
// vanish, so a line break shows as ↵, a tab as →, any other as the replacement mark; marks that
// the usual fonts hold, where the control pictures (U+2400) show as empty boxes.
QString ShownRowName(const NativePath& name);
// A typed name or path to bytes (UTF-8).
NativePath NativeOf(const QString& text);

// Where a file name's extension starts (at its last dot), or its length when it has none;
// a leading dot (".profile") starts no extension.
qsizetype ExtensionAt(const QString& name);
qsizetype ExtensionAt(const NativePath& name);

NativePath JoinNative(const NativePath& folder, const NativePath& name);
NativePath ParentOf(const NativePath& path);  // "/" for "/" and for "/a"
NativePath BaseNameOf(const NativePath& path);
// Absolute, with "." and ".." and doubled separators resolved by the text alone.
NativePath CleanNativePath(const NativePath& path);

// Anything under the name, a dangling link included.
bool PathExists(const NativePath& path);
// A normal file (a symbolic link counts when it leads to one).
bool IsFile(const NativePath& path);
bool IsFolder(const NativePath& path);
// Two names of one file: hard links, or one name twice on a file system that ignores case.
bool SameFile(const NativePath& a, const NativePath& b);

struct FolderEntry {
    NativePath name;
    bool folder = false;  // else a normal file; other kinds are left out
};
// The entries of a folder that a list shows: no hidden names, no "." or "..". Nothing is
// stat'ed unless the folder does not say an entry's type; `foldersOnly` keeps the folders.
std::vector<FolderEntry> ListFolder(const NativePath& folder, bool foldersOnly = false);

// Never replaces the target. A name that differs from the source only in case on a file system
// that ignores case is the source itself: the rename then goes through a temporary name.
FsStatus RenameNoReplace(const NativePath& from, const NativePath& to);
// One file system: a rename. Across file systems: a durable copy, then the source is removed;
// `sourceKept` tells a finished copy whose source could not be removed.
FsStatus MoveNoReplace(const NativePath& from, const NativePath& to, bool* sourceKept = nullptr);
// Bytes, mode and times through a temporary file that is synced before it takes the name.
FsStatus CopyNoReplace(const NativePath& from, const NativePath& to);
FsStatus RemoveFile(const NativePath& path);
FsStatus MakeFolder(const NativePath& path, mode_t mode = 0777);
// Every missing folder of the path, each with `mode`.
FsStatus MakeFolders(const NativePath& path, mode_t mode);

// Writes a new file that appears whole or not at all: the content goes to an unnamed file
// (O_TMPFILE) or a hidden temporary one, is synced, and only then takes the name; the folder
// is synced after. Without `replace` an existing name is refused with EEXIST, also one that
// appears while writing. `fill` writes through the descriptor; a failure it returns without a
// path is laid on `path`.
FsStatus WriteFileAtomically(const NativePath& path, const std::function<FsStatus(int fd)>& fill,
                             mode_t mode = 0666, bool replace = false);

// Writes every byte, resuming after interruptions; false with errno set.
bool WriteAll(int fd, const char* data, size_t size);
// fsync of a folder, so that a new or renamed name survives a crash.
FsStatus SyncFolder(const NativePath& folder);

}  // namespace sorvenal
