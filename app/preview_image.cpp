#include "app/preview_image.h"

#include <QMouseEvent>
#include <QPainter>

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
    if (scaled_.size() != size()) {
        // A cheap reduction first keeps smoothing a large photo fast.
        QImage source = picture_;
        if (source.width() > 4 * width() && source.height() > 4 * height())
            source = source.scaled(2 * width(), 2 * height(), Qt::IgnoreAspectRatio,
                                   Qt::FastTransformation);
        scaled_ = source.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPainter p(this);
    p.drawImage(0, 0, scaled_);
}

void PreviewImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
    QWidget::mouseReleaseEvent(event);
}

}  // namespace sorvenal
