// Turns a photo into the launch benchmark's: the same detail, so the same work to decode, in
// shades of magenta that bench/screen_poll.cpp finds on the screen and nothing else shows.
//   launch_photo IN.jpg OUT.jpg
#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: launch_photo IN.jpg OUT.jpg\n", stderr);
        return 2;
    }
    QImageReader::setAllocationLimit(1024);  // MB: a 100 MP photo as 32-bit pixels
    QImage photo = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (photo.isNull()) {
        std::fprintf(stderr, "launch_photo: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int y = 0; y < photo.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            const QRgb p = row[x];
            row[x] =
                qRgb(120 + qRed(p) * 135 / 255, qGreen(p) * 40 / 255, 120 + qBlue(p) * 120 / 255);
        }
    }
    if (!photo.save(QString::fromLocal8Bit(argv[2]), "JPEG", 90)) {
        std::fprintf(stderr, "launch_photo: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
