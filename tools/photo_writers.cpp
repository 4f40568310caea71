#include "tools/photo_writers.h"

#include <jxl/encode.h>
#include <jxl/encode_cxx.h>
#include <libheif/heif.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace sorvenal {
namespace {

struct HeifParts {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_image* thumbnail = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    ~HeifParts() {
        heif_encoding_options_free(options);
        if (thumbnail) heif_image_release(thumbnail);
        if (image) heif_image_release(image);
        if (encoder) heif_encoder_release(encoder);
        heif_context_free(context);
    }
};

// Interleaved RGB(A) of 8 bits, or of 16-bit words holding the top `bits` bits.
heif_image* ToHeifImage(const QImage& picture, int bits, bool alpha) {
    const bool deep = bits > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* image = nullptr;
    if (heif_image_create(picture.width(), picture.height(), heif_colorspace_RGB, chroma, &image)
            .code != heif_error_Ok)
        return nullptr;
    if (heif_image_add_plane(image, heif_channel_interleaved, picture.width(), picture.height(),
                             bits)
            .code != heif_error_Ok) {
        heif_image_release(image);
        return nullptr;
    }
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    const QImage source =
        picture.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
    for (int y = 0; y < picture.height(); ++y) {
        uint8_t* row = plane + static_cast<qsizetype>(stride) * y;
        for (qsizetype x = 0; x < picture.width(); ++x) {
            for (qsizetype c = 0; c < channels; ++c) {
                if (deep) {
                    const auto* line = reinterpret_cast<const quint16*>(source.constScanLine(y));
                    const quint16 v = quint16(line[4 * x + c] >> (16 - bits));
                    row[2 * (channels * x + c)] = uint8_t(v & 0xFF);
                    row[2 * (channels * x + c) + 1] = uint8_t(v >> 8);
                } else {
                    row[channels * x + c] = source.constScanLine(y)[4 * x + c];
                }
            }
        }
    }
    return image;
}

// 8-bit BT.601 full-range YCbCr with chroma averaged over 2 × 2 pixels, as a phone's camera
// gives its encoder.
heif_image* ToHeifYcbcr420(const QImage& picture) {
    const int width = picture.width(), height = picture.height();
    heif_image* image = nullptr;
    if (heif_image_create(width, height, heif_colorspace_YCbCr, heif_chroma_420, &image).code !=
        heif_error_Ok)
        return nullptr;
    const int cw = (width + 1) / 2, ch = (height + 1) / 2;
    if (heif_image_add_plane(image, heif_channel_Y, width, height, 8).code != heif_error_Ok ||
        heif_image_add_plane(image, heif_channel_Cb, cw, ch, 8).code != heif_error_Ok ||
        heif_image_add_plane(image, heif_channel_Cr, cw, ch, 8).code != heif_error_Ok) {
        heif_image_release(image);
        return nullptr;
    }
    int ys = 0, cbs = 0, crs = 0;
    uint8_t* yp = heif_image_get_plane(image, heif_channel_Y, &ys);
    uint8_t* cbp = heif_image_get_plane(image, heif_channel_Cb, &cbs);
    uint8_t* crp = heif_image_get_plane(image, heif_channel_Cr, &crs);
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const auto clamp8 = [](double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < width; ++x)
            yp[qsizetype{ys} * y + x] =
                clamp8(0.299 * qRed(line[x]) + 0.587 * qGreen(line[x]) + 0.114 * qBlue(line[x]));
    }
    for (int cy = 0; cy < ch; ++cy) {
        for (int cx = 0; cx < cw; ++cx) {
            double r = 0, g = 0, b = 0;
            int n = 0;
            for (int y = 2 * cy; y < std::min(height, 2 * cy + 2); ++y)
                for (int x = 2 * cx; x < std::min(width, 2 * cx + 2); ++x, ++n) {
                    const QRgb p = rgb.pixel(x, y);
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                }
            r /= n;
            g /= n;
            b /= n;
            cbp[qsizetype{cbs} * cy + cx] = clamp8(128 - 0.168736 * r - 0.331264 * g + 0.5 * b);
            crp[qsizetype{crs} * cy + cx] = clamp8(128 + 0.5 * r - 0.418688 * g - 0.081312 * b);
        }
    }
    return image;
}

heif_error AppendBytes(heif_context*, const void* data, size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data),
                                               static_cast<qsizetype>(size));
    return {heif_error_Ok, heif_suberror_Unspecified, ""};
}

}  // namespace

QByteArray EncodeHeif(const QImage& picture, const HeifWriting& writing) {
    HeifParts parts;
    if (!parts.context || !parts.options) return {};
    const heif_compression_format format =
        writing.av1 ? heif_compression_AV1 : heif_compression_HEVC;
    if (heif_context_get_encoder_for_format(parts.context, format, &parts.encoder).code !=
        heif_error_Ok)
        return {};
    heif_encoder_set_lossy_quality(parts.encoder, writing.quality);
    // This library's AV1 encoder aborts on 4:2:0 and 4:4:4 at its default settings.
    if (writing.av1) {
        heif_encoder_set_parameter(parts.encoder, "chroma", "422");
        heif_encoder_set_parameter(parts.encoder, "speed", "8");  // test pictures, not archives
    }
    parts.image = writing.subsampled ? ToHeifYcbcr420(picture)
                                     : ToHeifImage(picture, writing.bits, writing.alpha);
    if (!parts.image) return {};
    parts.options->save_alpha_channel = writing.alpha;
    const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> nclx(
        writing.nclxPrimaries || writing.subsampled ? heif_nclx_color_profile_alloc() : nullptr,
        heif_nclx_color_profile_free);
    if (nclx) {
        // The planes above are BT.601 over the full range, sRGB unless told otherwise.
        heif_nclx_color_profile_set_color_primaries(
            nclx.get(), static_cast<uint16_t>(writing.nclxPrimaries ? writing.nclxPrimaries : 1));
        heif_nclx_color_profile_set_transfer_characteristics(
            nclx.get(), static_cast<uint16_t>(writing.nclxTransfer ? writing.nclxTransfer : 13));
        heif_nclx_color_profile_set_matrix_coefficients(nclx.get(), 6);
        nclx->full_range_flag = 1;
        heif_image_set_nclx_color_profile(parts.image, nclx.get());
        parts.options->output_nclx_profile = nclx.get();
        // The library leaves the box out by default, for one platform's old viewer.
        parts.options->macOS_compatibility_workaround_no_nclx_profile = 0;
    }
    parts.options->image_orientation = static_cast<heif_orientation>(writing.orientation);
    heif_image_handle* handle = nullptr;
    if (heif_context_encode_image(parts.context, parts.image, parts.encoder, parts.options, &handle)
            .code != heif_error_Ok)
        return {};
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> held(
        handle, heif_image_handle_release);
    if (!writing.exif.isEmpty() &&
        heif_context_add_exif_metadata(parts.context, handle, writing.exif.constData(),
                                       static_cast<int>(writing.exif.size()))
                .code != heif_error_Ok)
        return {};
    if (writing.thumbnailSide > 0) {
        const QImage& from = writing.thumbnailFrom.isNull() ? picture : writing.thumbnailFrom;
        parts.thumbnail = ToHeifImage(from, writing.bits, writing.alpha);
        heif_image_handle* thumbnail = nullptr;
        if (!parts.thumbnail ||
            heif_context_encode_thumbnail(parts.context, parts.thumbnail, handle, parts.encoder,
                                          parts.options, writing.thumbnailSide, &thumbnail)
                    .code != heif_error_Ok)
            return {};
        heif_image_handle_release(thumbnail);
    }
    QByteArray bytes;
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = AppendBytes;
    if (heif_context_write(parts.context, &writer, &bytes).code != heif_error_Ok) return {};
    return bytes;
}

QByteArray EncodeJxl(const QImage& picture, const JxlWriting& writing) {
    const JxlEncoderPtr encoder = JxlEncoderMake(nullptr);
    if (!encoder) return {};
    JxlEncoder* enc = encoder.get();
    const bool deep = writing.bits > 8;
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<uint32_t>(picture.width());
    info.ysize = static_cast<uint32_t>(picture.height());
    info.bits_per_sample = static_cast<uint32_t>(writing.bits);
    info.orientation = static_cast<JxlOrientation>(writing.orientation);
    info.uses_original_profile = writing.lossless ? JXL_TRUE : JXL_FALSE;
    if (writing.alpha) {
        info.num_extra_channels = 1;
        info.alpha_bits = static_cast<uint32_t>(writing.bits);
    }
    if (JxlEncoderSetBasicInfo(enc, &info) != JXL_ENC_SUCCESS) return {};
    if (!writing.exif.isEmpty()) {
        // The box starts with the offset to the TIFF header: none here.
        const QByteArray box = QByteArray(4, '\0') + writing.exif;
        if (JxlEncoderUseBoxes(enc) != JXL_ENC_SUCCESS ||
            JxlEncoderAddBox(enc, "Exif", reinterpret_cast<const uint8_t*>(box.constData()),
                             static_cast<size_t>(box.size()), JXL_FALSE) != JXL_ENC_SUCCESS)
            return {};
        JxlEncoderCloseBoxes(enc);
    }
    JxlColorEncoding colour;
    JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
    if (JxlEncoderSetColorEncoding(enc, &colour) != JXL_ENC_SUCCESS) return {};
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(enc, nullptr);
    if (writing.lossless)
        JxlEncoderSetFrameLossless(settings, JXL_TRUE);
    else
        JxlEncoderSetFrameDistance(settings, 1.0f);

    const uint32_t channels = writing.alpha ? 4 : 3;
    const JxlPixelFormat format{channels, deep ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8,
                                JXL_NATIVE_ENDIAN, 0};
    const QImage source =
        picture.convertToFormat(deep ? QImage::Format_RGBA64 : QImage::Format_RGBA8888);
    std::vector<uint8_t> samples;
    for (int y = 0; y < picture.height(); ++y) {
        for (qsizetype x = 0; x < picture.width(); ++x) {
            for (qsizetype c = 0; c < qsizetype{channels}; ++c) {
                if (deep) {
                    // Full-range 16-bit words, as libjxl takes them, of the top `bits` bits.
                    const auto* line = reinterpret_cast<const quint16*>(source.constScanLine(y));
                    const int top = (1 << writing.bits) - 1;
                    const int v = line[4 * x + c] >> (16 - writing.bits);
                    const quint16 word = quint16((v * 65535 + top / 2) / top);
                    uint8_t two[2];
                    std::memcpy(two, &word, 2);
                    samples.insert(samples.end(), two, two + 2);
                } else {
                    samples.push_back(source.constScanLine(y)[4 * x + c]);
                }
            }
        }
    }
    if (JxlEncoderAddImageFrame(settings, &format, samples.data(), samples.size()) !=
        JXL_ENC_SUCCESS)
        return {};
    JxlEncoderCloseInput(enc);
    QByteArray bytes(4096, '\0');
    size_t used = 0;
    for (;;) {
        auto* next = reinterpret_cast<uint8_t*>(bytes.data()) + used;
        size_t avail = static_cast<size_t>(bytes.size()) - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(enc, &next, &avail);
        used = static_cast<size_t>(next - reinterpret_cast<uint8_t*>(bytes.data()));
        if (status == JXL_ENC_SUCCESS) break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT) return {};
        bytes.resize(bytes.size() * 2);
    }
    bytes.resize(static_cast<qsizetype>(used));
    return bytes;
}

QByteArray ExifWithOrientation(int orientation) {
    // Big-endian TIFF: header, one directory of one entry (orientation, SHORT), no next one.
    QByteArray tiff("MM\0\x2A\0\0\0\x08", 8);
    tiff += QByteArray("\0\x01", 2);
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray(2, '\0');
    tiff += QByteArray(4, '\0');
    return tiff;
}

}  // namespace sorvenal
