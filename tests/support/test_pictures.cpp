#include "tests/support/test_pictures.h"

#include <QFile>
#include <QImageWriter>

#include "tools/gif_writer.h"

namespace sorvenal::test {

QImage GradientPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 7 + y * 3) & 255, (x * 2 + y * 11) & 255, (x * 13 + y * 5) & 255);
    }
    return image;
}

QString WritePicture(const QString& folder, const QString& name, const QImage& picture) {
    QString path = folder + QLatin1Char('/') + name;
    const QString suffix = name.section(QLatin1Char('.'), -1).toLower();
    // Qt has no GIF encoder; ours reduces the picture to 256 colours.
    if (suffix == QLatin1String("gif")) {
        WriteGif(picture, path);
        return path;
    }
    QImageWriter writer(path);
    writer.setFormat(suffix == QLatin1String("jpg") ? QByteArray("jpeg") : suffix.toLatin1());
    if (suffix == QLatin1String("jpg")) writer.setQuality(95);
    writer.write(picture);
    return path;
}

QString WriteGarbage(const QString& folder, const QString& name) {
    QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write("this is not a picture\n");
    return path;
}

QString FirstDifference(const QImage& expected, const QImage& actual) {
    if (expected.size() != actual.size())
        return QStringLiteral("size %1x%2 expected, %3x%4 actual")
            .arg(expected.width())
            .arg(expected.height())
            .arg(actual.width())
            .arg(actual.height());
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < e.height(); ++y)
        for (int x = 0; x < e.width(); ++x)
            if ((e.pixel(x, y) & 0xFFFFFF) != (a.pixel(x, y) & 0xFFFFFF))
                return QStringLiteral("pixel (%1,%2): expected #%3, actual #%4")
                    .arg(x)
                    .arg(y)
                    .arg(e.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'))
                    .arg(a.pixel(x, y) & 0xFFFFFF, 6, 16, QLatin1Char('0'));
    return QString();
}

}  // namespace sorvenal::test
