#include "app/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace sorvenal {

namespace {

constexpr int kArtWidth = 121;
constexpr int kArtHeight = 150;

void DrawSparkle(QPainter& p, QPointF c, double r, const QColor& color) {
    QPainterPath star;
    star.moveTo(c.x(), c.y() - r);
    star.quadTo(c, QPointF(c.x() + r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() + r));
    star.quadTo(c, QPointF(c.x() - r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() - r));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(star);
}

// A photo print with a face; `retouched` brightens the tones and adds a glow.
QImage Snapshot(bool retouched, qreal ratio) {
    // Rounded as a label rounds its size at this ratio, so it shows the picture unscaled.
    QImage image((QSizeF(kArtWidth, kArtHeight) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);  // the painter draws on the 121 x 150 grid
    image.fill(retouched ? QColor(255, 252, 240) : QColor(226, 222, 210));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF photo(8, 8, kArtWidth - 16, kArtHeight - 34);
    QLinearGradient sky(photo.topLeft(), photo.bottomLeft());
    sky.setColorAt(0, retouched ? QColor(120, 190, 255) : QColor(92, 110, 128));
    sky.setColorAt(1, retouched ? QColor(205, 235, 255) : QColor(140, 146, 150));
    p.fillRect(photo, sky);
    p.save();
    p.setClipRect(photo);

    // shoulders
    p.setPen(Qt::NoPen);
    p.setBrush(retouched ? QColor(235, 90, 120) : QColor(130, 70, 82));
    p.drawEllipse(QRectF(20, 92, 81, 50));
    // face
    const QRectF face(30, 26, 61, 70);
    QRadialGradient skin(face.center() + QPointF(-8, -10), 48);
    skin.setColorAt(0, retouched ? QColor(255, 236, 222) : QColor(176, 140, 112));
    skin.setColorAt(1, retouched ? QColor(250, 205, 180) : QColor(140, 108, 86));
    p.setBrush(skin);
    p.drawEllipse(face);
    // hair
    p.setBrush(retouched ? QColor(70, 42, 30) : QColor(50, 40, 36));
    QPainterPath hair;
    hair.moveTo(28, 62);
    hair.cubicTo(22, 20, 98, 14, 93, 62);
    hair.cubicTo(86, 40, 60, 34, 40, 44);
    hair.cubicTo(34, 48, 30, 54, 28, 62);
    p.drawPath(hair);
    // eyes and smile
    p.setBrush(QColor(40, 30, 30));
    p.drawEllipse(QRectF(45, 56, 6, 7));
    p.drawEllipse(QRectF(70, 56, 6, 7));
    QPen mouth(QColor(150, 40, 50), 2.4, Qt::SolidLine, Qt::RoundCap);
    p.setPen(mouth);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(47, 62, 27, 20), 200 * 16, 140 * 16);
    if (retouched) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 140, 150, 110));
        p.drawEllipse(QRectF(36, 66, 12, 8));
        p.drawEllipse(QRectF(73, 66, 12, 8));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(47, 57, 2.2, 2.2));
        p.drawEllipse(QRectF(72, 57, 2.2, 2.2));
    }
    p.restore();

    p.setPen(QPen(retouched ? QColor(230, 170, 60) : QColor(120, 116, 106), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(photo);
    if (retouched) {
        DrawSparkle(p, QPointF(98, 24), 11, QColor(255, 250, 200));
        DrawSparkle(p, QPointF(22, 40), 6, QColor(255, 255, 255));
        DrawSparkle(p, QPointF(100, 120), 7, QColor(255, 215, 90));
    }
    // a caption strip under the print: tone bars
    for (int i = 0; i < 5; ++i) {
        const int v = retouched ? 140 + i * 25 : 90 + i * 18;
        p.fillRect(QRectF(14 + i * 19, kArtHeight - 20, 17, 8),
                   retouched ? QColor(255, v, v / 2 + 60) : QColor(v, v, v));
    }
    return image;
}

}  // namespace

QImage SnapshotBefore(qreal ratio) { return Snapshot(false, ratio); }
QImage SnapshotAfter(qreal ratio) { return Snapshot(true, ratio); }

QImage AppIcon(int size, qreal ratio) {
    QImage icon = AppIcon(qRound(size * ratio));
    icon.setDevicePixelRatio(ratio);
    return icon;
}

QIcon AppIconSet() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(AppIcon(size)));
    return icon;
}

QImage AppIcon(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // camera body
    p.setPen(QPen(QColor(40, 40, 90), 1.2));
    p.setBrush(QColor(128, 128, 255));
    p.drawRoundedRect(QRectF(2, 9, 28, 19), 4, 4);
    p.setBrush(QColor(90, 90, 200));
    p.drawRoundedRect(QRectF(8, 5, 10, 6), 2, 2);
    // lens with a smile
    QRadialGradient lens(QPointF(14, 17), 9);
    lens.setColorAt(0, QColor(255, 230, 210));
    lens.setColorAt(1, QColor(240, 180, 150));
    p.setBrush(lens);
    p.drawEllipse(QRectF(7, 11, 15, 15));
    p.setPen(QPen(QColor(60, 30, 30), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(12, 16.5));
    p.drawPoint(QPointF(17, 16.5));
    p.drawArc(QRectF(10.5, 16, 8, 6), 200 * 16, 140 * 16);
    DrawSparkle(p, QPointF(26, 6), 5.5, QColor(255, 230, 80));
    return icon;
}

}  // namespace sorvenal
