// Wiring of the file and folder operations, help and version.
#include "app/main_window.h"

namespace sorvenal {

void Form1::mnuRename_Click() {
    // renames the selected file
}

void Form1::mnuMove_Click() {
    // moves the selected file
}

void Form1::mnuCopysave_Click() {
    // copies the selected file
}

void Form1::mnuDelete_Click() {
    // deletes the selected file
}

void Form1::mnuForder_Click() {
    // creates a folder
}

void Form1::mnuFrename_Click() {
    // renames the current folder
}

void Form1::mnuReadme_Click() {
    // opens the help
}

void Form1::mnuHelpMenu_Click() {
    // shows the version dialog
}

}  // namespace sorvenal
