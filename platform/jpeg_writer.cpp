// JPEG through libjpeg(-turbo), straight from the canvas' 32-bit words (no conversion copy).
// A large picture is cut into bands of whole restart intervals that encode side by side; the
// bands' entropy-coded data, joined with the restart markers between them, is one baseline
// scan, as every decoder reads it.
// The library's header needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <QColorSpace>
#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <future>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/picture_writers.h"

namespace sorvenal {
namespace {

constexpr qsizetype kMaxApp1Exif = 65533 - 6;  // one segment, after "Exif\0\0"
constexpr int kRestartCycle = 8;               // RST0 to RST7

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}
void Quiet(j_common_ptr /*info*/) {}

struct Band {
    int top = 0;
    int rows = 0;
    bool first = false;
};

// The bytes of one band's encode, or nothing. Kept free of objects with destructors between
// setjmp and the library's calls, which may jump back.
std::vector<uchar> EncodeBand(const QImage& image, const Band& band, int quality, bool restarts,
                              const QByteArray& app1, const QByteArray& icc) {
    jpeg_compress_struct cinfo{};
    ErrorJump error{};
    uchar* buffer = nullptr;
    unsigned long size = 0;  // the library's type
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpOut;
    error.manager.output_message = Quiet;
    if (setjmp(error.jump)) {  // the library reports its errors by jumping here
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);  // the library's allocation
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(band.rows);
    cinfo.input_components = 4;
    cinfo.in_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    const int luma = quality >= kFullChromaQuality ? 1 : 2;
    cinfo.comp_info[0].h_samp_factor = luma;
    cinfo.comp_info[0].v_samp_factor = luma;
    if (restarts) cinfo.restart_in_rows = 1;
    // EXIF comes first after the start of image; a JFIF segment would stand before it.
    cinfo.write_JFIF_header = app1.isEmpty() ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    if (band.first) {
        if (!app1.isEmpty())
            jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(app1.data()),
                              static_cast<unsigned>(app1.size()));
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(icc.constData()),
                               static_cast<unsigned>(icc.size()));
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[16];
        const int count =
            std::min<int>(16, static_cast<int>(cinfo.image_height - cinfo.next_scanline));
        for (int i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(
                image.constScanLine(band.top + static_cast<int>(cinfo.next_scanline) + i));
        jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uchar> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// Where a marker segment of kind `code` starts (at its 0xFF), walking from the start of image;
// -1 when it is not before the scan.
qsizetype FindSegment(const std::vector<uchar>& jpeg, uchar code) {
    qsizetype at = 2;
    while (at + 4 <= static_cast<qsizetype>(jpeg.size()) && jpeg[at] == 0xFF) {
        const uchar kind = jpeg[at + 1];
        if (kind == code) return at;
        if (kind == 0xDA) return -1;
        at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    }
    return -1;
}

std::vector<Band> Bands(const QImage& image, int mcuRows) {
    // Each band but the last is whole cycles of restart markers, so every band's own numbering
    // (which starts at RST0) continues the one before.
    const int unit = mcuRows * kRestartCycle;
    const int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    const int units = (image.height() + unit - 1) / unit;
    // Small pictures are not worth a thread.
    const int count =
        image.width() * qint64(image.height()) < 1'000'000 ? 1 : std::min(threads, units);
    std::vector<Band> bands;
    int top = 0;
    for (int i = 0; i < count; ++i) {
        const int rows = i + 1 == count ? image.height() - top
                                        : (units * (i + 1) / count - units * i / count) * unit;
        bands.push_back({top, rows, i == 0});
        top += rows;
    }
    return bands;
}

}  // namespace

QByteArray EncodeJpeg(const QImage& picture, int quality, const QByteArray& exif) {
    if (picture.isNull()) return {};
    QImage image = picture;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return {};
    quality = std::clamp(quality, kMinJpegQuality, kMaxJpegQuality);
    // The segment is made here: the band's encode may jump past anything it would build.
    const QByteArray app1 = !exif.isEmpty() && exif.size() <= kMaxApp1Exif
                                ? QByteArrayLiteral("Exif\0\0") + exif
                                : QByteArray();
    const QByteArray icc = QColorSpace(QColorSpace::SRgb).iccProfile();
    const int mcuRows = quality >= kFullChromaQuality ? 8 : 16;
    const std::vector<Band> bands = Bands(image, mcuRows);
    const bool restarts = bands.size() > 1;

    std::vector<std::vector<uchar>> parts(bands.size());
    std::vector<std::future<void>> running;
    for (size_t i = 1; i < bands.size(); ++i) {
        auto encode = [&, i] { parts[i] = EncodeBand(image, bands[i], quality, true, {}, {}); };
        try {
            running.push_back(std::async(std::launch::async, encode));
        } catch (const std::system_error&) {
            encode();  // no thread to be had
        }
    }
    parts[0] = EncodeBand(image, bands[0], quality, restarts, app1, icc);
    for (auto& r : running) r.get();
    for (const auto& part : parts)
        if (part.size() < 4) return {};

    // The first band gives the headers, with the whole height in its frame header; each
    // further band gives its scan data alone, after the restart marker that ends the last.
    std::vector<uchar>& head = parts[0];
    if (restarts) {
        const qsizetype frame = FindSegment(head, 0xC0);
        if (frame < 0) return {};
        head[frame + 5] = uchar(image.height() >> 8);
        head[frame + 6] = uchar(image.height() & 0xFF);
    }
    QByteArray out;
    qsizetype total = 0;
    for (const auto& part : parts) total += static_cast<qsizetype>(part.size());
    out.reserve(total + 2 * static_cast<qsizetype>(parts.size()));
    out.append(reinterpret_cast<const char*>(head.data()), static_cast<qsizetype>(head.size()) - 2);
    int mcuRowsBefore = (bands[0].rows + mcuRows - 1) / mcuRows;
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::vector<uchar>& part = parts[i];
        const qsizetype scan = FindSegment(part, 0xDA);
        if (scan < 0) return {};
        const qsizetype data = scan + 2 + (part[scan + 2] << 8 | part[scan + 3]);
        out.append(char(0xFF));
        out.append(char(0xD0 + (mcuRowsBefore - 1) % kRestartCycle));
        out.append(reinterpret_cast<const char*>(part.data()) + data,
                   static_cast<qsizetype>(part.size()) - 2 - data);
        mcuRowsBefore += (bands[i].rows + mcuRows - 1) / mcuRows;
    }
    out.append("\xFF\xD9", 2);
    return out;
}

qint64 EstimateJpegBytes(const QImage& picture, int quality) {
    if (picture.isNull()) return 0;
    constexpr int kBandRows = 64;  // whole MCU rows at either sampling
    constexpr int kBands = 8;
    const int height = picture.height();
    if (height <= kBandRows * kBands * 2) return EncodeJpeg(picture, quality).size();
    const QImage source = picture.format() == QImage::Format_RGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_RGB32);
    QImage sample(source.width(), kBandRows * kBands, QImage::Format_RGB32);
    if (sample.isNull()) return 0;
    for (int b = 0; b < kBands; ++b) {
        const int top = static_cast<int>(qint64(height - kBandRows) * b / (kBands - 1));
        for (int y = 0; y < kBandRows; ++y)
            std::memcpy(sample.scanLine(b * kBandRows + y), source.constScanLine(top + y),
                        static_cast<size_t>(source.bytesPerLine()));
    }
    // The headers are paid once; the rest grows with the rows.
    const qint64 headers = EncodeJpeg(QImage(16, 16, QImage::Format_RGB32), quality).size();
    const qint64 sampled = EncodeJpeg(sample, quality).size();
    return headers + (sampled - headers) * height / sample.height();
}

WriteResult WriteJpeg(const QImage& image, const NativePath& path, int quality,
                      const QByteArray& exif, bool overwrite) {
    if (image.isNull()) return WriteResult{WriteStatus::Failed, {PictureError::NoPicture}};
    if (!overwrite && PathExists(path)) return WriteResult{WriteStatus::Exists, {}};
    const QByteArray jpeg = EncodeJpeg(image, quality, exif);
    if (jpeg.isEmpty())
        return WriteResult{WriteStatus::Failed, {PictureError::WriteFailed, ENOMEM}};
    const FsStatus written = WriteFileAtomically(
        path,
        [&jpeg](int fd) -> FsStatus {
            if (!WriteAll(fd, jpeg.constData(), static_cast<size_t>(jpeg.size())))
                return {errno, {}};
            return FsOk();
        },
        0666, overwrite);
    return WriteResultOf(written, path);
}

WriteResult WritePicture(const QImage& image, const NativePath& path, const PictureWriting& how,
                         bool overwrite) {
    switch (how.format) {
        case SaveFormat::Jpeg:
            return WriteJpeg(image, path, how.quality, how.exif, overwrite);
        case SaveFormat::Png:
            return WritePng(image, path, how.exif, overwrite);
        case SaveFormat::Bmp:
            break;
    }
    return WriteBmp24(image, path, overwrite);
}

}  // namespace sorvenal
