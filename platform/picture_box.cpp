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
// Halving a 32 MP picture takes about the time of a frame or two; larger ones are halved by a
// worker.
constexpr long long kBackgroundPixels = 32'000'000;

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
    SetBackgroundPixels(kBackgroundPixels);
}

void PictureBox::SetBackgroundPixels(long long pixels) {
    // The worker's word comes back through the event loop.
    auto ready = [this] {
        QMetaObject::invokeMethod(this, &PictureBox::CollectCopies, Qt::QueuedConnection);
    };
    pyramid_.MakeInBackground(pixels, ready);
    glancePyramid_.MakeInBackground(pixels, ready);
}

void PictureBox::CollectCopies() {
    const bool made = pyramid_.Collect();
    if (glancePyramid_.Collect() || made) update();
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture.format() == QImage::Format_RGB32
                   ? picture
                   : picture.convertToFormat(QImage::Format_RGB32);
    image_ = picture_;
    ImageReplaced();
    FitToImage();
    update();
}

void PictureBox::SetImage(const QImage& image) {
    image_ = image.format() == QImage::Format_RGB32 ? image
                                                    : image.convertToFormat(QImage::Format_RGB32);
    ImageReplaced();
    FitToImage();
    update();
}

void PictureBox::ImageReplaced() {
    outlines_.clear();
    pyramid_.Hold(false);
    // A circle is marked again on the same snapshot: the copies still hold.
    if (!image_.isNull() && image_.cacheKey() == cleanKey_) {
        pyramidKey_ = cleanKey_;
    } else {
        pyramid_.Drop();
        pyramidKey_ = cleanKey_ = 0;
    }
}

void PictureBox::Refresh() {
    // A command wrote the pixels in place; a paint during it may have made copies of a half.
    pyramid_.Drop();
    pyramid_.Hold(false);
    pyramidKey_ = cleanKey_ = 0;
    repaint();
}

void PictureBox::FitToImage() {
    if (image_.isNull()) return;
    resize(LogicalSize(ZoomedSize(image_.size(), zoom_), devicePixelRatioF()));
}

void PictureBox::SetZoom(double zoom) {
    if (zoom == zoom_) return;
    zoom_ = zoom;
    FitToImage();
    update();
}

void PictureBox::SetLiveOutline(double cx, double cy, double radius) {
    live_ = Outline{RoundHalfEven(cx), RoundHalfEven(cy), RoundHalfEven(radius)};
    update();
}

void PictureBox::ClearLiveOutline() {
    if (!live_) return;
    live_.reset();
    update();
}

void PictureBox::SetGlance(const QImage& picture) {
    if (picture.isNull()) return;
    glance_ = picture.format() == QImage::Format_RGB32
                  ? picture
                  : picture.convertToFormat(QImage::Format_RGB32);
    // The original's copies take the place of the image's: a third of a frame at most.
    pyramid_.Drop();
    glancePyramid_.Drop();
    update();
}

void PictureBox::EndGlance() {
    if (glance_.isNull()) return;
    glance_ = QImage();
    glancePyramid_.Drop();
    update();
}

// A window moved to a screen with another scale factor keeps the picture at actual size.
bool PictureBox::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) FitToImage();
    return QWidget::event(event);
}

void PictureBox::ClearPicture() {
    picture_ = QImage();
    image_ = QImage();
    ImageReplaced();
    update();
}

CanvasView PictureBox::View() {
    if (image_.isNull()) return {};
    // A worker reading the pixels would make the writer copy them (and its copies are void).
    pyramid_.Hold(true);
    return ViewOf(image_);  // detaches from the picture
}

void PictureBox::Cls() {
    image_ = picture_;
    ImageReplaced();
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
    // The outline changes no pixel the zoomed copies show.
    const bool copiesHold = image_.cacheKey() == pyramidKey_;
    const Outline outline{RoundHalfEven(cx), RoundHalfEven(cy), RoundHalfEven(radius)};
    // Drawn twice, an outline is gone.
    if (const auto same = std::find(outlines_.begin(), outlines_.end(), outline);
        same != outlines_.end())
        outlines_.erase(same);
    else
        outlines_.push_back(outline);
    pyramid_.Cancel();
    const CanvasView view = ViewOf(image_);
    if (copiesHold) pyramidKey_ = image_.cacheKey();
    for (const QPoint& p : CircleOutlinePoints(outline.cx, outline.cy, outline.radius)) {
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
    PaintView(event);
    emit Painted();
}

void PictureBox::PaintView(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), backColor_);
    if (image_.isNull()) return;
    if (zoom_ == 1 && !live_ && !Glancing()) {
        DrawAtDevicePixels(painter, image_);
        return;
    }
    // Only the part on screen is made: the event's rectangle in device pixels, a pixel wider.
    const qreal ratio = devicePixelRatioF();
    const QRectF r = QRectF(event->rect()).adjusted(-1, -1, 1, 1);
    const QRect device(QPoint(static_cast<int>(std::floor(r.left() * ratio)),
                              static_cast<int>(std::floor(r.top() * ratio))),
                       QPoint(static_cast<int>(std::ceil(r.right() * ratio)),
                              static_cast<int>(std::ceil(r.bottom() * ratio))));
    const QRect part = device & QRect(QPoint(), ZoomedSize(image_.size(), zoom_));
    if (part.isEmpty()) return;
    DrawAtDevicePixels(painter, RenderPart(part), part.topLeft());
}

namespace {
// Points drawn an odd number of times, sorted by row and column: what not-xor leaves inverted.
std::vector<QPoint> OddPoints(std::vector<QPoint> points) {
    auto less = [](const QPoint& a, const QPoint& b) {
        return a.y() != b.y() ? a.y() < b.y() : a.x() < b.x();
    };
    std::sort(points.begin(), points.end(), less);
    std::vector<QPoint> odd;
    for (std::size_t i = 0; i < points.size();) {
        std::size_t j = i;
        while (j < points.size() && points[j] == points[i]) ++j;
        if ((j - i) % 2 == 1) odd.push_back(points[i]);
        i = j;
    }
    return odd;
}

// The outline as shown at a zoom: one device pixel wide around the centre pixel's middle.
std::vector<QPoint> DeviceOutline(int cx, int cy, int radius, double zoom) {
    if (zoom == 1) return CircleOutlinePoints(cx, cy, radius);
    return CircleOutlinePoints(static_cast<int>(std::floor((cx + 0.5) * zoom)),
                               static_cast<int>(std::floor((cy + 0.5) * zoom)),
                               RoundHalfEven(radius * zoom));
}
}  // namespace

QImage PictureBox::RenderPart(QRect device) {
    if (Glancing()) return RenderZoomed(glance_, glancePyramid_, zoom_, device);
    if (image_.cacheKey() != pyramidKey_) {
        pyramid_.Drop();
        pyramidKey_ = image_.cacheKey();
        cleanKey_ = outlines_.empty() ? pyramidKey_ : 0;
    }
    // At actual size the outlines are the image's own pixels, as drawn; zoomed they are shown
    // at device width over the true colours.
    std::vector<QPoint> inverted;
    if (zoom_ != 1) {
        std::vector<QPoint> all;
        for (const Outline& o : outlines_) {
            const std::vector<QPoint> points = CircleOutlinePoints(o.cx, o.cy, o.radius);
            all.insert(all.end(), points.begin(), points.end());
        }
        inverted = OddPoints(std::move(all));
    }
    QImage out = RenderZoomed(image_, pyramid_, zoom_, device, inverted);
    if (zoom_ != 1)
        for (const Outline& o : outlines_)
            InvertPoints(out, DeviceOutline(o.cx, o.cy, o.radius, zoom_), device.topLeft());
    if (live_)
        InvertPoints(out, DeviceOutline(live_->cx, live_->cy, live_->radius, zoom_),
                     device.topLeft());
    return out;
}

void DrawAtDevicePixels(QPainter& painter, const QImage& image, QPoint offset) {
    const qreal ratio = painter.device()->devicePixelRatioF();
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    // The same rounding as PicturePosition, so a click lands on the pixel drawn under it.
    const QTransform t = painter.deviceTransform();
    painter.drawImage(
        QPointF(std::round(t.dx()) - t.dx() + offset.x(), std::round(t.dy()) - t.dy() + offset.y()),
        image);
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
    const int dx = static_cast<int>(std::floor(device.x() + 1e-6));
    const int dy = static_cast<int>(std::floor(device.y() + 1e-6));
    return {static_cast<double>(PictureCoordinate(dx, zoom_)),
            static_cast<double>(PictureCoordinate(dy, zoom_))};
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
