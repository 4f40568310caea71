// Preview and full decode against a plain QImageReader::read of the same file, on a 24 MP and a
// 100 MP photo-like JPEG made here. Medians of seven runs, each with its ratio. The raw decodes
// into the reader's own memory, into freshly mapped huge pages and into the huge pages the
// previous photo left separate what memory gains from what the decoder itself costs:
//   decode_bench [FOLDER]
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/photo_jpeg.h"
#include "platform/picture_io.h"

using namespace sorvenal;

namespace {

using bench::Median;

std::string HugePageMode() {
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string line;
    std::getline(in, line);
    return line.empty() ? std::string("unknown") : line;
}

QString MakeJpeg(const QString& folder, int width, int height) {
    return bench::PhotoJpeg(
        QDir(folder).filePath(QStringLiteral("%1x%2.jpg").arg(width).arg(height)), width, height);
}

// One decode of the file into `image` as it is handed in (null: the reader allocates).
double DecodeMs(const QString& path, QImage image) {
    QElapsedTimer t;
    t.start();
    QImageReader reader(path);
    reader.read(&image);
    return t.nsecsElapsed() / 1e6;
}

int Decode(const QStringList& args) {
    const QTemporaryDir temporary;
    const QString folder = args.isEmpty() ? temporary.path() : args[0];
    std::printf("transparent huge pages: %s\n", HugePageMode().c_str());
    for (const QSize size : {QSize(6000, 4000), QSize(12000, 8400)}) {
        const QString path = MakeJpeg(folder, size.width(), size.height());
        std::vector<double> plain, preview, fresh, reused, program;
        // Browsing frees one photo's memory just before it decodes the next: a spare that has
        // held pixels, as the previous photo leaves it.
        const auto leaveSpare = [&] {
            ReleaseSpareHugePages();
            HugePageImage(size.width(), size.height()).fill(0);
        };
        for (int run = 0; run < 7; ++run) {
            plain.push_back(DecodeMs(path, QImage()));
            ReleaseSpareHugePages();
            fresh.push_back(DecodeMs(path, HugePageImage(size.width(), size.height())));
            leaveSpare();
            reused.push_back(DecodeMs(path, HugePageImage(size.width(), size.height())));
            QElapsedTimer t;
            t.start();
            { const PreviewResult p = ReadPreview(NativeOf(path), QSize(160, 160)); }
            preview.push_back(t.nsecsElapsed() / 1e6);
            leaveSpare();
            t.restart();
            { const ReadResult r = ReadPicture(NativeOf(path), ReadOptions{nullptr, true}); }
            program.push_back(t.nsecsElapsed() / 1e6);
        }
        const double p = Median(plain), v = Median(preview), f = Median(fresh), u = Median(reused),
                     r = Median(program);
        std::printf(
            "%5d x %5d  plain read %7.1f ms | preview %6.1f ms = %.3f x | into fresh huge pages "
            "%7.1f ms = %.2f x faster | into the previous photo's huge pages %7.1f ms = %.2f x "
            "faster | program's whole read (checks, previous photo's huge pages) %7.1f ms = "
            "%.2f x faster\n",
            size.width(), size.height(), p, v, v / p, f, p / f, u, p / u, r, p / r);
    }
    return 0;
}
[[maybe_unused]] const bool kDecode = bench::AddRun("", &Decode);

}  // namespace
