#pragma once
// Shared by the libFuzzer entry points: a check's complaint ends the run as a crash.
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace sorvenal::fuzz {

inline int Report(const std::string& problem) {
    if (problem.empty()) return 0;
    std::fprintf(stderr, "fuzz check failed: %s\n", problem.c_str());
    std::abort();
}

// One scratch folder for the whole run, removed at exit.
inline const QString& ScratchFolder() {
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

}  // namespace sorvenal::fuzz
