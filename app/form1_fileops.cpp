// Wiring of the file and folder operations, help and version.
#include <QLabel>

#include "app/main_window.h"
#include "fileops/file_commands.h"
#include "platform/app_paths.h"
#include "savehelp/help.h"
#include "savehelp/version_dialog.h"

namespace sorvenal {

namespace {
// What the file commands may touch of the main window.
FileOpsContext FileOpsOf(Form1& form) {
    // The file commands clear the pictures but leave the size caption as it was.
    auto clearPictures = [&form] {
        const QString caption = form.Label5->text();
        form.ClearDisplay();
        form.Label5->setText(caption);
    };
    return FileOpsContext{form.Dir1, form.File1, form.DirCancel, form.dialogs(), clearPictures,
                          &form,     {}};
}
}  // namespace

void Form1::mnuRename_Click() {
    if (RunAfterShow(&Form1::mnuRename_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOpsOf(*this);
    RenameSelectedFile(ctx);
}

void Form1::mnuMove_Click() {
    if (RunAfterShow(&Form1::mnuMove_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOpsOf(*this);
    MoveSelectedFile(ctx);
}

void Form1::mnuCopysave_Click() {
    if (RunAfterShow(&Form1::mnuCopysave_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOpsOf(*this);
    CopySelectedFile(ctx);
}

void Form1::mnuDelete_Click() {
    if (RunAfterShow(&Form1::mnuDelete_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOpsOf(*this);
    DeleteSelectedFile(ctx);
}

void Form1::mnuForder_Click() {
    if (RunAfterShow(&Form1::mnuForder_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOpsOf(*this);
    CreateNewFolder(ctx);
}

void Form1::mnuFrename_Click() {
    if (RunAfterShow(&Form1::mnuFrename_Click)) return;
    WaitForFullPicture();
    FileOpsContext ctx = FileOpsOf(*this);
    RenameCurrentFolder(ctx);
}

void Form1::mnuReadme_Click() { OpenHelp(this, dialogs(), HelpFolder()); }

void Form1::mnuHelpMenu_Click() { ShowVersionDialog(this, windowIcon()); }

}  // namespace sorvenal
