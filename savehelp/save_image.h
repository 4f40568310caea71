#pragma once
// "名前を付けて保存": writes the working image as a new BMP, JPEG or PNG file, never replacing
// one, then re-reads the folder lists without clearing the picture on display. JPEG and PNG
// carry the source photo's EXIF over; "クリップボードにコピー" puts the image on the clipboard.
#include <QImage>
#include <QString>
#include <QStringList>

#include "platform/file_system.h"
#include "platform/picture_writers.h"

class QWidget;

namespace sorvenal {

class DialogService;
class FileList;
class FolderList;
class PictureBox;

// The file type and quality chosen last, proposed next time in the same run.
struct SaveChoice {
    SaveFormat format = SaveFormat::Bmp;
    int quality = kDefaultJpegQuality;
};

// What the save command works on; the main window fills it.
struct SaveImageContext {
    bool& DirCancel;  // false keeps the display while the folder lists change
    FolderList* Dir1;
    FileList* File1;
    PictureBox* Picture2;
    DialogService& dialogs;
    QWidget* parent;
    NativePath source;   // the picture's file, whose EXIF a JPEG or PNG carries over
    SaveChoice& choice;  // read and updated
};

inline const QString kBmpFilterLabel = QStringLiteral("BMP ﾌｧｲﾙ");
inline const QString kJpegFilterLabel = QStringLiteral("JPEG ﾌｧｲﾙ");
inline const QString kPngFilterLabel = QStringLiteral("PNG ﾌｧｲﾙ");
inline const QString kSaveFailedPrefix = QStringLiteral("保存できませんでした: ");

// The dialog's file types, in the order of SaveFormat, and the extension each appends.
QStringList SaveFilterLabels();
QString SaveExtension(SaveFormat format);

// The folder the dialog opens in: the desktop's "sorvenal" folder where it exists, else
// the folder on display. The command never creates it.
QString SaveInitialFolder(const QString& shownFolder);
// The picture's own name without its extension; empty when the name is too short to have one.
QString ProposedSaveName(const QString& listedName);

// True when the picture was written.
bool SaveImage(const SaveImageContext& context);

// The picture as an image on the clipboard, for pasting into another program.
void CopyImageToClipboard(const QImage& image);

}  // namespace sorvenal
