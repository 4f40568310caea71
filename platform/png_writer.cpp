// PNG through libpng, straight from the canvas' 32-bit words, written to the file as it is
// compressed; tagged sRGB, with the source's EXIF as an eXIf chunk.
#include <png.h>
#include <zlib.h>

#include <bit>
#include <cerrno>
#include <csetjmp>

#include "platform/picture_writers.h"

namespace sorvenal {
namespace {

struct PngOutput {
    int fd = -1;
    int error = 0;  // the write's errno once one failed
};

void WriteChunk(png_structp png, png_bytep data, size_t length) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    if (!WriteAll(output->fd, reinterpret_cast<const char*>(data), length)) {
        output->error = errno;
        png_error(png, "write");
    }
}
void NoFlush(png_structp /*png*/) {}
void Quiet(png_structp /*png*/, png_const_charp /*message*/) {}

// 0 or the error number. No object with a destructor lives between setjmp and the library's
// calls, which may jump back.
int EncodePng(const QImage& image, const QByteArray& exif, PngOutput& output) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, Quiet);
    if (!png) return ENOMEM;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return ENOMEM;
    }
    if (setjmp(png_jmpbuf(png))) {  // the library reports its errors by jumping here
        png_destroy_write_struct(&png, &info);
        return output.error ? output.error : EIO;
    }
    png_set_write_fn(png, &output, WriteChunk, NoFlush);
    // Larger pieces mean fewer writes of the compressed stream.
    png_set_compression_buffer_size(png, 1 << 20);
    // After the row filters a photo is mostly small differences; run-length matching finds
    // nearly all that the default search does, several times faster (and often smaller).
    png_set_filter(png, 0, PNG_ALL_FILTERS);
    png_set_compression_strategy(png, Z_RLE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()),
                 static_cast<png_uint_32>(image.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    if (!exif.isEmpty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                       reinterpret_cast<png_bytep>(const_cast<char*>(exif.constData())));
    png_write_info(png, info);
    // The words' fourth byte is dropped, and the order of the other three follows memory.
    if constexpr (std::endian::native == std::endian::little) {
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < image.height(); ++y) png_write_row(png, image.constScanLine(y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return 0;
}

}  // namespace

WriteResult WritePng(const QImage& picture, const NativePath& path, const QByteArray& exif,
                     bool overwrite) {
    if (picture.isNull()) return WriteResult{WriteStatus::Failed, {PictureError::NoPicture}};
    if (!overwrite && PathExists(path)) return WriteResult{WriteStatus::Exists, {}};
    QImage image = picture;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return WriteResult{WriteStatus::Failed, {PictureError::WriteFailed, ENOMEM}};
    const FsStatus written = WriteFileAtomically(
        path,
        [&](int fd) -> FsStatus {
            PngOutput output{fd, 0};
            if (const int error = EncodePng(image, exif, output)) return {error, {}};
            return FsOk();
        },
        0666, overwrite);
    return WriteResultOf(written, path);
}

}  // namespace sorvenal
