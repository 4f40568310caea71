// Wiring of the file and folder operations, help and version.
#include <QLabel>

#include "app/main_window.h"
#include "fileops/file_commands.h"
#include "platform/app_paths.h"
#include "savehelp/help.h"
#include "savehelp/version_dialog.h"

namespace sorvenal {

// The file commands touch no more of the main window than their context lends them.
void Form1::RunFileCommand(void (*command)(FileOpsContext&)) {
    // They clear the pictures but leave the size caption as it was.
    auto clearPictures = [this] {
        const QString caption = Label5->text();
        ClearDisplay();
        Label5->setText(caption);
    };
    FileOpsContext context{Dir1, File1, DirCancel, dialogs(), clearPictures, this, {}};
    command(context);
}

void Form1::mnuRename_Click() { RunFileCommand(&RenameSelectedFile); }
void Form1::mnuMove_Click() { RunFileCommand(&MoveSelectedFile); }
void Form1::mnuCopysave_Click() { RunFileCommand(&CopySelectedFile); }
void Form1::mnuDelete_Click() { RunFileCommand(&DeleteSelectedFile); }
void Form1::mnuForder_Click() { RunFileCommand(&CreateNewFolder); }
void Form1::mnuFrename_Click() { RunFileCommand(&RenameCurrentFolder); }

void Form1::mnuReadme_Click() { OpenHelp(this, dialogs(), HelpFolder()); }

void Form1::mnuHelpMenu_Click() { ShowVersionDialog(this, windowIcon()); }

}  // namespace sorvenal
