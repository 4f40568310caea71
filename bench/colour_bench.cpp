// Colours to sRGB on a 24-megapixel Display P3 JPEG: the decode of the tagged file against the
// same JPEG untagged (the difference is the conversion; goal: at most 0.25 x the decode), and
// the conversion alone against Qt's own conversion of the whole picture in one call. Medians
// of seven runs:
//   colour_bench [FOLDER]
#include <QColorSpace>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/photo_jpeg.h"
#include "platform/colour_to_srgb.h"
#include "platform/picture_io.h"

using namespace sorvenal;

namespace {

using bench::Median;

// The benchmarks' photo with grain, so that its JPEG is of a camera's size (about 10 MB) and
// decodes at a camera JPEG's pace.
QImage Grainy() {
    QImage picture = bench::PhotoLike(6000, 4000);
    quint32 seed = 12345;
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            seed = seed * 1664525U + 1013904223U;
            const int grain = static_cast<int>(seed >> 27) - 16;
            const auto add = [grain](int v) { return std::clamp(v + grain, 0, 255); };
            row[x] = qRgb(add(qRed(row[x])), add(qGreen(row[x])), add(qBlue(row[x])));
        }
    }
    return picture;
}

QString Jpeg(const QString& folder, const char* name, const QColorSpace& space) {
    QString path = QDir(folder).filePath(QString::fromLatin1(name));
    if (!QFileInfo::exists(path)) {
        QImage picture = Grainy();
        if (space.isValid()) picture.setColorSpace(space);
        QImageWriter writer(path, "jpeg");
        writer.setQuality(92);
        writer.write(picture);
    }
    return path;
}

double ReadMs(const QString& path) {
    QElapsedTimer t;
    t.start();
    const ReadResult read = ReadPicture(NativeOf(path), ReadOptions{nullptr, true});
    const double ms = t.nsecsElapsed() / 1e6;
    return read.ok() ? ms : -1;
}

int Colour(const QStringList& args) {
    const QTemporaryDir temporary;
    const QString folder = args.isEmpty() ? temporary.path() : args[0];
    const QString plain = Jpeg(folder, "photo-6000x4000.jpg", {});
    const QString wide = Jpeg(folder, "photo-6000x4000-p3.jpg", QColorSpace::DisplayP3);
    const QImage picture = Grainy();
    PictureColour p3;
    p3.space = QColorSpace::DisplayP3;
    const QColorTransform toSrgb =
        QColorSpace(QColorSpace::DisplayP3).transformationToColorSpace(QColorSpace::SRgb);
    std::vector<double> untagged, tagged, ours, qt;
    for (int run = 0; run < 7; ++run) {
        untagged.push_back(ReadMs(plain));
        tagged.push_back(ReadMs(wide));
        QImage a = picture, b = picture;
        a.detach();
        b.detach();
        QElapsedTimer t;
        t.start();
        ConvertToSrgb(a, p3);
        ours.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        b.applyColorTransform(toSrgb);
        qt.push_back(t.nsecsElapsed() / 1e6);
    }
    const double u = Median(untagged), w = Median(tagged), o = Median(ours), q = Median(qt);
    if (u < 0 || w < 0) return 1;
    std::printf(
        "6000 x 4000 JPEG (%lld bytes): untagged read %7.1f ms | Display P3 read %7.1f ms: +%.1f "
        "ms = %.2f x "
        "the decode\nconversion alone %6.1f ms = %.2f x the decode | Qt's one-call conversion "
        "%6.1f ms (ours %.2f x faster)\n",
        static_cast<long long>(QFileInfo(plain).size()), u, w, w - u, (w - u) / u, o, o / u, q,
        q / o);
    return 0;
}
[[maybe_unused]] const bool kColour = bench::AddRun("", &Colour);

}  // namespace
