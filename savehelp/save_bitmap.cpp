#include "savehelp/save_bitmap.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/bmp_writer.h"
#include "platform/dialog_service.h"
#include "platform/error_texts.h"
#include "platform/file_list.h"
#include "platform/file_system.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/shared_texts.h"

namespace sorvenal {

QString SaveInitialFolder(const QString& shownFolder) {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty()) {
        QString own = QDir(desktop).filePath(QStringLiteral("sorvenal"));
        if (QFileInfo(own).isDir()) return own;
    }
    return shownFolder;
}

QString ProposedSaveName(const QString& listedName) {
    // The whole extension goes, however long: "photo.jpeg" proposes "photo".
    return listedName.left(ExtensionAt(listedName));
}

bool SaveImageAsBitmap(const SaveImageContext& context) {
    context.DirCancel = false;
    const NativePath P = context.Dir1 ? context.Dir1->NativeFolder() : NativePath();

    SaveFileRequest request;
    request.filterLabel = kBmpFilterLabel;
    request.initialDir = SaveInitialFolder(ShownPath(P));
    if (context.File1) request.fileName = ProposedSaveName(context.File1->FileName());

    const std::optional<QString> chosen = context.dialogs.AskSaveFileName(context.parent, request);
    if (!chosen || chosen->isEmpty()) return false;

    // The extension is added whatever the chosen name ends with: photo.bmp gives photo.bmp.BMP.
    const QString T = *chosen + QStringLiteral(".BMP");
    const QString shownT = QDir::toNativeSeparators(T);
    // Anything already under the name counts, a dangling link included: we never write over it.
    if (PathExists(NativeOf(T))) {
        context.dialogs.Message(context.parent, shownT + kExistsSuffix);
        return false;
    }

    const QImage image = context.Picture2 ? context.Picture2->Image() : QImage();
    const WriteResult written = WriteBmp24(image, T, false);
    if (written.status == WriteStatus::Exists) {
        // Someone created the name while we were writing; it is theirs, not ours.
        context.dialogs.Message(context.parent, shownT + kExistsSuffix);
        return false;
    }
    if (written.status == WriteStatus::Failed) {
        QString text = kSaveFailedPrefix + shownT;
        if (const QString why = PictureErrorText(written.failure); !why.isEmpty())
            text += QLatin1Char('\n') + why;
        context.dialogs.Message(context.parent, text);
    }
    const bool saved = written.ok();

    // DirCancel being false keeps the picture on display while the lists re-read the folder.
    if (context.Dir1) RelistFolders(*context.Dir1, context.File1, P);
    context.DirCancel = true;
    return saved;
}

}  // namespace sorvenal
