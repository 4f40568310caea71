#include "fileops/file_commands.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cerrno>

#include "fileops/file_dialogs.h"
#include "fileops/file_operations.h"
#include "platform/dialog_service.h"
#include "platform/error_texts.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/shared_texts.h"

namespace sorvenal {

namespace {

// Every message of the file menu, in one place.
const QString kFolderExists = QStringLiteral("　フォルダーは既に存在します");
const QString kDeleteQuestion = QStringLiteral(" を削除しますか");
const QString kRenameFailed = QStringLiteral("名前を変更できませんでした: ");
const QString kMoveFailed = QStringLiteral("移動できませんでした: ");
const QString kSourceKept =
    QStringLiteral("移動先にコピーしましたが、元のファイルを削除できませんでした: ");
const QString kCopyFailed = QStringLiteral("コピーできませんでした: ");
const QString kDeleteFailed = QStringLiteral("削除できませんでした: ");
const QString kNoTrashBefore = QStringLiteral("ごみ箱に移せません（");
const QString kNoTrashAfter = QStringLiteral("）。完全に削除しますか");
const QString kCreateFailed = QStringLiteral("フォルダーを作成できませんでした: ");
const QString kFolderRenameFailed = QStringLiteral("フォルダー名を変更できませんでした: ");
const QString kRootHasNoName = QStringLiteral("最上位のフォルダーの名前は変更できません");
const QString kBadName = QStringLiteral("この名前は使えません: ");
const QString kBadSeparator = QStringLiteral("「/」を含む名前は使えません");
const QString kBadHidden =
    QStringLiteral("「.」で始まる名前は隠しファイルになり、一覧に表示されなくなります");
const QString kBadControl = QStringLiteral("制御文字を含む名前は使えません");
const QString kNoDestination = QStringLiteral(
    "保存先のフォルダーがありません（表示中のフォルダーが削除されたか、読めません）");

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
        case NameProblem::HiddenName:
            why = kBadHidden;
            break;
        case NameProblem::ControlChar:
            why = kBadControl;
            break;
    }
    ctx.dialogs.Message(parent, kBadName + name + QLatin1Char('\n') + why);
    return false;
}

// The file the system refused, as the user reads it; the one the command was about when the
// system did not say.
QString Culprit(const FileOpResult& result, const NativePath& fallback) {
    return ShownPath(result.culprit.isEmpty() ? fallback : result.culprit);
}

// A refused step is said, never skipped in silence. A name taken meanwhile gets the same words
// as the existence test before it.
void Report(FileOpsContext& ctx, QWidget* parent, const FileOpResult& result,
            const QString& existsText, const QString& failedText, const NativePath& path) {
    switch (result.status) {
        case FileOpStatus::Ok:
            return;
        case FileOpStatus::Exists:
            ctx.dialogs.Message(parent, existsText);
            return;
        case FileOpStatus::Failed:
            ctx.dialogs.Message(parent, failedText + Culprit(result, path) + QLatin1Char('\n') +
                                            ErrorText(result.error));
            return;
        case FileOpStatus::SourceNotRemoved:
            ctx.dialogs.Message(parent, kSourceKept + Culprit(result, path) + QLatin1Char('\n') +
                                            ErrorText(result.error));
            return;
    }
}

// The destination dialog lists nothing when the folder on show was deleted or cannot be read;
// its empty folder would put the file or the new folder at the root.
bool DestinationShown(FileOpsContext& ctx, Form6& form) {
    if (!form.Dir2->NativeFolder().isEmpty()) return true;
    ctx.dialogs.Message(&form, kNoDestination);
    return false;
}

enum class Transfer { Move, Copy };

// Move and copy: the selected file into the folder chosen in Form6, under its own name. A move
// also clears the display and re-lists the folder it left; a copy leaves both as they are.
void TransferSelectedFile(FileOpsContext& ctx, Transfer kind) {
    if (!SelectionTest(ctx)) return;
    const bool move = kind == Transfer::Move;
    if (move) ctx.DirCancel = false;
    Form6 form(ctx.Dir1->NativeFolder(), ctx.parent);
    QPushButton* ok = move ? form.Command14 : form.Command13;
    ok->show();
    QObject::connect(ok, &QPushButton::clicked, &form, [&ctx, &form, move] {
        if (!DestinationShown(ctx, form)) {
            form.accept();
            return;
        }
        const NativePath saved = ctx.Dir1->NativeFolder();
        const NativePath fileName = ctx.File1->NativeFileName();
        const NativePath source = JoinNative(saved, fileName);
        const NativePath destination = JoinNative(form.Dir2->NativeFolder(), fileName);
        const QString shownDestination = ShownPath(destination);
        // Left on the current folder, the destination is the source itself: only the message.
        if (IsFile(destination)) {
            ctx.dialogs.Message(&form, shownDestination + kExistsSuffix);
        } else {
            const FileOpResult done = move ? MoveFile(source, destination)
                                           : FileOpOutcome(CopyNoReplace(source, destination));
            // A failed move names the file left behind, a failed copy the one it could not make.
            Report(ctx, &form, done, shownDestination + kExistsSuffix,
                   move ? kMoveFailed : kCopyFailed, move ? source : destination);
        }
        if (move) {
            if (ctx.ClearDisplay) ctx.ClearDisplay();
            RelistFolders(*ctx.Dir1, ctx.File1, saved);
            ctx.DirCancel = true;
        }
        form.accept();
    });
    Run(ctx, form);
}

}  // namespace

void RenameSelectedFile(FileOpsContext& ctx) {
    if (!SelectionTest(ctx)) return;
    Form7 form(ctx.File1->FileName(), ctx.parent);
    QObject::connect(form.Command2, &QPushButton::clicked, &form, [&ctx, &form] {
        const int index = ctx.File1->ListIndex();
        const NativePath saved = ctx.Dir1->NativeFolder();
        const NativePath fileName = ctx.File1->NativeFileName();
        const QString typed = form.Text1->text();
        // The old extension is always kept, whatever was typed (".jpeg" as much as ".jpg").
        const QString shownName = ctx.File1->FileName();
        const QString newName = typed + shownName.mid(ExtensionAt(shownName));
        const NativePath oldPath = JoinNative(saved, fileName);
        const NativePath newPath =
            JoinNative(saved, NativeOf(typed) + fileName.mid(ExtensionAt(fileName)));
        if (typed.isEmpty() || !NameAcceptable(ctx, &form, newName)) {
            form.accept();
            return;
        }
        if (NameTakenBesides(oldPath, newPath)) {
            ctx.dialogs.Message(&form, newName + kExistsSuffix);
            form.accept();
            return;
        }
        Report(ctx, &form, FileOpOutcome(RenameNoReplace(oldPath, newPath)),
               newName + kExistsSuffix, kRenameFailed, oldPath);
        RelistFolders(*ctx.Dir1, ctx.File1, saved);
        // Selects whatever now stands at that place, which loads and previews it.
        ctx.File1->SetListIndex(index);
        form.accept();
    });
    Run(ctx, form);
}

void MoveSelectedFile(FileOpsContext& ctx) { TransferSelectedFile(ctx, Transfer::Move); }

void CopySelectedFile(FileOpsContext& ctx) { TransferSelectedFile(ctx, Transfer::Copy); }

void DeleteSelectedFile(FileOpsContext& ctx) {
    const NativePath saved = ctx.Dir1->NativeFolder();
    const QString fileName = ctx.File1->FileName();
    const NativePath fullPath = JoinNative(saved, ctx.File1->NativeFileName());
    if (!SelectionTest(ctx)) return;
    if (!ctx.dialogs.AskYesNo(ctx.parent, fileName + kDeleteQuestion)) return;
    // To the trash, so a wrong answer can be undone. Where the trash cannot take it, the file
    // is gone for good only when the user says so a second time, knowing why.
    FileOpResult deleted = DeleteToTrash(fullPath);
    if (!deleted.ok()) {
        if (deleted.error == ENOENT && deleted.culprit == fullPath) {
            Report(ctx, ctx.parent, deleted, QString(), kDeleteFailed, fullPath);
            RelistFolders(*ctx.Dir1, ctx.File1, saved);
            return;
        }
        QString why = ErrorText(deleted.error);
        if (!deleted.culprit.isEmpty() && deleted.culprit != fullPath)
            why = ShownPath(deleted.culprit) + QStringLiteral(": ") + why;
        if (!ctx.dialogs.AskYesNo(ctx.parent, kNoTrashBefore + why + kNoTrashAfter)) return;
        deleted = FileOpOutcome(RemoveFile(fullPath));
        if (!deleted.ok()) {
            Report(ctx, ctx.parent, deleted, QString(), kDeleteFailed, fullPath);
            return;
        }
    }
    RelistFolders(*ctx.Dir1, ctx.File1, saved);
    if (ctx.ClearDisplay) ctx.ClearDisplay();
}

void CreateNewFolder(FileOpsContext& ctx) {
    ctx.DirCancel = false;
    Form6 form(ctx.Dir1->NativeFolder(), ctx.parent);
    form.Command15->show();
    form.Label16->show();
    form.Text2->show();
    QObject::connect(form.Command15, &QPushButton::clicked, &form, [&ctx, &form] {
        const NativePath saved = ctx.Dir1->NativeFolder();
        const int index = ctx.File1->ListIndex();
        const QString typed = form.Text2->text();
        const NativePath newPath = JoinNative(form.Dir2->NativeFolder(), NativeOf(typed));
        const QString shownPath = ShownPath(newPath);
        if (typed.isEmpty() || !NameAcceptable(ctx, &form, typed) || !DestinationShown(ctx, form)) {
            form.accept();
            return;
        }
        if (IsFolder(newPath)) {
            ctx.dialogs.Message(&form, shownPath + kExistsSuffix);
            form.accept();
            return;
        }
        // A plain file of that name is not a folder, so it passes the test above and the
        // creation itself reports it.
        Report(ctx, &form, FileOpOutcome(MakeFolder(newPath)), shownPath + kExistsSuffix,
               kCreateFailed, newPath);
        RelistFolders(*ctx.Dir1, ctx.File1, saved);
        if (index >= 0) ctx.File1->SetListIndex(index);
        ctx.DirCancel = true;
        form.accept();
    });
    Run(ctx, form);
}

void RenameCurrentFolder(FileOpsContext& ctx) {
    if (ctx.Dir1->NativeParent().isEmpty()) {
        ctx.dialogs.Message(ctx.parent, kRootHasNoName);
        return;
    }
    Form5 form(ctx.Dir1->Path(), ctx.Dir1->ListParent(), ctx.parent);
    QObject::connect(form.Command12, &QPushButton::clicked, &form, [&ctx, &form] {
        const NativePath oldPath = ctx.Dir1->NativeFolder();
        const NativePath parent = ctx.Dir1->NativeParent();
        const QString typed = form.Text1->text();
        const NativePath newPath = JoinNative(parent, NativeOf(typed));
        if (typed.isEmpty() || !NameAcceptable(ctx, &form, typed)) {
            form.accept();
            return;
        }
        if (IsFolder(newPath) && NameTakenBesides(oldPath, newPath)) {
            ctx.dialogs.Message(&form, typed + kFolderExists);
            form.accept();
            return;
        }
        const FileOpResult renamed = FileOpOutcome(RenameNoReplace(oldPath, newPath));
        Report(ctx, &form, renamed, typed + kExistsSuffix, kFolderRenameFailed, oldPath);
        // The parent lists the folder under its new name; a refused rename stays where it was.
        if (renamed.ok())
            ctx.Dir1->SetNativePath(parent);
        else
            ctx.Dir1->Reread();
        form.accept();
    });
    Run(ctx, form);
}

}  // namespace sorvenal
