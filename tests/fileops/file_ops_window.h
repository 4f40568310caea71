#pragma once
// What the main window lends the file commands, for the tests: its two lists, its DirCancel flag
// and a scripted dialog service, with counts of what the commands asked of it.
#include <QDialog>
#include <QString>
#include <QWidget>
#include <functional>

#include "fileops/file_commands.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "tests/support/scripted_dialogs.h"

namespace sorvenal::test {

struct FileOpsWindow {
    using Command = void (*)(FileOpsContext&);

    FileOpsWindow() { File1->SetPattern(QStringLiteral("*.bmp;*.jpg;*.gif")); }

    // Runs a command; `script` plays the user inside the modal dialog.
    void Run(Command command, const std::function<void(QDialog&)>& script = {}) {
        FileOpsContext ctx{Dir1,
                           File1,
                           DirCancel,
                           dialogs,
                           [this] { ++displayClears; },
                           &window,
                           [this, script](QDialog& dialog) {
                               ++dialogsOpened;
                               if (script) script(dialog);
                           }};
        command(ctx);
    }

    QWidget window;
    FolderList* Dir1 = new FolderList(&window);
    FileList* File1 = new FileList(&window);
    bool DirCancel = true;
    ScriptedDialogService dialogs;
    int displayClears = 0;
    int dialogsOpened = 0;
};

}  // namespace sorvenal::test
