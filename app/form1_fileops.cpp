// Wiring of the file and folder operations, help and version.
#include <QLabel>

#include "app/main_window.h"
#include "fileops/file_commands.h"
#include "platform/app_paths.h"
#include "savehelp/help.h"
#include "savehelp/version_dialog.h"

namespace sorvenal {

// What the file commands may touch of the main window.
FileOpsContext Form1::FileOps() {
    // The file commands clear the pictures but leave the size caption as it was.
    auto clearPictures = [this] {
        const QString caption = Label5->text();
        ClearDisplay();
        Label5->setText(caption);
    };
    return FileOpsContext{Dir1, File1, DirCancel, dialogs(), clearPictures, this, {}};
}

void Form1::mnuRename_Click() {
    if (RunAfterShow(&Form1::mnuRename_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOps();
    RenameSelectedFile(ctx);
}

void Form1::mnuMove_Click() {
    if (RunAfterShow(&Form1::mnuMove_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOps();
    MoveSelectedFile(ctx);
}

void Form1::mnuCopysave_Click() {
    if (RunAfterShow(&Form1::mnuCopysave_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOps();
    CopySelectedFile(ctx);
}

void Form1::mnuDelete_Click() {
    if (RunAfterShow(&Form1::mnuDelete_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOps();
    DeleteSelectedFile(ctx);
}

void Form1::mnuForder_Click() {
    if (RunAfterShow(&Form1::mnuForder_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOps();
    CreateNewFolder(ctx);
}

void Form1::mnuFrename_Click() {
    if (RunAfterShow(&Form1::mnuFrename_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOps();
    RenameCurrentFolder(ctx);
}

void Form1::mnuReadme_Click() { OpenHelp(this, dialogs(), HelpFolder()); }

void Form1::mnuHelpMenu_Click() { ShowVersionDialog(this, windowIcon()); }

}  // namespace sorvenal
