// Browsing: the open commands, the folder and file lists, the preview.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtMath>
#include <utility>

#include "app/form1_text.h"
#include "app/form_surface.h"
#include "app/layout_rules.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/busy_indicator.h"
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
    // Nothing of the previous picture may pose as this one, nor be decoded on for it.
    loader_->Discard();
    fullPath_.clear();
    Image1->hide();
    ShowMenu("mnuFile", true);
    Image1->repaint();
    Picture1->ClearPicture();
    Picture2->ClearPicture();

    PreviewResult read = SelectedPreview(path);
    if (read.ok()) {
        pictureSize_ = read.size;
        Image1->SetPicture(read.preview);
        Label5->setText(SizeCaption(pictureSize_.width(), pictureSize_.height()));
        ApplyPreviewFit();
        Image1->show();
        if (!read.picture.isNull()) {
            Picture1->SetPicture(read.picture);
            Picture2->SetPicture(Picture1->Picture());
        } else {
            fullPath_ = path;
            // Started from the queue: a show about to begin (it selects its first entry before
            // it counts as running) only previews; the picture it stops on is decoded then.
            QMetaObject::invokeMethod(this, &Form1::ResumeFullPicture, Qt::QueuedConnection);
        }
    } else {
        pictureSize_ = QSize();
        Image1->ClearPicture();
        Label5->setText(kUnreadablePicture);
    }
    if (!ShowCancel) PrefetchPreview(File1->ListIndex() + 1);
    FolderFinish();
    File1->unsetCursor();
}

QSize Form1::PreviewBox() const {
    const PreviewRect box = PreviewFit(1, 1);
    const qreal ratio = Image1->devicePixelRatioF();
    return QSize(qCeil(box.width * ratio), qCeil(box.height * ratio));
}

PreviewResult Form1::SelectedPreview(const NativePath& path) {
    std::optional<Prefetch> prefetched = std::exchange(prefetch_, std::nullopt);
    if (prefetched && prefetched->path == path) return prefetched->preview.get();
    return ReadPreview(path, PreviewBox());
}

void Form1::PrefetchPreview(int index) {
    if (index < 0 || index >= File1->ListCount()) return;
    const NativePath path = JoinNative(File1->NativeFolder(), File1->NativeList(index));
    prefetch_ = Prefetch{path, std::async(std::launch::async, ReadPreview, path, PreviewBox())};
}

void Form1::FullPictureDone() {
    if (std::optional<ReadResult> read = loader_->TakeIfDone()) TakeFullPicture(*read);
}

void Form1::TakeFullPicture(const ReadResult& read) {
    fullPath_.clear();
    if (read.ok()) {
        Picture1->SetPicture(read.image);
        Picture2->SetPicture(Picture1->Picture());
        return;
    }
    // Its preview worked, its picture does not: as unreadable as a file that shows nothing.
    pictureSize_ = QSize();
    Image1->hide();
    Image1->ClearPicture();
    Picture1->ClearPicture();
    Picture2->ClearPicture();
    Label5->setText(kUnreadablePicture);
}

void Form1::WaitForFullPicture() {
    if (fullPath_.isEmpty()) return;
    if (!loader_->Pending()) loader_->Start(fullPath_);
    if (std::optional<ReadResult> read = loader_->TakeIfDone()) {
        TakeFullPicture(*read);
        return;
    }
    const QString caption = windowTitle();
    BeginBusy();
    int turn = 0;
    ReadResult read =
        loader_->Take([this, &turn] { Animation1->SetProgress(turn = (turn + 1) % 100, 100); });
    EndBusy(caption);
    TakeFullPicture(read);
}

void Form1::ResumeFullPicture() {
    if (ShowCancel && !fullPath_.isEmpty() && !loader_->Pending()) loader_->Start(fullPath_);
}

void Form1::ApplyPreviewFit() {
    const PreviewRect r = PreviewFit(static_cast<float>(pictureSize_.width()),
                                     static_cast<float>(pictureSize_.height()));
    Image1->setGeometry(r.left, r.top, r.width, r.height);
}

void Form1::Image1_Click() {
    WaitForFullPicture();
    if (!Picture1->HasPicture()) return;
    Picture2->SetPicture(Picture1->Picture());
    if (ShowCancel)
        OpenFullScreenView();
    else
        ShowCancel = true;
}

}  // namespace sorvenal
