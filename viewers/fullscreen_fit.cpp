#include "viewers/fullscreen_fit.h"

#include "platform/fonts.h"
#include "platform/picture_box.h"

namespace sorvenal {

QImage ShrinkToSize(const QImage& picture, const QSize& size) {
    if (picture.isNull() || size.isEmpty()) return picture;
    if (size.width() >= picture.width() && size.height() >= picture.height()) return picture;
    return picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

Form3::Form3(const QImage& picture, const ScreenTwips& screen, QWidget* parent)
    : FullScreenView(screen, parent) {
    setObjectName(QStringLiteral("Form3"));
    Picture7 = new PictureBox(this);
    Picture7->setObjectName(QStringLiteral("Picture7"));
    Picture7->hide();
    Image6 = new PictureBox(this);
    Image6->setObjectName(QStringLiteral("Image6"));
    Image6->SetBackColor(Rgb(80, 90, 100));
    Image6->hide();
    connect(Image6, &PictureBox::Clicked, this, &FullScreenView::CloseView);  // Image6_Click
    Form_Load(picture);
}

void Form3::Form_Load(const QImage& picture) {
    Picture7->ClearPicture();
    Picture7->SetPicture(picture);
    const ScreenTwips screen = Screen();
    const QSize logical = LogicalSize(picture.size(), Picture7->devicePixelRatioF());
    placement_ = PlaceFit(screen.width, screen.height, PixelsToTwips(logical.width()),
                          PixelsToTwips(logical.height()));
    const QRect rect =
        TwipsRect(placement_.lngLeft, placement_.lngTop, placement_.lngWidth, placement_.lngHeight);
    // Scaled once here, to the rectangle's device pixels; the view is static while it is open.
    const QSize device = (QSizeF(rect.size()) * devicePixelRatioF()).toSize();
    Image6->SetPicture(ShrinkToSize(Picture7->Image(), device));
    Image6->setGeometry(rect);
    Image6->show();
}

}  // namespace sorvenal
