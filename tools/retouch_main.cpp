// sorvenal-retouch: the retouch menu and the circle effects from the command line.
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <cstdio>
#include <string>

#include "sorvenal/version.h"
#include "tools/retouch_args.h"
#include "tools/retouch_run.h"

int main(int argc, char** argv) {
    using namespace sorvenal;
    const RetouchArgsResult parsed =
        ParseRetouchArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.args.help) {
        std::fputs(RetouchUsage(), stdout);
        return kExitOk;
    }
    if (parsed.args.version) {
        std::fputs("sorvenal-retouch " SORVENAL_VERSION "\n", stdout);
        return kExitOk;
    }
    if (!parsed.ok()) {
        std::fprintf(stderr, "sorvenal-retouch: %s (使い方は --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    QCoreApplication app(argc, argv);  // for the image format plugins

    RetouchReport report;
    std::string label;  // written before each pass starts, read by its workers
    std::atomic<int> shown{-1};
    if (::isatty(STDERR_FILENO)) {
        report.stepStarted = [&](int index, int count, const std::string& step) {
            label = "[" + std::to_string(index + 1) + "/" + std::to_string(count) + "] " + step;
            shown = -1;
            std::fprintf(stderr, "\r\033[K%s", label.c_str());
        };
        // Called from the pass's worker threads: print only when the percentage rises.
        report.progress = [&](int done, int total) {
            const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 100;
            int before = shown.load();
            while (percent > before) {
                if (shown.compare_exchange_weak(before, percent)) {
                    std::fprintf(stderr, "\r\033[K%s %d%%", label.c_str(), percent);
                    break;
                }
            }
        };
    }
    std::string error;
    const int code = RunRetouch(parsed.args, report, error);
    if (report.stepStarted) std::fputs("\r\033[K", stderr);
    if (code != kExitOk) std::fprintf(stderr, "sorvenal-retouch: %s\n", error.c_str());
    return code;
}
