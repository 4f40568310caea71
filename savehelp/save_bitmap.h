#pragma once
// "名前を付けて保存": writes the canvas's working image as a new ".BMP" file, never replacing
// one, then re-reads the folder lists without clearing the picture on display.
#include <QString>

class QWidget;

namespace sorvenal {

class DialogService;
class FileList;
class FolderList;
class PictureBox;

// What the save command works on; the main window fills it.
struct SaveImageContext {
    bool& DirCancel;  // false keeps the display while the folder lists change
    FolderList* Dir1;
    FileList* File1;
    PictureBox* Picture2;
    DialogService& dialogs;
    QWidget* parent;
};

inline const QString kBmpFilterLabel = QStringLiteral("BMP ﾌｧｲﾙ");
inline const QString kSaveFailedPrefix = QStringLiteral("保存できませんでした: ");

// The folder the dialog opens in: the desktop's "sorvenal" folder where it exists, else
// the folder on display. The command never creates it.
QString SaveInitialFolder(const QString& shownFolder);
// The picture's own name without its extension; empty when the name is too short to have one.
QString ProposedSaveName(const QString& listedName);

// True when the picture was written.
bool SaveImageAsBitmap(const SaveImageContext& context);

}  // namespace sorvenal
