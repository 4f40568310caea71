#include "tests/support/qt_test_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int RunQtTests(int argc, char** argv) {
    // Journals of unsaved work go to a folder of the run's own, never the user's.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvenal"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
