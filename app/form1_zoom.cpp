// Zoom in the retouch and effects views, and the glance at the original while Shift is held.
#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

#include "app/form1_text.h"
#include "app/form_surface.h"
#include "app/layout_rules.h"
#include "app/main_window.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "platform/zoom_view.h"

namespace sorvenal {

namespace {
constexpr int kZoomBadgeMilliseconds = 1000;
}  // namespace

void Form1::BuildZoomBadges() {
    auto badge = [this](const char* name) {
        auto* label = new QLabel(surface_);
        label->setObjectName(QString::fromLatin1(name));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setStyleSheet(QStringLiteral(
            "background-color: rgba(0, 0, 0, 160); color: white; padding: 2px 6px;"));
        label->hide();
        return label;
    };
    zoomBadge_ = badge("ZoomBadge");
    glanceBadge_ = badge("GlanceBadge");
    glanceBadge_->setText(kGlanceBadgeText);
    glanceBadge_->adjustSize();
    zoomBadgeTimer_ = new QTimer(this);
    zoomBadgeTimer_->setSingleShot(true);
    zoomBadgeTimer_->setInterval(kZoomBadgeMilliseconds);
    connect(zoomBadgeTimer_, &QTimer::timeout, zoomBadge_, &QWidget::hide);
}

bool Form1::RetouchShown() const {
    return scaleTwips_ && Picture2->isVisibleTo(this) && Picture2->HasPicture() &&
           (Action("mnuRetouch")->isVisible() || Action("mnuSpecial")->isVisible());
}

QPointF Form1::ViewCentre() const {
    const QRect view(QPoint(), surface_->size());
    const int barW = VScroll1->isVisibleTo(this) ? VScroll1->width() : 0;
    const int barH = HScroll1->isVisibleTo(this) ? HScroll1->height() : 0;
    return QRectF(view.adjusted(0, 0, -barW, -barH)).center();
}

void Form1::SetZoom(double zoom, QPointF anchor) {
    if (!RetouchShown()) return;
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (zoom != zoom_) {
        const qreal ratio = devicePixelRatioF();
        // The picture point under the anchor (picture pixels) stays under it.
        const QPointF point = (anchor - QPointF(Picture2->pos())) * ratio / zoom_;
        zoom_ = zoom;
        Picture2->SetZoom(zoom_);
        const QSize picture = LogicalSize(Picture2->PictureSize(), ratio);
        const QSize zoomed = Picture2->size();
        const RetouchLayout layout = ZoomedLayout(
            *retouchLayout_, PixelsToTwips(picture.width()), PixelsToTwips(picture.height()),
            PixelsToTwips(zoomed.width()), PixelsToTwips(zoomed.height()),
            PixelsToTwips(surface_->width()), PixelsToTwips(surface_->height()));
        ApplyScrollLayout(layout);
        const QPointF offset = point * zoom_ / ratio - anchor;  // logical pixels
        {
            const QSignalBlocker h(HScroll1);
            const QSignalBlocker v(VScroll1);
            HScroll1->setValue(
                ScrollValueFor(std::llround(offset.x() * kTwipsPerPixel), layout.hScroll));
            VScroll1->setValue(
                ScrollValueFor(std::llround(offset.y() * kTwipsPerPixel), layout.vScroll));
        }
        MoveCanvas();
    }
    zoomBadge_->setText(QStringLiteral("%1%").arg(std::lround(zoom_ * 100)));
    zoomBadge_->adjustSize();
    zoomBadge_->move(4, 4);
    zoomBadge_->raise();
    zoomBadge_->show();
    zoomBadgeTimer_->start();
}

void Form1::ResetZoom() {
    EndGlance();
    zoomBadge_->hide();
    if (zoom_ == 1) return;
    zoom_ = 1;
    Picture2->SetZoom(1);
    ApplyScrollLayout(*retouchLayout_);
}

void Form1::ZoomFit() {
    const qreal ratio = devicePixelRatioF();
    const QSize view = (QSizeF(surface_->size()) * ratio).toSize();
    SetZoom(FitZoom(Picture2->PictureSize(), view), QPointF());
}

void Form1::mnuZoomFit_Click() { ZoomFit(); }
void Form1::mnuZoomActual_Click() { SetZoom(1, ViewCentre()); }
void Form1::mnuZoomIn_Click() { SetZoom(ZoomIn(zoom_), ViewCentre()); }
void Form1::mnuZoomOut_Click() { SetZoom(ZoomOut(zoom_), ViewCentre()); }

// Ctrl+0 actual size, Ctrl+Alt+0 fit, Ctrl++ (or Ctrl+=) in, Ctrl+- out: commands of the two
// views, never characters. True when the key was one of them.
bool Form1::ZoomKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (!(mods & Qt::ControlModifier) || !RetouchShown()) return false;
    const bool alt = mods & Qt::AltModifier;
    switch (key.key()) {
        case Qt::Key_0:
            if (alt)
                ZoomFit();
            else
                mnuZoomActual_Click();
            return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            mnuZoomIn_Click();
            return true;
        case Qt::Key_Minus:
            mnuZoomOut_Click();
            return true;
        default:
            return false;
    }
}

// Whole notches zoom one step each about the pointer.
void Form1::WheelZoom(QWheelEvent* event) {
    zoomWheelRest_ += event->angleDelta().y();
    const QPointF anchor = surface_->mapFromGlobal(event->globalPosition());
    constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
    for (; zoomWheelRest_ >= kNotch; zoomWheelRest_ -= kNotch) SetZoom(ZoomIn(zoom_), anchor);
    for (; zoomWheelRest_ <= -kNotch; zoomWheelRest_ += kNotch) SetZoom(ZoomOut(zoom_), anchor);
    event->accept();
}

void Form1::BeginGlance() {
    if (!RetouchShown() || !Picture1->HasPicture() || Picture2->Glancing()) return;
    // A drag under way keeps the picture it began on.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) return;
    Picture2->SetGlance(Picture1->Picture());
    glanceBadge_->move(4, zoomBadge_->isVisible() ? zoomBadge_->geometry().bottom() + 4 : 4);
    glanceBadge_->raise();
    glanceBadge_->show();
}

void Form1::EndGlance() {
    if (!Picture2->Glancing()) return;
    Picture2->EndGlance();
    glanceBadge_->hide();
}

// Shift alone shows the original; every other key, a button, the wheel or the window losing
// the focus ends it. A button that ended it does nothing more until it is released.
bool Form1::GlanceEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Shift)
                EndGlance();
            else if (!key->isAutoRepeat() && !(key->modifiers() & ~Qt::ShiftModifier))
                BeginGlance();  // Qt may or may not count Shift itself among the modifiers
            return false;
        }
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Shift && !key->isAutoRepeat()) EndGlance();
            return false;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (!Picture2->Glancing()) return false;
            EndGlance();
            if (watched != Picture2 && watched != surface_) return false;
            swallowMouse_ = true;
            return true;
        case QEvent::MouseMove:
            return swallowMouse_ && (watched == Picture2 || watched == surface_);
        case QEvent::MouseButtonRelease:
            if (!swallowMouse_ || (watched != Picture2 && watched != surface_)) return false;
            if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) swallowMouse_ = false;
            return true;
        case QEvent::Wheel:
            EndGlance();
            return false;
        default:
            return false;
    }
}

}  // namespace sorvenal
