// Browsing: the open commands, the folder and file lists, the preview.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include "app/form1_text.h"
#include "app/form_surface.h"
#include "app/layout_rules.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "platform/twips.h"

namespace sorvenal {

void Form1::mnuOpen_Click() {
    EndHistory();
    scaleTwips_ = false;
    SkinClickOn = false;
    EnableMenu("mnuClick", true);
    EnableMenu("mnuClick2", false);
    setWindowTitle(kProgramCaption);

    SetOuterSizeTwips(kBrowseWidth, kBrowseHeight);
    const ScreenTwips screen = ScreenSize();
    const Point2 pos = CenteredPosition(screen.width, screen.height, kBrowseWidth, kBrowseHeight);
    MoveOuterTwips(pos.x, pos.y);
    unsetCursor();

    HScroll1->hide();
    VScroll1->hide();
    Command1->hide();
    for (QLabel* art : {Image3, Image2}) {
        art->setPixmap(QPixmap());
        art->setEnabled(false);
    }
    Image1->raise();
    Dir1->show();
    File1->show();
    Check1->show();
    Frame3->show();
    for (QLabel* label : {Label1, Label2, Label3, Label4}) label->hide();
    Label5->show();
    Label6->show();

    ShowMenu("mnuOpen", false);
    ShowMenu("mnuReal", true);
    ShowMenu("mnuHelp", true);
    ShowMenu("mnuRetouch", false);
    ShowMenu("mnuKijun", false);
    ShowMenu("mnuFullscreen", false);
    Picture2->hide();

    surface_->SetBackColor(kBrowseBackColor);
    surface_->SetPenWidth(1);
    surface_->DrawBox(6, 0, 180, 180, kBackdropColor, true);
    FolderFinish();
}

void Form1::mnuOpen2_Click() {
    Image1->show();
    ShowMenu("mnuFile", true);
    Picture2->SetPicture(Picture1->Picture());
    mnuOpen_Click();
}

void Form1::mnuOpen4_Click() {
    Image1->show();
    CircleMode = false;
    ShowMenu("mnuFile", true);
    ShowMenu("mnuSpecial", false);
    Picture2->SetPicture(Picture1->Picture());
    mnuOpen_Click();
}

void Form1::Dir1_Change() {
    File1->SetNativePath(Dir1->NativeFolder());
    if (DirCancel) ClearDisplay();
}

void Form1::File1_Click() {
    EndHistory();
    File1->setCursor(Qt::WaitCursor);
    const NativePath path = File1->NativeFilePath();
    Image1->hide();
    ShowMenu("mnuFile", true);
    Image1->repaint();
    Picture1->Cls();
    Picture2->Cls();

    // One decode serves the preview, the original and the working picture (shared pixels).
    const ReadResult read = ReadPicture(path);
    if (read.ok()) {
        Picture1->SetPicture(read.image);
        Image1->SetPicture(Picture1->Picture());
        Picture2->SetPicture(Picture1->Picture());
        const QSize size = Picture1->PictureSize();
        Label5->setText(SizeCaption(size.width(), size.height()));
        ApplyPreviewFit();
        Image1->show();
    } else {
        // An undecodable file must not leave the previous picture posing as this one.
        Image1->ClearPicture();
        Picture1->ClearPicture();
        Picture2->ClearPicture();
        Label5->setText(kUnreadablePicture);
    }
    FolderFinish();
    File1->unsetCursor();
}

void Form1::ApplyPreviewFit() {
    const QSize size = Picture1->PictureSize();
    const PreviewRect r =
        PreviewFit(static_cast<float>(size.width()), static_cast<float>(size.height()));
    Image1->setGeometry(r.left, r.top, r.width, r.height);
}

void Form1::Image1_Click() {
    Picture2->SetPicture(Picture1->Picture());
    if (ShowCancel)
        OpenFullScreenView();
    else
        ShowCancel = true;
}

}  // namespace sorvenal
