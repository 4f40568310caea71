// The source file's EXIF, read at save time: from a JPEG's APP1 segment, a HEIF/AVIF's EXIF
// item (libheif) or a JPEG XL's "Exif" box (libjxl). Only the block is read, no picture.
#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <libheif/heif.h>

#include <QFile>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/exif_block.h"

namespace sorvenal {
namespace {

// Files of any size are walked a segment at a time; only the APP1 is kept.
QByteArray JpegExif(QFile& file) {
    if (!file.seek(2)) return {};
    for (;;) {
        uchar marker[4];
        if (file.read(reinterpret_cast<char*>(marker), 4) != 4 || marker[0] != 0xFF) return {};
        // Fill bytes before a marker are allowed.
        while (marker[1] == 0xFF) {
            marker[1] = marker[2];
            marker[2] = marker[3];
            if (!file.getChar(reinterpret_cast<char*>(&marker[3]))) return {};
        }
        // The picture's data begins: no EXIF came before it.
        if (marker[1] == 0xDA || marker[1] == 0xD9) return {};
        const int length = marker[2] << 8 | marker[3];
        if (length < 2) return {};
        if (marker[1] == 0xE1) {
            const QByteArray payload = file.read(length - 2);
            if (payload.size() != length - 2) return {};
            if (payload.startsWith(QByteArrayLiteral("Exif\0\0"))) return payload.mid(6);
        } else if (!file.seek(file.pos() + length - 2)) {
            return {};
        }
    }
}

QByteArray HeifExif(const NativePath& path) {
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    if (!context ||
        heif_context_read_from_file(context.get(), path.constData(), nullptr).code != heif_error_Ok)
        return {};
    heif_image_handle* raw = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &raw).code != heif_error_Ok) return {};
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> handle(
        raw, heif_image_handle_release);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle.get(), "Exif", &id, 1) < 1)
        return {};
    const size_t size = heif_image_handle_get_metadata_size(handle.get(), id);
    // EXIF lives in one JPEG segment: larger is no EXIF we could carry.
    if (size == 0 || size > (1u << 20)) return {};
    QByteArray data(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (heif_image_handle_get_metadata(handle.get(), id, data.data()).code != heif_error_Ok)
        return {};
    return ExifAfterOffsetPrefix(data);
}

QByteArray JxlExif(QFile& file) {
    // Container files only carry boxes; they are of a photo's size, read whole.
    const QByteArray bytes = file.readAll();
    const JxlDecoderPtr decoder = JxlDecoderMake(nullptr);
    if (!decoder) return {};
    JxlDecoder* dec = decoder.get();
    if (JxlDecoderSubscribeEvents(dec, JXL_DEC_BOX) != JXL_DEC_SUCCESS ||
        JxlDecoderSetDecompressBoxes(dec, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(dec, reinterpret_cast<const uint8_t*>(bytes.constData()),
                           static_cast<size_t>(bytes.size())) != JXL_DEC_SUCCESS)
        return {};
    JxlDecoderCloseInput(dec);
    std::vector<uint8_t> box;
    bool inExif = false;
    const auto finish = [&]() -> QByteArray {
        const size_t left = JxlDecoderReleaseBoxBuffer(dec);
        const QByteArray data(reinterpret_cast<const char*>(box.data()),
                              static_cast<qsizetype>(box.size() - left));
        return ExifAfterOffsetPrefix(data);
    };
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(dec);
        if (inExif && (status == JXL_DEC_BOX || status == JXL_DEC_SUCCESS)) return finish();
        switch (status) {
            case JXL_DEC_BOX: {
                JxlBoxType type;
                if (JxlDecoderGetBoxType(dec, type, JXL_TRUE) != JXL_DEC_SUCCESS) return {};
                if (std::memcmp(type, "Exif", 4) != 0) break;
                box.assign(size_t{64} << 10, 0);
                if (JxlDecoderSetBoxBuffer(dec, box.data(), box.size()) != JXL_DEC_SUCCESS)
                    return {};
                inExif = true;
                break;
            }
            case JXL_DEC_BOX_NEED_MORE_OUTPUT: {
                const size_t left = JxlDecoderReleaseBoxBuffer(dec);
                const size_t used = box.size() - left;
                if (box.size() >= (1u << 20)) return {};
                box.resize(box.size() * 2);
                if (JxlDecoderSetBoxBuffer(dec, box.data() + used, box.size() - used) !=
                    JXL_DEC_SUCCESS)
                    return {};
                // What was written stays at the front; the next release counts from the end.
                break;
            }
            default:
                return {};  // the end, an error, or a codestream without boxes
        }
    }
}

}  // namespace

QByteArray ReadExifBlock(const NativePath& path) {
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray head = file.peek(12);
    if (head.startsWith("\xFF\xD8\xFF")) return JpegExif(file);
    if (head.size() == 12 && head.mid(4, 4) == "ftyp") return HeifExif(path);
    if (head.startsWith(QByteArrayLiteral("\0\0\0\x0CJXL \r\n\x87\n"))) return JxlExif(file);
    return {};
}

QByteArray ExifCarriedFrom(const NativePath& source, int width, int height) {
    if (source.isEmpty()) return {};
    const QByteArray block = ReadExifBlock(source);
    return block.isEmpty() ? QByteArray() : ExifForSavedPicture(block, width, height);
}

}  // namespace sorvenal
