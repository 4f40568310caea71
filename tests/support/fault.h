#pragma once
// Faults on demand through the preloaded shim (fault_shim.cpp), for the tests that run as root
// and so cannot be refused by permissions.
#include <QByteArray>

namespace sorvenal::test {

// While it lives, `call` fails with `error` for paths that contain `pathPart`. Calls: open,
// open_tmpfile, rename (also renameat2), link, unlink, mkdir, write, copy_file_range, fsync.
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
