#include "platform/picture_box.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "engine/arithmetic.h"
#include "platform/canvas_image.h"
#include "platform/twips.h"

namespace sorvenal {

namespace {
int ButtonValue(Qt::MouseButtons buttons) {
    int value = 0;
    if (buttons & Qt::LeftButton) value |= kLeftButton;
    if (buttons & Qt::RightButton) value |= kRightButton;
    if (buttons & Qt::MiddleButton) value |= kMiddleButton;
    return value;
}
int ShiftValue(Qt::KeyboardModifiers mods) {
    int value = 0;
    if (mods & Qt::ShiftModifier) value |= 1;
    if (mods & Qt::ControlModifier) value |= 2;
    if (mods & Qt::AltModifier) value |= 4;
    return value;
}
}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture.format() == QImage::Format_RGB32
                   ? picture
                   : picture.convertToFormat(QImage::Format_RGB32);
    image_ = picture_;
    FitToImage();
    update();
}

void PictureBox::SetImage(const QImage& image) {
    image_ = image.format() == QImage::Format_RGB32 ? image
                                                    : image.convertToFormat(QImage::Format_RGB32);
    FitToImage();
    update();
}

void PictureBox::FitToImage() {
    if (!image_.isNull()) resize(LogicalSize(image_.size(), devicePixelRatioF()));
}

// A window moved to a screen with another scale factor keeps the picture at actual size.
bool PictureBox::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) FitToImage();
    return QWidget::event(event);
}

void PictureBox::ClearPicture() {
    picture_ = QImage();
    image_ = QImage();
    update();
}

CanvasView PictureBox::View() {
    if (image_.isNull()) return {};
    return ViewOf(image_);  // detaches from the picture
}

void PictureBox::Cls() {
    image_ = picture_;
    update();
}

ColorValue PictureBox::Point(double x, double y) const {
    const int px = RoundHalfEven(x);
    const int py = RoundHalfEven(y);
    if (image_.isNull() || px < 0 || py < 0 || px >= image_.width() || py >= image_.height())
        return kNoPixel;
    return FromCanvasPixel(reinterpret_cast<const std::uint32_t*>(image_.constScanLine(py))[px]);
}

void PictureBox::DrawCircleNotXor(double cx, double cy, double radius) {
    if (image_.isNull()) return;
    const CanvasView view = View();
    for (const QPoint& p :
         CircleOutlinePoints(RoundHalfEven(cx), RoundHalfEven(cy), RoundHalfEven(radius))) {
        if (!view.contains(p.x(), p.y())) continue;
        std::uint32_t& px = view.row(p.y())[p.x()];
        // not(pen xor dest) with a black pen inverts the colour bits
        px = 0xFF000000u | (~px & 0x00FFFFFFu);
    }
    update();
}

std::vector<QPoint> CircleOutlinePoints(int cx, int cy, int radius) {
    std::vector<QPoint> points;
    if (radius <= 0) {
        points.emplace_back(cx, cy);
        return points;
    }
    int x = radius;
    int y = 0;
    int err = 1 - radius;
    while (x >= y) {
        for (const QPoint& p : {QPoint(x, y), QPoint(y, x), QPoint(-y, x), QPoint(-x, y),
                                QPoint(-x, -y), QPoint(-y, -x), QPoint(y, -x), QPoint(x, -y)})
            points.emplace_back(cx + p.x(), cy + p.y());
        ++y;
        if (err < 0) {
            err += 2 * y + 1;
        } else {
            --x;
            err += 2 * (y - x) + 1;
        }
    }
    auto less = [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    };
    std::sort(points.begin(), points.end(), less);
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

void PictureBox::SetBackColor(const QColor& color) {
    backColor_ = color;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), backColor_);
    if (!image_.isNull()) DrawAtDevicePixels(painter, image_);
}

void DrawAtDevicePixels(QPainter& painter, const QImage& image) {
    const qreal ratio = painter.device()->devicePixelRatioF();
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    // The same rounding as PicturePosition, so a click lands on the pixel drawn under it.
    const QTransform t = painter.deviceTransform();
    painter.drawImage(QPointF(std::round(t.dx()) - t.dx(), std::round(t.dy()) - t.dy()), image);
    painter.restore();
}

QPointF PictureBox::PicturePosition(const QMouseEvent& event) const {
    const qreal ratio = devicePixelRatioF();
    const QPointF offset = mapTo(window(), QPoint());
    // Qt hands a widget its position rounded to whole logical pixels, which at a ratio above 1
    // misses device pixels; the position in the window keeps them. An event made up without
    // one carries its local position there instead, so that one is used when they disagree.
    QPointF inWindow = event.scenePosition();
    const QPointF rounded = event.position() + offset;
    if (std::abs(inWindow.x() - rounded.x()) > 1 || std::abs(inWindow.y() - rounded.y()) > 1)
        inWindow = rounded;
    const QPointF origin(std::round(offset.x() * ratio), std::round(offset.y() * ratio));
    const QPointF device = inWindow * ratio - origin;
    // The pointer's device position is whole (or nearly: it went through a division).
    return {std::floor(device.x() + 1e-6), std::floor(device.y() + 1e-6)};
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    const QPointF p = PicturePosition(*event);
    emit MouseDown(ButtonValue(event->button()), ShiftValue(event->modifiers()), p.x(), p.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = PicturePosition(*event);
    emit MouseMove(ButtonValue(event->buttons()), ShiftValue(event->modifiers()), p.x(), p.y());
}

// The second press of a double-click is no press of its own (Qt would pass it on as one).
void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = PicturePosition(*event);
    emit MouseUp(ButtonValue(event->button()), ShiftValue(event->modifiers()), p.x(), p.y());
    if (rect().contains(event->position().toPoint())) emit Clicked();
}

}  // namespace sorvenal
