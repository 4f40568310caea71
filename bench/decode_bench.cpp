// Preview and full decode against a plain QImageReader::read of the same file, on a 24 MP and a
// 100 MP photo-like JPEG made here. Medians of five runs, each with its ratio:
//   decode_bench [FOLDER]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/picture_io.h"

using namespace sorvenal;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString MakeJpeg(const QString& folder, int width, int height) {
    const QString path = QDir(folder).filePath(QStringLiteral("%1x%2.jpg").arg(width).arg(height));
    if (QFileInfo::exists(path)) return path;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb((x * 255 / width + (x * y) % 7) & 255, (y * 255 / height) & 255,
                          ((x + y) / 40) & 255);
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    for (const QSize size : {QSize(6000, 4000), QSize(12000, 8400)}) {
        const QString path = MakeJpeg(folder, size.width(), size.height());
        std::vector<double> plain, preview, huge;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            {
                QImageReader reader(path);
                QImage image;
                reader.read(&image);
            }
            plain.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            { const PreviewResult p = ReadPreview(NativeOf(path), QSize(160, 160)); }
            preview.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            { const ReadResult r = ReadPicture(NativeOf(path), ReadOptions{nullptr, true}); }
            huge.push_back(t.nsecsElapsed() / 1e6);
        }
        const double p = Median(plain), v = Median(preview), h = Median(huge);
        std::printf(
            "%5d x %5d  plain read %7.1f ms | preview %6.1f ms = %.3f x | "
            "full read into huge pages %7.1f ms = %.2f x faster\n",
            size.width(), size.height(), p, v, v / p, h, p / h);
    }
}
