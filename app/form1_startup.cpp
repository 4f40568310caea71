// Start-up, the start screen's hover effects, the menu switches and the mode settings.
#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

#include "app/form1_text.h"
#include "app/form_surface.h"
#include "app/layout_rules.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "app/start_folder.h"
#include "platform/dialog_service.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/fonts.h"
#include "platform/picture_box.h"
#include "platform/twips.h"

namespace sorvenal {

namespace {

// At the latest, a window that is never painted (hidden, covered) lists its folder after this.
constexpr int kStartListingLatestMs = 1000;

// Calls `done` from the event loop once the widget has been painted for the first time, so
// the paint has reached the screen first.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* widget, std::function<void()> done)
        : QObject(widget), widget_(widget), done_(std::move(done)) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            widget_->removeEventFilter(this);
            QTimer::singleShot(0, widget_, done_);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* widget_;
    std::function<void()> done_;
};

}  // namespace

void Form1::Form_Load(const NativePath& startFolder) {
    DirCancel = true;
    working_->ForgetEffects();

    // Started on a picture: nothing the first paint does not show is read before it.
    startDeferred_ = !options_.startPicture.isEmpty();
    if (startDeferred_) {
        Dir1->DeferSubfolders();
        QTimer::singleShot(kStartListingLatestMs, this, &Form1::FinishStart);
    }

    // An unreadable candidate is named in a message and the next one is tried.
    for (const NativePath& folder : StartFolderCandidates(startFolder)) {
        if (Dir1->SetNativePath(folder)) break;
        dialogs().Message(this, FolderRefusedMessage(ShownPath(folder)));
    }

    scaleTwips_ = false;
    surface_->SetPenWidth(10);
    surface_->DrawBox(0, 0, 440, 200, kBackdropColor, false);
    setWindowTitle(kProgramCaption);

    // Centred with the designed size, then made smaller: the start screen sits above and to
    // the left of the centre.
    const ScreenTwips screen = ScreenSize();
    const int chromeW = OuterWidthTwips() - ClientWidthTwips();
    const int chromeH = OuterHeightTwips() - ClientHeightTwips();
    const Point2 pos = CenteredPosition(screen.width, screen.height, kDesignClientWidth + chromeW,
                                        kDesignClientHeight + chromeH);
    MoveOuterTwips(pos.x, pos.y);
    SetOuterSizeTwips(kStartWidth, kStartHeight);

    Image3->hide();
    Image2->show();
    Picture2->SetBackColor(kPicture2BackColor);
}

bool Form1::SelectPicture(const NativePath& name) {
    for (int i = 0; i < File1->ListCount(); ++i)
        if (File1->NativeList(i) == name) return File1->SetListIndex(i);
    return false;
}

void Form1::StartWithPicture(const NativePath& name) {
    Action("mnuOpen")->trigger();
    SelectPicture(name);
    File1->setFocus();
    if (!startDeferred_) return;
    if (Image1->isVisible())
        new AfterFirstPaint(Image1, [this] { FinishStart(); });
    else  // nothing to show first
        QTimer::singleShot(0, this, &Form1::FinishStart);
}

void Form1::WhenStarted(std::function<void()> then) {
    if (startDeferred_)
        afterStart_.push_back(std::move(then));
    else
        QTimer::singleShot(0, this, std::move(then));
}

// The rest of the start picture's folder and the folder tree, then its full decode: the
// selection and the keyboard stay on the start picture, as after a re-read of the folder.
void Form1::FinishStart() {
    if (!startDeferred_) return;
    if (DiskChangeMustWait()) {
        QTimer::singleShot(50, this, &Form1::FinishStart);
        return;
    }
    startDeferred_ = false;
    Dir1->Reread();
    const bool selected = !File1->NativeFileName().isEmpty();
    if (!File1->Refresh() && selected && Dir1->isVisible()) ClearDisplay();
    if (QListWidgetItem* row = File1->currentItem()) File1->scrollToItem(row);
    ResumeFullPicture();
    for (const std::function<void()>& then : std::exchange(afterStart_, {})) then();
}

bool Form1::StartScreenHover(QObject* watched, QEvent* event) {
    // Moves over the background only, not those a child passed on.
    if (watched == surface_) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (surface_->childAt(pos)) return false;
    }
    auto restyle = [](QLabel* label, const QColor& color, const QString& text) {
        SetForeColor(label, color);
        label->setText(text);
    };
    if (watched == surface_) {
        Image4->hide();
        Image2->hide();
        Image3->show();
        restyle(Label4, kLabelIdleColor, kLabel4Text);
        restyle(Label3, kLabelIdleColor, kLabel3Text);
        restyle(Label2, kLabelIdleColor, kLabel2Text);
    } else if (watched == Image3) {
        Image3->hide();
        Image2->show();
    } else if (watched == Image2) {
        Image4->show();
    } else if (watched == Label4) {
        restyle(Label4, kLabelHoverColor, kLabel4Text);
    } else if (watched == Label3) {
        restyle(Label3, kLabelHoverColor, kLabel3HoverText);
    } else if (watched == Label2) {
        restyle(Label2, kLabelHoverColor, kLabel2Text);
    } else {
        return false;
    }
    return watched != surface_;
}

void Form1::mnuChange_Click() {
    circle = Circle{};
    X2 = 0;
    Y2 = 0;
    ShowMenu("mnuRetouch", false);
    ShowMenu("mnuKijun", false);
    ShowMenu("mnuSpecial", true);
    working_->EnterEffects();
    SkinClickOn = false;
    EnableMenu("mnuClick", true);
    EnableMenu("mnuClick2", false);
    setWindowTitle(kSetCircleText);
    Picture2->setToolTip(kSetCircleText);
    unsetCursor();
    UpdateUndoMenus();
}

void Form1::mnuChange2_Click() {
    // The outline stays behind: the retouch commands work on the picture without it.
    working_->LeaveEffects();
    ShowMenu("mnuRetouch", true);
    ShowMenu("mnuKijun", true);
    ShowMenu("mnuSpecial", false);
    if (SkinClickOn) {
        Picture2->setToolTip(kSkinClickTip);
        setCursor(Qt::UpArrowCursor);
    } else {
        Picture2->setToolTip(QString());
        unsetCursor();
    }
    UpdateUndoMenus();
}

void Form1::mnuClick_Click() {
    SkinClickOn = true;
    EnableMenu("mnuClick", false);
    EnableMenu("mnuClick2", true);
    Picture2->setToolTip(kSkinClickTip);
    setCursor(Qt::UpArrowCursor);
}

void Form1::mnuClick2_Click() {
    SkinClickOn = false;
    EnableMenu("mnuClick", true);
    EnableMenu("mnuClick2", false);
    Picture2->setToolTip(QString());
    setWindowTitle(kProgramCaption);
    unsetCursor();
}

void Form1::mnuWh_Click() {
    skin.Dw = 0;
    EnableMenu("mnuWh", false);
    EnableMenu("mnuDefault", true);
}

void Form1::mnuDefault_Click() {
    skin.Dw = 1;
    EnableMenu("mnuWh", true);
    EnableMenu("mnuDefault", false);
}

void Form1::mnuEnd_Click() {
    if (MayDiscardWork()) EndProgram();
}

void Form1::mnuEnd2_Click() {
    if (MayDiscardWork()) EndProgram();
}

}  // namespace sorvenal
