#pragma once
// The widget tests' run: one QApplication for the whole run, on the offscreen platform unless
// QT_QPA_PLATFORM names another.
int RunQtTests(int argc, char** argv);
