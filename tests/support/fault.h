#pragma once
// Faults on demand through the preloaded shim (fault_shim.cpp), for the tests that run as root
// and so cannot be refused by permissions.
#include <QByteArray>

namespace sorvenal::test {

// While it lives, `call` fails with `error` for paths that contain `pathPart`. Calls: open,
// open_tmpfile, rename (also renameat2), renameat2 alone, link, unlink, mkdir, write,
// copy_file_range, fsync. Two are no failures: "appear" (any error number) makes another
// program create the file just before an exclusive create or a rename onto it, "ino" adds
// the number to the inode stat, lstat and fstat report, and "fold" finds names whatever their
// case in open, stat, lstat and rename, as FAT does.
class ScopedFault {
public:
    ScopedFault(const char* call, int error, const QByteArray& pathPart);
    ~ScopedFault();
    ScopedFault(const ScopedFault&) = delete;
    ScopedFault& operator=(const ScopedFault&) = delete;

    // False when the shim is not preloaded: every fault test checks this first.
    static bool ShimLoaded();

private:
    QByteArray saved_;
    bool hadValue_ = false;
};

}  // namespace sorvenal::test
