#include "savehelp/save_image.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include "platform/dialog_service.h"
#include "platform/error_texts.h"
#include "platform/exif_block.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/shared_texts.h"

namespace sorvenal {

QStringList SaveFilterLabels() { return {kBmpFilterLabel, kJpegFilterLabel, kPngFilterLabel}; }

QString SaveExtension(SaveFormat format) {
    switch (format) {
        case SaveFormat::Jpeg:
            return QStringLiteral(".JPG");
        case SaveFormat::Png:
            return QStringLiteral(".PNG");
        case SaveFormat::Bmp:
            break;
    }
    return QStringLiteral(".BMP");
}

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

bool SaveImage(const SaveImageContext& context) {
    context.DirCancel = false;
    const NativePath P = context.Dir1 ? context.Dir1->NativeFolder() : NativePath();

    const QStringList labels = SaveFilterLabels();
    SaveFileRequest request;
    request.filterLabels = labels;
    request.filterLabel = labels.value(static_cast<int>(context.choice.format));
    request.initialDir = SaveInitialFolder(ShownPath(P));
    if (context.File1) request.fileName = ProposedSaveName(context.File1->FileName());

    const std::optional<SaveFileChoice> chosen =
        context.dialogs.AskSaveFileName(context.parent, request);
    if (!chosen || chosen->path.isEmpty()) return false;
    const qsizetype type = labels.indexOf(chosen->filterLabel);
    const SaveFormat format = type < 0 ? SaveFormat::Bmp : static_cast<SaveFormat>(type);
    context.choice.format = format;

    // The extension is added whatever the chosen name ends with: photo.bmp gives photo.bmp.BMP.
    const QString T = chosen->path + SaveExtension(format);
    const QString shownT = QDir::toNativeSeparators(T);
    // Anything already under the name counts, a dangling link included: we never write over it.
    if (PathExists(NativeOf(T))) {
        context.dialogs.Message(context.parent, shownT + kExistsSuffix);
        return false;
    }

    const QImage image = context.Picture2 ? context.Picture2->Image() : QImage();
    PictureWriting how;
    how.format = format;
    if (format == SaveFormat::Jpeg) {
        const std::optional<int> quality =
            context.dialogs.AskJpegQuality(context.parent, context.choice.quality,
                                           [&image](int q) { return EstimateJpegBytes(image, q); });
        if (!quality) return false;  // cancelled as the file dialog is
        how.quality = *quality;
        context.choice.quality = *quality;
    }
    // BMP keeps no metadata.
    if (format != SaveFormat::Bmp)
        how.exif = ExifCarriedFrom(context.source, image.width(), image.height());

    const WriteResult written = WritePicture(image, NativeOf(T), how);
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

void CopyImageToClipboard(const QImage& image) {
    if (image.isNull()) return;
    QGuiApplication::clipboard()->setImage(image);
}

}  // namespace sorvenal
