#pragma once
// The six commands of the file menu, over what the main window lends them.
#include <QString>
#include <functional>

#include "platform/file_system.h"

class QDialog;
class QWidget;

namespace sorvenal {

class DialogService;
class FileList;
class FolderList;

struct FileOpsContext {
    FolderList* Dir1;
    FileList* File1;
    bool& DirCancel;  // the main window's flag: a change of folder clears the display
    DialogService& dialogs;
    std::function<void()> ClearDisplay;  // the preview and the pictures lose their pictures
    QWidget* parent;
    // Shows a dialog modally and returns when it has closed. Empty: QDialog::exec(). Tests pass
    // a function that fills the boxes and presses a button instead.
    std::function<void(QDialog&)> RunModal;
};

void RenameSelectedFile(FileOpsContext& ctx);   // "ファイル名の変更"
void MoveSelectedFile(FileOpsContext& ctx);     // "ファイルを 移動"
void CopySelectedFile(FileOpsContext& ctx);     // "ファイルを コピーして保存"
void DeleteSelectedFile(FileOpsContext& ctx);   // "ファイル削除"
void CreateNewFolder(FileOpsContext& ctx);      // "新しい フォルダーを作成"
void RenameCurrentFolder(FileOpsContext& ctx);  // "フォルダー名の変更"

}  // namespace sorvenal
