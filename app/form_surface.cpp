#include "app/form_surface.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace sorvenal {

FormSurface::FormSurface(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    EnsureLayer(QSize(640, 480));
}

void FormSurface::SetBackColor(const QColor& color) {
    // A new back colour erases the drawings too: the start screen's frame must not linger
    // around the browse controls.
    backColor_ = color;
    Cls();
}

void FormSurface::EnsureLayer(const QSize& size) {
    const QSize need(std::max(size.width(), layer_.width()),
                     std::max(size.height(), layer_.height()));
    if (need == layer_.size()) return;
    QImage grown(need, QImage::Format_ARGB32_Premultiplied);
    grown.fill(Qt::transparent);
    if (!layer_.isNull()) {
        QPainter p(&grown);
        p.drawImage(0, 0, layer_);
    }
    layer_ = grown;
}

void FormSurface::DrawBox(int x1, int y1, int x2, int y2, const QColor& color, bool filled) {
    EnsureLayer(QSize(std::max(x1, x2) + penWidth_ + 1, std::max(y1, y2) + penWidth_ + 1));
    QPainter p(&layer_);
    const QRect r = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized();
    if (filled) {
        p.fillRect(r, color);
    } else {
        QPen pen(color, penWidth_);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
    }
    update();
}

void FormSurface::Cls() {
    layer_.fill(Qt::transparent);
    update();
}

void FormSurface::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), backColor_);
    p.drawImage(event->rect().topLeft(), layer_, event->rect());
}

void FormSurface::resizeEvent(QResizeEvent* event) {
    EnsureLayer(size());
    QWidget::resizeEvent(event);
}

}  // namespace sorvenal
