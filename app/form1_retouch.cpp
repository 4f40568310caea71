// The actual-size retouch view: sizing, scrolling, keys, revert and the retouch commands.
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <limits>

#include "app/form1_text.h"
#include "app/form_surface.h"
#include "app/key_codes.h"
#include "app/layout_rules.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/busy_indicator.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"

namespace sorvenal {

namespace {

QRect ToPixelRect(const TwipsBox& r) { return TwipsRect(r.x, r.y, r.width, r.height); }

void ApplyRange(QScrollBar* bar, const ScrollRange& range) {
    bar->setRange(0, range.max);
    bar->setPageStep(range.large);
    bar->setSingleStep(range.small);
}

}  // namespace

void Form1::mnuReal_Click() {
    // Nothing to show before a picture was selected.
    if (!working_->HasOriginal()) return;
    ShowCancel = true;
    scaleTwips_ = true;
    for (QWidget* w :
         std::initializer_list<QWidget*>{Dir1, File1, Check1, Frame3, Image1, Label5, Label6})
        w->hide();
    ShowMenu("mnuFile", false);
    ShowMenu("mnuRetouch", true);
    ShowMenu("mnuKijun", true);
    ShowMenu("mnuFullscreen", true);
    ShowMenu("mnuReal", false);
    EnableMenu("mnuClick2", false);
    surface_->Cls();
    ResetZoom();

    Picture2->move(0, 0);
    HScroll1->setValue(0);
    VScroll1->setValue(0);
    working_->ShowOriginal();
    working_->SetSource(File1->NativeFilePath());
    Picture2->show();
    HScroll1->hide();
    VScroll1->hide();
    Command1->hide();

    // The rules compare the picture with the screen in logical units.
    const QSize picture = LogicalSize(Picture1->PictureSize(), devicePixelRatioF());
    const ScreenTwips screen = ScreenSize();
    const int PW = PixelsToTwips(picture.width());
    const int PH = PixelsToTwips(picture.height());
    const int frameW = PixelsToTwips(frameGeometry().width() - geometry().width());
    const int frameH = PixelsToTwips(frameGeometry().height() - geometry().height());
    // The menu bar wraps in a narrow window, so its height depends on the width chosen.
    auto chromeHeight = [&](int outerWidth) {
        const int clientPx = std::max(1, TwipsToPixels(outerWidth - frameW));
        return frameH + PixelsToTwips(std::max(0, menuBar()->heightForWidth(clientPx)));
    };
    const TwipsBox available{screen.available.x(), screen.available.y(), screen.available.width(),
                             screen.available.height()};
    RetouchLayout layout = RetouchSizing(PW, PH, screen.width, screen.height, frameW,
                                         chromeHeight(OuterWidthTwips()), available);
    layout = RetouchSizing(PW, PH, screen.width, screen.height, frameW, chromeHeight(layout.width),
                           available);
    *retouchLayout_ = layout;
    ApplyRetouchLayout(layout);
    UpdateUndoMenus();
}

void Form1::ApplyRetouchLayout(const RetouchLayout& layout) {
    SetOuterSizeTwips(layout.width, layout.height);
    MoveOuterTwips(layout.left, layout.top);
    ApplyScrollLayout(layout);
}

void Form1::ApplyScrollLayout(const RetouchLayout& layout) {
    // The canvas moves once, when every bar has its new range; a hidden bar shows the start.
    const QSignalBlocker h(HScroll1);
    const QSignalBlocker v(VScroll1);
    if (layout.hScroll.visible) {
        hScrollUnit_ = layout.hScroll.unit;
        ApplyRange(HScroll1, layout.hScroll);
    } else {
        HScroll1->setValue(0);
    }
    if (layout.vScroll.visible) {
        vScrollUnit_ = layout.vScroll.unit;
        ApplyRange(VScroll1, layout.vScroll);
    } else {
        VScroll1->setValue(0);
    }
    HScroll1->setGeometry(ToPixelRect(layout.hScrollRect));
    VScroll1->setGeometry(ToPixelRect(layout.vScrollRect));
    Command1->setGeometry(ToPixelRect(layout.command1Rect));
    HScroll1->setVisible(layout.hScroll.visible);
    VScroll1->setVisible(layout.vScroll.visible);
    Command1->setVisible(layout.command1Visible);
    for (QWidget* w : std::initializer_list<QWidget*>{HScroll1, VScroll1, Command1}) w->raise();
}

void Form1::MoveCanvas() {
    Picture2->move(ToPixels(-HScroll1->value() * hScrollUnit_),
                   ToPixels(-VScroll1->value() * vScrollUnit_));
    // A hidden picture cannot take the focus (browse state): the lists keep it.
    if (Picture2->isVisible()) Picture2->setFocus();
}

void Form1::Form_KeyDown(int keyCode, int /*shift*/) {
    ScreenTwips screen = ScreenSize();
    auto step = [this](QScrollBar* bar, ArrowKey key, int unit, int pictureUnits, int screenTwips) {
        if (auto value = ArrowKeyValue(key, bar->value(), bar->maximum(), ArrowStepValues(unit),
                                       pictureUnits, screenTwips))
            bar->setValue(*value);
    };
    const int pictureW = ToWindowUnits(Picture2->width());
    const int pictureH = ToWindowUnits(Picture2->height());
    if (zoom_ != 1) {
        // Zoomed, the picture fits when its bar is hidden (the window no longer matches the
        // picture's own size).
        constexpr int kRoomy = std::numeric_limits<int>::max() / 2;
        screen.width = HScroll1->isVisibleTo(this) ? 0 : kRoomy;
        screen.height = VScroll1->isVisibleTo(this) ? 0 : kRoomy;
    }
    switch (keyCode) {
        case kKeyUp:
            step(VScroll1, ArrowKey::Up, vScrollUnit_, pictureH, screen.height);
            break;
        case kKeyDown:
            step(VScroll1, ArrowKey::Down, vScrollUnit_, pictureH, screen.height);
            break;
        case kKeyLeft:
            step(HScroll1, ArrowKey::Left, hScrollUnit_, pictureW, screen.width);
            break;
        case kKeyRight:
            step(HScroll1, ArrowKey::Right, hScrollUnit_, pictureW, screen.width);
            break;
        case kKeyEscape:
            if (MayDiscardWork()) EndProgram();
            break;
        default:
            break;
    }
}

// The wheel scrolls the picture as the arrow keys do, one key step per notch: turning it
// towards the user shows what lies below (as Up does), Shift or a sideways wheel turns it
// into Left and Right.
void Form1::WheelOverPicture(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        WheelZoom(event);
        return;
    }
    QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ShiftModifier) delta = QPoint(delta.y(), delta.x());
    wheelRest_ += delta;
    constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
    // Whole notches of one axis become key steps; the rest waits for more turning.
    auto steps = [this](int& rest, int towardsUser, int awayFromUser) {
        for (; rest <= -kNotch; rest += kNotch) Form_KeyDown(towardsUser, 0);
        for (; rest >= kNotch; rest -= kNotch) Form_KeyDown(awayFromUser, 0);
    };
    steps(wheelRest_.ry(), kKeyUp, kKeyDown);
    steps(wheelRest_.rx(), kKeyLeft, kKeyRight);
    event->accept();
}

void Form1::Form_KeyPress(int /*keyAscii*/) {
    if (ShowCancel) {
        if (File1->isVisibleTo(this) || Picture2->isVisibleTo(this)) OpenFullScreenView();
    } else {
        working_->ShowOriginal();
        ShowCancel = true;
    }
}

void Form1::mnuFullscreen_Click() {
    if (ShowCancel)
        OpenFullScreenView();
    else
        ShowCancel = true;
}

void Form1::mnuback_Click() {
    ResetZoom();
    Picture2->move(0, 0);
    HScroll1->setValue(0);
    VScroll1->setValue(0);
    working_->Revert();
    setWindowTitle(kProgramCaption);
}

void Form1::mnuUndo_Click() { working_->Undo(busy_, windowTitle()); }
void Form1::mnuRedo_Click() { working_->Redo(busy_, windowTitle()); }
void Form1::mnuUndo2_Click() { working_->Undo(busy_, windowTitle()); }
void Form1::mnuRedo2_Click() { working_->Redo(busy_, windowTitle()); }

void Form1::UpdateUndoMenus() {
    const bool shown = Picture2->isVisibleTo(this);
    const bool effects = working_->CircleMode();
    const StepHistory& history = working_->History();
    EnableMenu("mnuUndo", shown && !effects && history.CanUndo());
    EnableMenu("mnuRedo", shown && !effects && history.CanRedo());
    EnableMenu("mnuUndo2", shown && effects && history.CanUndo());
    EnableMenu("mnuRedo2", shown && effects && history.CanRedo());
}

void Form1::mnuback2_Click() { mnuback_Click(); }

void Form1::mnuSaveImage2_Click() { mnuSaveImage_Click(); }

// The passes hold this thread until they end, as a command should: no input is taken meanwhile
// (it waits in the queue) and only Animation1 repaints, from the progress a pass reports.
void Form1::RunRetouchMenuCommand(RetouchCommand command) {
    working_->RunRetouch(command, busy_, kProgramCaption);
    if (IsPixelCommand(command)) ShowMenu("mnuSaveImage", true);
}

void Form1::mnuWhite_Click() { RunRetouchMenuCommand(RetouchCommand::Whiten); }
void Form1::mnuSharp_Click() { RunRetouchMenuCommand(RetouchCommand::Sharpen); }
void Form1::mnuGamma_Click() { RunRetouchMenuCommand(RetouchCommand::Gamma); }
void Form1::mnubackbright2_Click() { RunRetouchMenuCommand(RetouchCommand::Backlight); }
void Form1::mnubackbright_Click() { RunRetouchMenuCommand(RetouchCommand::BacklightSpecial); }
void Form1::mnuShade_Click() { RunRetouchMenuCommand(RetouchCommand::Saturate); }
void Form1::mnuShade2_Click() { RunRetouchMenuCommand(RetouchCommand::Desaturate); }
void Form1::mnuDark_Click() { RunRetouchMenuCommand(RetouchCommand::Darken); }
void Form1::mnulight_Click() { RunRetouchMenuCommand(RetouchCommand::Lighten); }
void Form1::mnuContrast_Click() { RunRetouchMenuCommand(RetouchCommand::ContrastUp); }
void Form1::mnuContrast2_Click() { RunRetouchMenuCommand(RetouchCommand::ContrastDown); }

}  // namespace sorvenal
