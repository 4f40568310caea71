// Two file operations against what they should cost: a delete to the trash on the same file
// system (a rename, plus the syncs that make it stick) and a 100 MB copy against cp.
//   file_ops_bench PHOTO.jpg [RUNS]
// Everything happens in a fresh folder beside the photo, so the trash is on its file system.
// Times are wall clock, in milliseconds; each figure is the median of RUNS runs.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_stats.h"
#include "platform/file_system.h"
#include "platform/trash.h"
#include "tests/support/fs_helpers.h"

extern char** environ;

namespace {

using sorvenal::NativePath;
using sorvenal::bench::Clock;
using sorvenal::bench::Median;
using sorvenal::bench::Ms;

bool Spawn(std::vector<std::string> args) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "file_ops_bench: %s failed\n", what);
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: file_ops_bench PHOTO.jpg [RUNS]\n");
        return 2;
    }
    const NativePath photo = sorvenal::CleanNativePath(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    char pattern[] = "file-ops-XXXXXX";
    const NativePath work = sorvenal::JoinNative(sorvenal::ParentOf(photo), pattern);
    std::vector<char> name(work.begin(), work.end());
    name.push_back('\0');
    Check(::mkdtemp(name.data()) != nullptr, "mkdtemp");
    const NativePath root(name.data());
    const NativePath data = sorvenal::JoinNative(root, "data");
    ::setenv("XDG_DATA_HOME", data.constData(), 1);
    const QByteArray content = sorvenal::test::ReadFile(photo);
    Check(content != "<missing>", "reading the photo");

    // Delete to the trash: each run trashes a fresh copy, written outside the timing.
    std::vector<double> trash;
    for (int i = 0; i < runs + 1; ++i) {
        const NativePath file = sorvenal::JoinNative(root, "photo.jpg");
        sorvenal::test::WriteFile(file, content);
        ::sync();
        const Clock::time_point start = Clock::now();
        Check(sorvenal::MoveToTrash(file).ok(), "MoveToTrash");
        if (i > 0) trash.push_back(Ms(Clock::now() - start));  // the first also makes the trash
    }

    // Copy of 100 MB, ours and cp, alternating so that both see the same state of the disk.
    const NativePath source = sorvenal::JoinNative(root, "big.bin");
    QByteArray big(100 << 20, '\0');
    std::mt19937 random(1);
    for (qsizetype i = 0; i < big.size(); i += 4) {
        const std::uint32_t word = random();
        std::memcpy(big.data() + i, &word, 4);
    }
    sorvenal::test::WriteFile(source, big);
    const NativePath target = sorvenal::JoinNative(root, "copy.bin");
    std::vector<double> ours, cp, cpSync;
    for (int i = 0; i < runs; ++i) {
        ::unlink(target.constData());
        ::sync();
        Clock::time_point start = Clock::now();
        Check(sorvenal::CopyNoReplace(source, target).ok(), "CopyNoReplace");
        ours.push_back(Ms(Clock::now() - start));

        ::unlink(target.constData());
        ::sync();
        start = Clock::now();
        Check(Spawn({"cp", source.toStdString(), target.toStdString()}), "cp");
        cp.push_back(Ms(Clock::now() - start));

        ::unlink(target.constData());
        ::sync();
        // cp does not sync; this is the same promise ours keeps.
        start = Clock::now();
        Check(Spawn({"sh", "-c", "cp \"$0\" \"$1\" && sync \"$1\"", source.toStdString(),
                     target.toStdString()}),
              "cp + sync");
        cpSync.push_back(Ms(Clock::now() - start));
    }
    Check(sorvenal::test::ReadFile(target) == big, "the copy's bytes");
    Spawn({"rm", "-rf", root.toStdString()});

    const double trashMs = Median(trash), oursMs = Median(ours), cpMs = Median(cp),
                 cpSyncMs = Median(cpSync);
    std::printf("runs                         %d\n", runs);
    std::printf("trash, 24 MP JPEG (%5.1f MB)  %8.3f ms\n", content.size() / 1e6, trashMs);
    std::printf("copy 100 MB, ours            %8.2f ms\n", oursMs);
    std::printf("copy 100 MB, cp              %8.2f ms   ours/cp      %.2f\n", cpMs, oursMs / cpMs);
    std::printf("copy 100 MB, cp + sync FILE  %8.2f ms   ours/cp+sync %.2f\n", cpSyncMs,
                oursMs / cpSyncMs);
    return 0;
}
