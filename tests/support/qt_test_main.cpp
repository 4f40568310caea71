// gtest main for widget tests.
#include "tests/support/qt_test_run.h"

int main(int argc, char** argv) { return RunQtTests(argc, argv); }
