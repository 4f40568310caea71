#pragma once
// A photo-like picture for the benchmarks: smooth gradients with some texture, so its JPEG is
// of a usual size and decodes at a usual pace.
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QString>

namespace sorvenal::bench {

inline QImage PhotoLike(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 255 / width + (x * y) % 7) & 255, (y * 255 / height) & 255,
                          ((x + y) / 40) & 255);
    }
    return image;
}

// Written at quality 90 unless the file is there from an earlier run.
inline QString PhotoJpeg(const QString& path, int width, int height) {
    if (!QFileInfo::exists(path)) {
        QImageWriter writer(path, "jpeg");
        writer.setQuality(90);
        writer.write(PhotoLike(width, height));
    }
    return path;
}

}  // namespace sorvenal::bench
