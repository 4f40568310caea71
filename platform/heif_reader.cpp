// HEIC, HEIF and AVIF through libheif: the primary picture with the transformations its boxes
// name (an EXIF orientation inside is a copy of them, not applied again).
#include <libheif/heif.h>

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "engine/pixel_pipeline.h"
#include "platform/colour_to_srgb.h"
#include "platform/huge_page_image.h"
#include "platform/own_readers.h"
#include "platform/sample_rows.h"

namespace sorvenal {
namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<heif_image, ImageRelease>;

// The codec a file needs, told by its brand where the library cannot say which it lacks.
PictureError MissingDecoder(const uchar* data, qint64 size) {
    const heif_brand brand = heif_main_brand(data, static_cast<int>(std::min<qint64>(size, 64)));
    const bool av1 = brand == heif_avif || brand == heif_avis ||
                     (heif_have_decoder_for_format(heif_compression_HEVC) &&
                      !heif_have_decoder_for_format(heif_compression_AV1));
    return av1 ? PictureError::NoAv1Decoder : PictureError::NoHevcDecoder;
}

PictureFailure FailureOf(const heif_error& error, const uchar* data, qint64 size) {
    switch (error.code) {
        case heif_error_Memory_allocation_error:
            return {error.subcode == heif_suberror_Security_limit_exceeded
                        ? PictureError::TooLarge
                        : PictureError::OutOfMemory};
        case heif_error_Unsupported_feature:
            if (error.subcode == heif_suberror_Unsupported_codec)
                return {MissingDecoder(data, size)};
            return {PictureError::Corrupt};
        case heif_error_Invalid_input:
            if (error.subcode == heif_suberror_End_of_data) return {PictureError::Truncated};
            return {PictureError::Corrupt};
        default:
            return {PictureError::Corrupt};
    }
}

bool Cancelled(const ReadOptions& options) {
    return options.cancel && options.cancel->load(std::memory_order_relaxed);
}

struct OpenedHeif {
    Context context;
    Handle primary;
    QSize size;  // as shown, its transformations applied
    PictureFailure failure;
};

OpenedHeif OpenHeif(const uchar* data, qint64 size) {
    OpenedHeif opened;
    opened.context.reset(heif_context_alloc());
    if (!opened.context) return {{}, {}, {}, {PictureError::OutOfMemory}};
    heif_context* context = opened.context.get();
    // Phone pictures are grids of tiles, decoded side by side.
    heif_context_set_max_decoding_threads(
        context, static_cast<int>(std::max(2u, std::thread::hardware_concurrency())));
    heif_context_set_maximum_image_size_limit(context, kMaxPictureSide);
    heif_error error = heif_context_read_from_memory_without_copy(
        context, data, static_cast<size_t>(size), nullptr);
    if (error.code != heif_error_Ok) {
        opened.failure = FailureOf(error, data, size);
        return opened;
    }
    heif_image_handle* primary = nullptr;
    error = heif_context_get_primary_image_handle(context, &primary);
    opened.primary.reset(primary);
    if (error.code != heif_error_Ok) {
        opened.failure = FailureOf(error, data, size);
        return opened;
    }
    const int width = heif_image_handle_get_width(primary);
    const int height = heif_image_handle_get_height(primary);
    if (width <= 0 || height <= 0) {
        opened.failure = {PictureError::Corrupt};
    } else if (!WithinPictureLimits(width, height)) {
        opened.failure = {PictureError::TooLarge, 0, width, height};
    } else {
        opened.size = QSize(width, height);
    }
    return opened;
}

struct NclxFree {
    void operator()(heif_color_profile_nclx* n) const { heif_nclx_color_profile_free(n); }
};

PictureColour ColourOfNclx(const heif_color_profile_nclx& n) {
    return ColourOfNclx(Nclx{
        n.color_primaries, n.transfer_characteristics, n.color_primary_red_x, n.color_primary_red_y,
        n.color_primary_green_x, n.color_primary_green_y, n.color_primary_blue_x,
        n.color_primary_blue_y, n.color_primary_white_x, n.color_primary_white_y});
}

// The file's description of the picture's colours: an ICC profile where there is one, else the
// nclx box, else what the codec's own stream says (AVIF keeps it there).
PictureColour ColourOf(const heif_image_handle* handle, const heif_image* image) {
    PictureColour colour;
    if (const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        size > 0 && size <= (16u << 20)) {
        QByteArray icc(static_cast<qsizetype>(size), Qt::Uninitialized);
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok) {
            colour.icc = icc;
            return colour;
        }
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx)
        heif_image_get_nclx_color_profile(image, &nclx);
    const std::unique_ptr<heif_color_profile_nclx, NclxFree> held(nclx);
    if (held) colour = ColourOfNclx(*held);
    return colour;
}

// How a YCbCr picture's samples become RGB (H.273 matrix coefficients and range).
struct YcbcrMatrix {
    float crToR, cbToG, crToG, cbToB;
    bool fullRange;
};
// Planes of red, green and blue as they are (what an encoder given RGB may store).
constexpr YcbcrMatrix kRgbPlanes{0, 0, 0, 0, true};

std::optional<YcbcrMatrix> MatrixOf(const heif_image* image, const heif_image_handle* handle) {
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_get_nclx_color_profile(image, &nclx).code != heif_error_Ok || !nclx)
        heif_image_handle_get_nclx_color_profile(handle, &nclx);
    const std::unique_ptr<heif_color_profile_nclx, NclxFree> held(nclx);
    // HEVC's and AV1's default when nothing says otherwise: BT.601 over the full range.
    const int code = held ? held->matrix_coefficients : 6;
    const bool full = held ? held->full_range_flag != 0 : true;
    float kr = 0.299F, kb = 0.114F;
    switch (code) {
        case 1:  // BT.709
            kr = 0.2126F;
            kb = 0.0722F;
            break;
        case 9:  // BT.2020
        case 10:
            kr = 0.2627F;
            kb = 0.0593F;
            break;
        case 2:  // unspecified
        case 5:  // BT.601
        case 6:
            break;
        default:  // identity (RGB stored as planes) and the rarer ones: the library's path
            return std::nullopt;
    }
    const float kg = 1 - kr - kb;
    return YcbcrMatrix{2 * (1 - kr), 2 * kb * (1 - kb) / kg, 2 * kr * (1 - kr) / kg, 2 * (1 - kb),
                       full};
}

// The library's planes straight into the canvas's words, in row bands on every core: its own
// conversion to RGB runs on one thread and costs as much as the decode of a phone photo.
QImage YcbcrToRgb32(const heif_image* image, const YcbcrMatrix& m, bool hugePages) {
    const heif_chroma chroma = heif_image_get_chroma_format(image);
    const bool grey = chroma == heif_chroma_monochrome;
    const bool rgb = heif_image_get_colorspace(image) == heif_colorspace_RGB;
    // Red, green and blue planes take the places of Cr, Y and Cb.
    const heif_channel yChannel = rgb ? heif_channel_G : heif_channel_Y;
    const heif_channel cbChannel = rgb ? heif_channel_B : heif_channel_Cb;
    const heif_channel crChannel = rgb ? heif_channel_R : heif_channel_Cr;
    const int width = heif_image_get_width(image, yChannel);
    const int height = heif_image_get_height(image, yChannel);
    const int bits = heif_image_get_bits_per_pixel_range(image, yChannel);
    int yStride = 0, cbStride = 0, crStride = 0;
    const uint8_t* yPlane = heif_image_get_plane_readonly(image, yChannel, &yStride);
    const uint8_t* cbPlane =
        grey ? nullptr : heif_image_get_plane_readonly(image, cbChannel, &cbStride);
    const uint8_t* crPlane =
        grey ? nullptr : heif_image_get_plane_readonly(image, crChannel, &crStride);
    const int shiftX = chroma == heif_chroma_420 || chroma == heif_chroma_422 ? 1 : 0;
    const int shiftY = chroma == heif_chroma_420 ? 1 : 0;
    if (!yPlane || width <= 0 || height <= 0 || bits < 8 || bits > 16 ||
        (!grey && (!cbPlane || !crPlane)) ||
        (!grey && (heif_image_get_width(image, cbChannel) < (width + shiftX) >> shiftX ||
                   heif_image_get_height(image, cbChannel) < (height + shiftY) >> shiftY ||
                   heif_image_get_width(image, crChannel) < (width + shiftX) >> shiftX ||
                   heif_image_get_height(image, crChannel) < (height + shiftY) >> shiftY ||
                   heif_image_get_bits_per_pixel_range(image, cbChannel) != bits ||
                   heif_image_get_bits_per_pixel_range(image, crChannel) != bits)))
        return QImage();
    QImage out =
        hugePages ? HugePageImage(width, height) : QImage(width, height, QImage::Format_RGB32);
    if (out.isNull()) return out;
    // Samples to the 0..255 scale: one rounding, at the end, whatever the depth.
    const float top = static_cast<float>((1 << bits) - 1);
    const float unit = static_cast<float>(1 << (bits - 8));
    const float yOffset = m.fullRange ? 0 : 16 * unit;
    const float yScale = m.fullRange ? 255 / top : 255 / (219 * unit);
    const float cOffset = rgb ? 0 : static_cast<float>(1 << (bits - 1));
    const float cScale = m.fullRange ? 255 / top : 255 / (224 * unit);
    const bool deep = bits > 8;
    const auto sample = [deep](const uint8_t* row, int x) -> float {
        if (!deep) return row[x];
        std::uint16_t v;
        std::memcpy(&v, row + 2 * qsizetype{x}, 2);
        return v;
    };
    const auto level = [](float v) {
        // Clamped to 0..255 first, where adding a half and truncating rounds to nearest (and
        // costs no library call per sample, as lround would).
        // NOLINTNEXTLINE(bugprone-incorrect-roundings)
        return static_cast<QRgb>(static_cast<int>(std::clamp(v, 0.0F, 255.0F) + 0.5F));
    };
    ForEachRowBand(height, static_cast<long long>(width) * height, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const uint8_t* yRow = yPlane + qsizetype{yStride} * y;
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            if (grey) {
                for (int x = 0; x < width; ++x) {
                    const QRgb v = level((sample(yRow, x) - yOffset) * yScale);
                    line[x] = 0xFF000000U | v << 16 | v << 8 | v;
                }
                continue;
            }
            const uint8_t* cbRow = cbPlane + qsizetype{cbStride} * (y >> shiftY);
            const uint8_t* crRow = crPlane + qsizetype{crStride} * (y >> shiftY);
            if (rgb) {
                for (int x = 0; x < width; ++x)
                    line[x] = 0xFF000000U | level(sample(crRow, x) * yScale) << 16 |
                              level(sample(yRow, x) * yScale) << 8 |
                              level(sample(cbRow, x) * yScale);
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const float luma = (sample(yRow, x) - yOffset) * yScale;
                const float cb = (sample(cbRow, x >> shiftX) - cOffset) * cScale;
                const float cr = (sample(crRow, x >> shiftX) - cOffset) * cScale;
                line[x] = 0xFF000000U | level(luma + m.crToR * cr) << 16 |
                          level(luma - m.cbToG * cb - m.crToG * cr) << 8 |
                          level(luma + m.cbToB * cb);
            }
        }
    });
    return out;
}

// Decodes one picture of the file with its transformations, rounded to 8 bits.
ReadResult Decode(heif_image_handle* handle, const ReadOptions& options, const uchar* data,
                  qint64 size) {
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    constexpr bool little = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    heif_chroma chroma = alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB;
    if (deep && alpha)
        chroma = little ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBBAA_BE;
    else if (deep)
        chroma = little ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RRGGBB_BE;

    if (Cancelled(options)) return {QImage(), {PictureError::Cancelled}};
    const std::unique_ptr<heif_decoding_options, OptionsFree> decoding(
        heif_decoding_options_alloc());
    if (!decoding) return {QImage(), {PictureError::OutOfMemory}};
    decoding->convert_hdr_to_8bit = 0;  // we round; the library would shift
    if (!alpha) {
        // The coded planes as they are, converted here; what this cannot convert takes the
        // library's way below.
        heif_image* native = nullptr;
        const heif_error error = heif_decode_image(handle, &native, heif_colorspace_undefined,
                                                   heif_chroma_undefined, decoding.get());
        const Image planes(native);
        if (Cancelled(options)) return {QImage(), {PictureError::Cancelled}};
        if (error.code != heif_error_Ok || !planes) return {QImage(), FailureOf(error, data, size)};
        const heif_colorspace space = heif_image_get_colorspace(planes.get());
        const bool rgb = space == heif_colorspace_RGB &&
                         heif_image_get_chroma_format(planes.get()) == heif_chroma_444;
        const heif_channel first = rgb ? heif_channel_G : heif_channel_Y;
        const int width = heif_image_get_width(planes.get(), first);
        const int height = heif_image_get_height(planes.get(), first);
        if (rgb || space == heif_colorspace_YCbCr || space == heif_colorspace_monochrome) {
            if (width <= 0 || height <= 0) return {QImage(), {PictureError::Corrupt}};
            if (!WithinPictureLimits(width, height))
                return {QImage(), {PictureError::TooLarge, 0, width, height}};
            if (const std::optional<YcbcrMatrix> matrix =
                    rgb ? kRgbPlanes : MatrixOf(planes.get(), handle)) {
                QImage rgb = YcbcrToRgb32(planes.get(), *matrix, options.hugePages);
                if (rgb.isNull()) return {QImage(), {PictureError::OutOfMemory}};
                ConvertToSrgb(rgb, ColourOf(handle, planes.get()));
                return {std::move(rgb), {}};
            }
        }
    }
    heif_image* decoded = nullptr;
    const heif_error error =
        heif_decode_image(handle, &decoded, heif_colorspace_RGB, chroma, decoding.get());
    const Image image(decoded);
    if (Cancelled(options)) return {QImage(), {PictureError::Cancelled}};
    if (error.code != heif_error_Ok || !image) return {QImage(), FailureOf(error, data, size)};

    SampleRows rows;
    int stride = 0;
    rows.data = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    rows.stride = stride;
    rows.width = heif_image_get_width(image.get(), heif_channel_interleaved);
    rows.height = heif_image_get_height(image.get(), heif_channel_interleaved);
    rows.channels = alpha ? 4 : 3;
    rows.bits =
        deep ? heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) : 8;
    rows.premultiplied = heif_image_is_premultiplied_alpha(image.get()) != 0;
    if (!rows.data || rows.width <= 0 || rows.height <= 0 || rows.bits < 8 || rows.bits > 16)
        return {QImage(), {PictureError::Corrupt}};
    if (!WithinPictureLimits(rows.width, rows.height))
        return {QImage(), {PictureError::TooLarge, 0, rows.width, rows.height}};
    QImage rgb = ToRgb32(rows, options.hugePages);
    if (rgb.isNull()) return {QImage(), {PictureError::OutOfMemory}};
    ConvertToSrgb(rgb, ColourOf(handle, image.get()));
    return {std::move(rgb), {}};
}

// The smallest thumbnail that fills `shown` and has the picture's shape (one stored turned
// differently from its picture would show the wrong way).
Handle ThumbnailFor(heif_image_handle* primary, const QSize& size, const QSize& shown) {
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0) return {};
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    Handle best;
    for (const heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &thumbnail).code != heif_error_Ok)
            continue;
        Handle held(thumbnail);
        const int width = heif_image_handle_get_width(thumbnail);
        const int height = heif_image_handle_get_height(thumbnail);
        const double shape = double(width) * size.height() / (double(height) * size.width());
        if (width < shown.width() || height < shown.height() || std::abs(shape - 1) > 0.02 ||
            !WithinPictureLimits(width, height))
            continue;
        if (!best || width < heif_image_handle_get_width(best.get())) best = std::move(held);
    }
    return best;
}

}  // namespace

ReadResult ReadHeif(const uchar* data, qint64 size, const ReadOptions& options) {
    const OpenedHeif opened = OpenHeif(data, size);
    if (opened.failure.failed()) return {QImage(), opened.failure};
    return Decode(opened.primary.get(), options, data, size);
}

PreviewResult PreviewHeif(const uchar* data, qint64 size, const QSize& box,
                          const ReadOptions& options) {
    const OpenedHeif opened = OpenHeif(data, size);
    PreviewResult result;
    result.size = opened.size;
    if (opened.failure.failed()) {
        result.failure = opened.failure;
        return result;
    }
    const QSize shown =
        opened.size.scaled(box, Qt::KeepAspectRatio).boundedTo(opened.size).expandedTo({1, 1});
    if (const Handle thumbnail = ThumbnailFor(opened.primary.get(), opened.size, shown)) {
        const ReadResult small = Decode(thumbnail.get(), options, data, size);
        if (small.ok()) {
            result.preview =
                small.image.size() == shown
                    ? small.image
                    : small.image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            return result;
        }
    }
    // No thumbnail that will do: the whole picture serves as both.
    const ReadResult whole = Decode(opened.primary.get(), options, data, size);
    result.failure = whole.failure;
    result.preview = whole.image;
    result.picture = whole.image;
    return result;
}

}  // namespace sorvenal
