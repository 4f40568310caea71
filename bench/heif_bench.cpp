// A 12-megapixel HEIC made like a phone's (4:2:0, with a 320-pixel thumbnail) and a 24-megapixel
// AVIF: the program's full decode against libheif's own single-threaded decode of the same file
// to RGB in this process, and the preview against that full decode. Medians of seven runs:
//   heif_bench [FOLDER]
// (libheif 1.15's encoder writes no tile grids, so each picture is one coded image.)
#include <libheif/heif.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_main.h"
#include "bench/bench_stats.h"
#include "bench/photo_jpeg.h"
#include "platform/picture_io.h"
#include "tools/photo_writers.h"

using namespace sorvenal;

namespace {

using bench::Median;

struct BenchPicture {
    const char* name;
    int width, height;
    HeifWriting writing;
};

QString Make(const QString& folder, const BenchPicture& picture) {
    QString path = QDir(folder).filePath(QString::fromLatin1(picture.name));
    if (QFileInfo::exists(path)) return path;
    const QByteArray bytes =
        EncodeHeif(bench::PhotoLike(picture.width, picture.height), picture.writing);
    QFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// libheif alone: no decoding threads of its own, interleaved RGB out, nothing else.
double LibraryDecodeMs(const QString& path) {
    QElapsedTimer t;
    t.start();
    heif_context* context = heif_context_alloc();
    heif_context_set_max_decoding_threads(context, 0);
    heif_image_handle* handle = nullptr;
    heif_image* image = nullptr;
    if (heif_context_read_from_file(context, QFile::encodeName(path).constData(), nullptr).code ==
            heif_error_Ok &&
        heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok)
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          nullptr);
    const double ms = t.nsecsElapsed() / 1e6;
    if (!image) std::fprintf(stderr, "libheif could not decode %s\n", qPrintable(path));
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return ms;
}

int Heif(const QStringList& args) {
    const QTemporaryDir temporary;
    const QString folder = args.isEmpty() ? temporary.path() : args[0];
    const BenchPicture pictures[] = {
        {"phone-4032x3024-420.heic",
         4032,
         3024,
         {.quality = 80, .subsampled = true, .thumbnailSide = 320}},
        {"camera-6000x4000-422.avif", 6000, 4000, {.av1 = true, .quality = 80}},
    };
    for (const BenchPicture& picture : pictures) {
        const QString path = Make(folder, picture);
        if (path.isEmpty()) {
            std::fprintf(stderr, "the encoder refused %s\n", picture.name);
            return 1;
        }
        const bool thumbnail = picture.writing.thumbnailSide > 0;
        std::vector<double> library, program, preview;
        for (int run = 0; run < 7; ++run) {
            library.push_back(LibraryDecodeMs(path));
            QElapsedTimer t;
            t.start();
            const ReadResult read = ReadPicture(NativeOf(path), ReadOptions{nullptr, true});
            program.push_back(t.nsecsElapsed() / 1e6);
            if (!read.ok()) return 1;
            t.restart();
            const PreviewResult shown = ReadPreview(NativeOf(path), QSize(160, 160));
            preview.push_back(t.nsecsElapsed() / 1e6);
            if (!shown.ok() || shown.picture.isNull() == !thumbnail) {
                std::fprintf(stderr, "the preview did not come from where it should\n");
                return 1;
            }
        }
        const double l = Median(library), p = Median(program), v = Median(preview);
        std::printf(
            "%-26s (%8lld bytes)  libheif single-threaded decode %7.1f ms | program's "
            "full read %7.1f ms = %.2f x faster | preview %6.1f ms = %.3f x the full "
            "read%s\n",
            picture.name, static_cast<long long>(QFileInfo(path).size()), l, p, l / p, v, v / p,
            thumbnail ? " (from the thumbnail)" : "");
    }
    return 0;
}
[[maybe_unused]] const bool kHeif = bench::AddRun("", &Heif);

}  // namespace
