// Saving the 6000 x 4000 photo: our JPEG at quality 92 against cjpeg -quality 92 of the same
// pixels (from a PPM in the page cache) and against QImageWriter; our PNG against
// QImageWriter's; our BMP as it was. Every contender's file is synced before its clock stops.
// Medians of seven interleaved runs, with ratios taken in the same run; then the JPEG's size
// against the original's, and the quality box's size estimate against the written size on
// three pictures:
//   save_bench [FOLDER]
#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/photo_jpeg.h"
#include "platform/picture_io.h"
#include "platform/picture_writers.h"

using namespace sorvenal;

namespace {

constexpr int kRuns = 7;

using bench::Median;

bool SyncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool QtWrite(const QImage& image, const QString& path, const char* format, int quality) {
    QImageWriter writer(path, format);
    if (quality >= 0) writer.setQuality(quality);
    return writer.write(image) && SyncFile(path);
}

// Sensor noise over the photo, as a phone's high-ISO picture has.
QImage Noisy(QImage image) {
    std::uint32_t state = 99u;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int n = int(state >> 28) - 8;
            row[x] =
                qRgb(std::clamp(qRed(row[x]) + n, 0, 255), std::clamp(qGreen(row[x]) + n, 0, 255),
                     std::clamp(qBlue(row[x]) + n, 0, 255));
        }
    }
    return image;
}

// A sky: smooth shading only.
QImage Sky(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(90 + y * 100 / height, 140 + x * 60 / width, 230 - y * 40 / height);
    }
    return image;
}

int Run(const QStringList& args) {
    QTemporaryDir tmp(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const QString folder = args.isEmpty() ? tmp.path() : args.first();
    const QString original = bench::PhotoJpeg(QDir(folder).filePath("6000x4000.jpg"), 6000, 4000);
    const ReadResult read = ReadPicture(original);
    if (!read.ok()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(original));
        return 1;
    }
    const QImage& photo = read.image;
    const QString ppm = QDir(folder).filePath("photo.ppm");
    photo.convertToFormat(QImage::Format_RGB888).save(ppm, "PPM");
    const QString cjpeg = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));
    const auto out = [&](const char* name) { return QDir(tmp.path()).filePath(name); };

    const std::vector<std::pair<std::string, std::function<bool()>>> contenders = {
        {"ours jpeg q92",
         [&] { return WriteJpeg(photo, QFile::encodeName(out("a.jpg")), 92, {}, false).ok(); }},
        {"cjpeg -quality 92",
         [&] {
             if (cjpeg.isEmpty()) return false;
             return QProcess::execute(cjpeg, {"-quality", "92", "-outfile", out("b.jpg"), ppm}) ==
                        0 &&
                    SyncFile(out("b.jpg"));
         }},
        {"QImageWriter jpeg q92", [&] { return QtWrite(photo, out("c.jpg"), "jpeg", 92); }},
        {"ours png",
         [&] { return WritePng(photo, QFile::encodeName(out("d.png")), {}, false).ok(); }},
        {"QImageWriter png", [&] { return QtWrite(photo, out("e.png"), "png", -1); }},
        {"ours bmp", [&] { return WriteBmp24(photo, QFile::encodeName(out("f.bmp"))).ok(); }},
    };
    std::map<std::string, std::vector<double>> times;
    for (int run = 0; run < kRuns; ++run) {
        for (const auto& [name, write] : contenders) {
            for (const char* file : {"a.jpg", "b.jpg", "c.jpg", "d.png", "e.png", "f.bmp"})
                QFile::remove(out(file));
            QElapsedTimer clock;
            clock.start();
            const bool ok = write();
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            if (ok) times[name].push_back(ms);
        }
    }
    const auto median = [&](const std::string& name) {
        return times[name].empty() ? 0.0 : Median(times[name]);
    };
    std::printf("6000 x 4000, %d runs, medians (fsync included):\n", kRuns);
    for (const auto& [name, write] : contenders)
        std::printf("  %-24s %8.1f ms\n", name.c_str(), median(name));
    const double ours = median("ours jpeg q92");
    if (median("cjpeg -quality 92") > 0)
        std::printf("  ours jpeg / cjpeg          %.2f x\n", ours / median("cjpeg -quality 92"));
    std::printf("  ours jpeg / QImageWriter   %.2f x\n", ours / median("QImageWriter jpeg q92"));
    std::printf("  ours png / QImageWriter    %.2f x\n",
                median("ours png") / median("QImageWriter png"));

    WriteJpeg(photo, QFile::encodeName(out("a.jpg")), 92, {}, false);
    WritePng(photo, QFile::encodeName(out("d.png")), {}, false);
    QtWrite(photo, out("e.png"), "png", -1);
    const auto size = [](const QString& path) { return QFileInfo(path).size(); };
    std::printf(
        "sizes: original (q90, 4:2:0) %lld, saved q92 (4:4:4) %lld (%.2f x), "
        "png %lld, QImageWriter png %lld\n",
        size(original), size(out("a.jpg")), double(size(out("a.jpg"))) / size(original),
        size(out("d.png")), size(out("e.png")));

    std::printf("size estimate against the written JPEG:\n");
    const std::pair<const char*, QImage> pictures[] = {
        {"photo", photo}, {"noisy photo", Noisy(photo)}, {"sky", Sky(6000, 4000)}};
    for (const auto& [name, picture] : pictures) {
        for (int quality : {92, 75, 50}) {
            const qint64 estimate = EstimateJpegBytes(picture, quality);
            const qint64 actual = EncodeJpeg(picture, quality).size();
            std::printf("  %-12s q%-3d estimate %9lld, written %9lld, off by %+.1f %%\n", name,
                        quality, static_cast<long long>(estimate), static_cast<long long>(actual),
                        100.0 * double(estimate - actual) / double(actual));
        }
    }
    return 0;
}

const bool registered = bench::AddRun("", Run);

}  // namespace
