// gtest main for the fault tests: starts itself again with the fault shim preloaded (a test
// property cannot carry it through test discovery), then runs as the widget tests do.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/support/fault.h"
#include "tests/support/qt_test_run.h"

int main(int argc, char** argv) {
    if (!sorvenal::test::ScopedFault::ShimLoaded() && !std::getenv("SORVENAL_FAULT_RESTARTED")) {
        ::setenv("SORVENAL_FAULT_RESTARTED", "1", 1);
        std::string preload = SORVENAL_FAULT_SHIM;
        if (const char* other = std::getenv("LD_PRELOAD")) preload += std::string(":") + other;
        ::setenv("LD_PRELOAD", preload.c_str(), 1);
        // Under AddressSanitizer its runtime would insist on coming first.
        std::string asan = "verify_asan_link_order=0";
        if (const char* other = std::getenv("ASAN_OPTIONS")) asan = std::string(other) + ":" + asan;
        ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
        ::execv("/proc/self/exe", argv);
    }
    return RunQtTests(argc, argv);
}
