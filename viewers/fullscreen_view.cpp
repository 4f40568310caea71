#include "viewers/fullscreen_view.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include "platform/fonts.h"

namespace sorvenal {

FullScreenView::FullScreenView(const ScreenTwips& screen, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), screen_(screen) {
    SetBackColor(this, Rgb(80, 90, 100));
    setAutoFillBackground(true);
    // Window coordinates equal screen coordinates: the window starts at the corner of the
    // screen that holds the main window and is as large as the screen size the placement was
    // computed for. The screen is chosen before the children are made, so they draw at its
    // device pixel ratio from the start.
    QScreen* target = parent ? parent->screen() : QGuiApplication::primaryScreen();
    QPoint origin;
    if (target) {
        setScreen(target);
        origin = target->geometry().topLeft();
    }
    setGeometry(QRect(origin, QSize(TwipsToPixels(screen_.width), TwipsToPixels(screen_.height))));
}

int FullScreenView::exec() {
    setWindowState(windowState() | Qt::WindowFullScreen);
    return QDialog::exec();
}

void FullScreenView::ShowView() { showFullScreen(); }

void FullScreenView::CloseView() {
    closed_ = true;
    done(QDialog::Accepted);
}

void FullScreenView::Form_KeyDown(QKeyEvent*) {}

void FullScreenView::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() == Qt::Key_Escape) {
        CloseView();
        return;
    }
    Form_KeyDown(event);
    // Form_KeyPress: whatever character the key types (Enter and Space included) closes.
    if (!event->text().isEmpty()) CloseView();
}

void FullScreenView::mousePressEvent(QMouseEvent* event) {
    backgroundPressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void FullScreenView::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = backgroundPressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    backgroundPressed_ = false;
    event->accept();
    if (click) CloseView();  // Form_Click
}

}  // namespace sorvenal
