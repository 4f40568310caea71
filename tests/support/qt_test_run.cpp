#include "tests/support/qt_test_run.h"

#include <gtest/gtest.h>

#include <QApplication>

int RunQtTests(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvenal"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
