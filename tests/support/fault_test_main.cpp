// gtest main for the fault tests: starts itself again with the fault shim preloaded (a test
// property cannot carry it through test discovery), then runs as the widget tests do.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <string>

#include "tests/support/fault.h"

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
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvenal"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
