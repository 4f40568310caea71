#include "fileops/file_commands.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "fileops/file_dialogs.h"
#include "fileops/file_operations.h"
#include "platform/app_paths.h"
#include "platform/dialog_service.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"

namespace sorvenal {

namespace {

// Every message of the file menu, in one place.
const QString kExists = QStringLiteral("　は既に存在します");
const QString kFolderExists = QStringLiteral("　フォルダーは既に存在します");
const QString kDeleteQuestion = QStringLiteral(" を削除しますか");
const QString kRenameFailed = QStringLiteral("名前を変更できませんでした: ");
const QString kMoveFailed = QStringLiteral("移動できませんでした: ");
const QString kSourceKept =
    QStringLiteral("移動先にコピーしましたが、元のファイルを削除できませんでした: ");
const QString kCopyFailed = QStringLiteral("コピーできませんでした: ");
const QString kDeleteFailed = QStringLiteral("削除できませんでした: ");
const QString kCreateFailed = QStringLiteral("フォルダーを作成できませんでした: ");
const QString kFolderRenameFailed = QStringLiteral("フォルダー名を変更できませんでした: ");
const QString kRootHasNoName = QStringLiteral("最上位のフォルダーの名前は変更できません");
const QString kBadName = QStringLiteral("この名前は使えません: ");
const QString kBadSeparator = QStringLiteral("「/」を含む名前は使えません");
const QString kBadDots = QStringLiteral("「.」と「..」は名前に使えません");
const QString kBadControl = QStringLiteral("制御文字を含む名前は使えません");

// Rename, move, copy and delete need a selected file: a name longer than its extension.
bool SelectionTest(const FileOpsContext& ctx) { return ctx.File1->FileName().length() > 4; }

void Run(FileOpsContext& ctx, QDialog& dialog) {
    if (ctx.RunModal)
        ctx.RunModal(dialog);
    else
        ExecActive(dialog);
}

// A typed name that would leave the folder or is no name at all is refused before the disk
// is touched.
bool NameAcceptable(FileOpsContext& ctx, QWidget* parent, const QString& name) {
    QString why;
    switch (ValidateNewName(name)) {
        case NameProblem::None:
            return true;
        case NameProblem::Separator:
            why = kBadSeparator;
            break;
        case NameProblem::DotName:
            why = kBadDots;
            break;
        case NameProblem::ControlChar:
            why = kBadControl;
            break;
    }
    ctx.dialogs.Message(parent, kBadName + name + QLatin1Char('\n') + why);
    return false;
}

// A refused step is said, never skipped in silence. A name taken meanwhile gets the same words
// as the existence test before it.
void Report(FileOpsContext& ctx, QWidget* parent, const FileOpResult& result,
            const QString& existsText, const QString& failedText, const QString& path) {
    switch (result.status) {
        case FileOpStatus::Ok:
            return;
        case FileOpStatus::Exists:
            ctx.dialogs.Message(parent, existsText);
            return;
        case FileOpStatus::Failed:
            ctx.dialogs.Message(parent, failedText + path + QLatin1Char('\n') + result.reason);
            return;
        case FileOpStatus::SourceNotRemoved:
            ctx.dialogs.Message(parent, kSourceKept + path + QLatin1Char('\n') + result.reason);
            return;
    }
}

}  // namespace

void Relist(FolderList* dir1, FileList* file1, const QString& savedFolder) {
    bool changed = false;
    const auto watch = QObject::connect(dir1, &FolderList::Change, [&changed] { changed = true; });
    dir1->SetPath(FolderList::RootPath());
    dir1->SetPath(savedFolder);
    QObject::disconnect(watch);
    // At the root itself neither step changes the path, yet the files must be re-read.
    if (!changed) {
        dir1->Reread();
        file1->Reread();
    }
}

void RenameSelectedFile(FileOpsContext& ctx) {
    if (!SelectionTest(ctx)) return;
    Form7 form(ctx.File1->FileName(), ctx.parent);
    QObject::connect(form.Command2, &QPushButton::clicked, &form, [&ctx, &form] {
        const int index = ctx.File1->ListIndex();
        const QString saved = ctx.Dir1->Path();
        const QString fileName = ctx.File1->FileName();
        const QString typed = form.Text1->text();
        // The old extension is always kept, whatever was typed.
        const QString newName = typed + fileName.right(4);
        const QString oldPath = JoinPath(saved, fileName);
        const QString newPath = JoinPath(saved, newName);
        if (typed.isEmpty() || !NameAcceptable(ctx, &form, newName)) {
            form.accept();
            return;
        }
        if (FileExists(newPath)) {
            ctx.dialogs.Message(&form, newName + kExists);
            form.accept();
            return;
        }
        Report(ctx, &form, RenameFile(oldPath, newPath), newName + kExists, kRenameFailed, oldPath);
        Relist(ctx.Dir1, ctx.File1, saved);
        // Selects whatever now stands at that place, which loads and previews it.
        ctx.File1->SetListIndex(index);
        form.accept();
    });
    Run(ctx, form);
}

void MoveSelectedFile(FileOpsContext& ctx) {
    if (!SelectionTest(ctx)) return;
    ctx.DirCancel = false;
    Form6 form(ctx.Dir1->Path(), ctx.parent);
    form.Command14->show();
    QObject::connect(form.Command14, &QPushButton::clicked, &form, [&ctx, &form] {
        const QString saved = ctx.Dir1->Path();
        const QString fileName = ctx.File1->FileName();
        const QString source = JoinPath(saved, fileName);
        const QString destination = JoinPath(form.Dir2->Path(), fileName);
        // Left on the current folder, the destination is the source itself: only the message.
        if (FileExists(destination))
            ctx.dialogs.Message(&form, destination + kExists);
        else
            Report(ctx, &form, MoveFile(source, destination), destination + kExists, kMoveFailed,
                   source);
        if (ctx.ClearDisplay) ctx.ClearDisplay();
        Relist(ctx.Dir1, ctx.File1, saved);
        ctx.DirCancel = true;
        form.accept();
    });
    Run(ctx, form);
}

void CopySelectedFile(FileOpsContext& ctx) {
    if (!SelectionTest(ctx)) return;
    Form6 form(ctx.Dir1->Path(), ctx.parent);
    form.Command13->show();
    QObject::connect(form.Command13, &QPushButton::clicked, &form, [&ctx, &form] {
        const QString fileName = ctx.File1->FileName();
        const QString source = JoinPath(ctx.Dir1->Path(), fileName);
        const QString destination = JoinPath(form.Dir2->Path(), fileName);
        if (FileExists(destination))
            ctx.dialogs.Message(&form, destination + kExists);
        else
            Report(ctx, &form, CopyFile(source, destination), destination + kExists, kCopyFailed,
                   destination);
        form.accept();
    });
    Run(ctx, form);
}

void DeleteSelectedFile(FileOpsContext& ctx) {
    const QString saved = ctx.Dir1->Path();
    const QString fileName = ctx.File1->FileName();
    const QString fullPath = JoinPath(saved, fileName);
    if (!SelectionTest(ctx)) return;
    if (!ctx.dialogs.AskYesNo(ctx.parent, fileName + kDeleteQuestion)) return;
    // To the trash, so a wrong answer can be undone; only without a trash is it gone for good.
    const DeleteResult deleted = DeleteToTrash(fullPath);
    Report(ctx, ctx.parent, deleted.result, fullPath + kExists, kDeleteFailed, fullPath);
    Relist(ctx.Dir1, ctx.File1, saved);
    if (ctx.ClearDisplay) ctx.ClearDisplay();
}

void CreateNewFolder(FileOpsContext& ctx) {
    ctx.DirCancel = false;
    Form6 form(ctx.Dir1->Path(), ctx.parent);
    form.Command15->show();
    form.Label16->show();
    form.Text2->show();
    QObject::connect(form.Command15, &QPushButton::clicked, &form, [&ctx, &form] {
        const QString saved = ctx.Dir1->Path();
        const int index = ctx.File1->ListIndex();
        const QString typed = form.Text2->text();
        const QString newPath = JoinPath(form.Dir2->Path(), typed);
        if (typed.isEmpty() || !NameAcceptable(ctx, &form, typed)) {
            form.accept();
            return;
        }
        if (FolderExists(newPath)) {
            ctx.dialogs.Message(&form, newPath + kExists);
            form.accept();
            return;
        }
        // A plain file of that name is not a folder, so it passes the test above and the
        // creation itself reports it.
        Report(ctx, &form, CreateFolder(newPath), newPath + kExists, kCreateFailed, newPath);
        Relist(ctx.Dir1, ctx.File1, saved);
        if (index >= 0) ctx.File1->SetListIndex(index);
        ctx.DirCancel = true;
        form.accept();
    });
    Run(ctx, form);
}

void RenameCurrentFolder(FileOpsContext& ctx) {
    const QString parentPath = ctx.Dir1->ListParent();
    if (parentPath.isEmpty()) {
        ctx.dialogs.Message(ctx.parent, kRootHasNoName);
        return;
    }
    Form5 form(ctx.Dir1->Path(), parentPath, ctx.parent);
    QObject::connect(form.Command12, &QPushButton::clicked, &form, [&ctx, &form] {
        const QString oldPath = ctx.Dir1->Path();
        const QString parent = ctx.Dir1->ListParent();
        const QString typed = form.Text1->text();
        const QString newPath = JoinPath(parent, typed);
        if (typed.isEmpty() || !NameAcceptable(ctx, &form, typed)) {
            form.accept();
            return;
        }
        if (FolderExists(newPath)) {
            ctx.dialogs.Message(&form, typed + kFolderExists);
            form.accept();
            return;
        }
        Report(ctx, &form, RenameFolder(oldPath, newPath), typed + kExists, kFolderRenameFailed,
               oldPath);
        // The parent lists the folder under its new name.
        ctx.Dir1->SetPath(parent);
        form.accept();
    });
    Run(ctx, form);
}

}  // namespace sorvenal
