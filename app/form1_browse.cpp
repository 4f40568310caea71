// Browsing: the open commands, the folder and file lists, the preview.
#include <QAction>
#include <QApplication>
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
#include "platform/dialog_service.h"
#include "platform/error_texts.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/folder_watch.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "platform/twips.h"

namespace sorvenal {

void Form1::mnuOpen_Click() {
    working_->EndHistory();
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
    if (!MayDiscardWork()) return;
    Image1->show();
    ShowMenu("mnuFile", true);
    working_->ShowOriginal();
    mnuOpen_Click();
}

void Form1::mnuOpen4_Click() {
    if (!MayDiscardWork()) return;
    Image1->show();
    working_->ForgetEffects();
    ShowMenu("mnuFile", true);
    ShowMenu("mnuSpecial", false);
    working_->ShowOriginal();
    mnuOpen_Click();
}

void Form1::Dir1_Change() {
    if (startDeferred_)
        File1->SetNativePathListingOnly(Dir1->NativeFolder(), BaseNameOf(options_.startPicture));
    else
        File1->SetNativePath(Dir1->NativeFolder());
    folderWatch_->Watch(Dir1->NativeFolder());
    if (DirCancel) ClearDisplay();
}

void Form1::WatchFolders() {
    folderWatch_ = new FolderWatch(this);
    connect(folderWatch_, &FolderWatch::Settled, this, &Form1::FolderChangedOnDisk);
    // A command of its own, not a character key: network folders send no change notices.
    auto* reload = new QAction(this);
    reload->setObjectName(QStringLiteral("Form_Reload"));
    reload->setShortcut(QKeySequence(Qt::Key_F5));
    reload->setShortcutContext(Qt::WindowShortcut);
    addAction(reload);
    connect(reload, &QAction::triggered, this, &Form1::Form_Reload);
}

bool Form1::DiskChangeMustWait() const {
    return commandDepth_ > 0 || busyNow_ || !ShowCancel || previewingKey_ ||
           QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr;
}

void Form1::Form_Reload() {
    if (Dir1->isVisible() && !DiskChangeMustWait()) FolderChangedOnDisk();
}

// Another program changed the shown folder: both lists follow the disk, and the selection and
// the picture on display stay, as after the program's own commands that keep the display.
void Form1::FolderChangedOnDisk() {
    if (DiskChangeMustWait()) {
        folderWatch_->Retry();
        return;
    }
    const NativePath folder = Dir1->NativeFolder();
    folderWatch_->Watch(folder);
    if (folder.isEmpty()) return;
    if (!FolderList::IsReadableFolder(folder)) {
        FolderGone(folder);
        return;
    }
    Dir1->Reread();
    // The selected file went: while browsing, the display goes with it; a retouch in progress
    // keeps its picture.
    if (!File1->Refresh() && Dir1->isVisible()) ClearDisplay();
}

// The nearest folder above that can still be read takes its place.
void Form1::FolderGone(const NativePath& folder) {
    NativePath parent = folder;
    do parent = ParentOf(parent);
    while (parent != "/" && !FolderList::IsReadableFolder(parent));
    const bool browsing = Dir1->isVisible();
    const bool clears = DirCancel;
    DirCancel = browsing;
    Dir1->SetNativePath(parent);
    DirCancel = clears;
    dialogs().Message(this, FolderGoneMessage(ShownPath(folder), ShownPath(parent)));
}

void Form1::File1_Click() {
    working_->EndHistory();
    File1->setCursor(Qt::WaitCursor);
    Image1->hide();
    ShowMenu("mnuFile", true);
    Image1->repaint();
    // The previous picture goes before the next is read: its memory may serve the next decode.
    working_->Clear();

    // The caption waits with the preview; an old one would name the wrong picture.
    Label5->setText(QString());
    Label5->setToolTip(QString());
    if (selected_->Select(File1->NativeFilePath(), PreviewBox()) !=
        SelectedPicture::State::Previewing)
        ShowSelection();
    if (!ShowCancel) {
        const int next = File1->ListIndex() + 1;
        if (next < File1->ListCount())
            selected_->Prefetch(JoinNative(File1->NativeFolder(), File1->NativeList(next)),
                                PreviewBox());
    }
    FolderFinish();
    if (selected_->state() != SelectedPicture::State::Previewing) File1->unsetCursor();
}

// The selected picture's preview is in (or it could not be read): show it.
void Form1::ShowSelection() {
    File1->unsetCursor();
    switch (selected_->state()) {
        case SelectedPicture::State::Unreadable:
            Image1->ClearPicture();
            ShowUnreadableCaption();
            break;
        case SelectedPicture::State::Full:
        case SelectedPicture::State::PreviewOnly:
            Image1->SetPicture(selected_->Preview());
            Label5->setText(SizeCaption(selected_->Size().width(), selected_->Size().height()));
            ApplyPreviewFit();
            Image1->show();
            if (selected_->state() == SelectedPicture::State::Full)
                working_->SetOriginal(selected_->Full());
            else if (!startDeferred_)  // the start decodes it after its first paint
                // Started from the queue: a show about to begin (it selects its first entry
                // before it counts as running) only previews; the picture it stops on is
                // decoded then.
                QMetaObject::invokeMethod(this, &Form1::ResumeFullPicture, Qt::QueuedConnection);
            break;
        case SelectedPicture::State::None:
        case SelectedPicture::State::Previewing:
        case SelectedPicture::State::Decoding:
            break;  // not a state a preview ends in
    }
}

// The caption says the picture cannot be opened; its tooltip says why.
void Form1::ShowUnreadableCaption() {
    Label5->setText(kUnreadablePicture);
    Label5->setToolTip(PictureErrorText(selected_->Failure()));
}

QSize Form1::PreviewBox() const {
    const PreviewRect box = PreviewFit(1, 1);
    const qreal ratio = Image1->devicePixelRatioF();
    return QSize(qCeil(box.width * ratio), qCeil(box.height * ratio));
}

// The full decode ended, on its own or while a command waited for it.
void Form1::FullPictureEnded() {
    if (selected_->state() == SelectedPicture::State::Full)
        working_->SetOriginal(selected_->Full());
    else
        ShowUnreadable();
}

void Form1::ShowUnreadable() {
    Image1->hide();
    Image1->ClearPicture();
    working_->Clear();
    ShowUnreadableCaption();
}

bool Form1::PreviewPending() const {
    return selected_->state() == SelectedPicture::State::Previewing;
}

void Form1::WaitFull() { selected_->WaitFull(busy_, windowTitle()); }

void Form1::ResumeFullPicture() {
    if (ShowCancel) selected_->StartFull();
}

void Form1::ApplyPreviewFit() {
    const QSize size = selected_->Size();
    const PreviewRect r =
        PreviewFit(static_cast<float>(size.width()), static_cast<float>(size.height()));
    Image1->setGeometry(r.left, r.top, r.width, r.height);
}

void Form1::Image1_Click() {
    WaitFull();
    if (!working_->HasOriginal()) return;
    working_->ShowOriginal();
    if (ShowCancel)
        OpenFullScreenView();
    else
        ShowCancel = true;
}

}  // namespace sorvenal
