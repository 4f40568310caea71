// HEIC, HEIF and AVIF through libheif: the primary picture with the transformations its boxes
// name (an EXIF orientation inside is a copy of them, not applied again).
#include <libheif/heif.h>

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "platform/colour_to_srgb.h"
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
