#include "app/preview_image.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/picture_box.h"

namespace sorvenal {

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);  // the preview is clickable
}

void PreviewImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    scaled_ = QImage();
    update();
}

void PreviewImage::ClearPicture() { SetPicture(QImage()); }

void PreviewImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull() || width() <= 0 || height() <= 0) return;
    // Scaled to the device pixels the widget covers, never to logical ones.
    const QSize target = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (scaled_.size() != target) {
        // A cheap reduction first keeps smoothing a large photo fast.
        QImage source = picture_;
        if (source.width() > 4 * target.width() && source.height() > 4 * target.height())
            source = source.scaled(2 * target.width(), 2 * target.height(), Qt::IgnoreAspectRatio,
                                   Qt::FastTransformation);
        scaled_ = source.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPainter p(this);
    DrawAtDevicePixels(p, scaled_);
}

void PreviewImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
    QWidget::mouseReleaseEvent(event);
}

}  // namespace sorvenal
