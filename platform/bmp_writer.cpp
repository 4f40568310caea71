#include "platform/bmp_writer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <future>
#include <limits>
#include <system_error>
#include <vector>

namespace sorvenal {

namespace {

void PutLe16(char* at, unsigned value) {
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>((value >> 8) & 0xFF);
}
void PutLe32(char* at, quint32 value) {
    PutLe16(at, value & 0xFFFF);
    PutLe16(at + 2, value >> 16);
}

// One row of 0xAARRGGBB words as blue, green, red bytes.
void PackRow(const quint32* src, int width, char* dst) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= width; x += 4) {
            const quint32 p0 = src[x], p1 = src[x + 1], p2 = src[x + 2], p3 = src[x + 3];
            const quint32 w0 = (p0 & 0xFFFFFFu) | (p1 << 24);
            const quint32 w1 = ((p1 >> 8) & 0xFFFFu) | (p2 << 16);
            const quint32 w2 = ((p2 >> 16) & 0xFFu) | (p3 << 8);
            std::memcpy(dst, &w0, 4);
            std::memcpy(dst + 4, &w1, 4);
            std::memcpy(dst + 8, &w2, 4);
            dst += 12;
        }
    }
    for (; x < width; ++x) {
        const quint32 p = src[x];
        *dst++ = static_cast<char>(p & 0xFF);
        *dst++ = static_cast<char>((p >> 8) & 0xFF);
        *dst++ = static_cast<char>((p >> 16) & 0xFF);
    }
}

WriteResult WriteFailure(const PictureFailure& failure) {
    return WriteResult{WriteStatus::Failed, failure};
}

}  // namespace

WriteResult WriteBmp24(const QImage& image, const QString& path, bool overwrite) {
    return WriteBmp24(image, NativeOf(path), overwrite);
}

WriteResult WriteBmp24(const QImage& image, const NativePath& path, bool overwrite) {
    if (image.isNull()) return WriteFailure({PictureError::NoPicture});
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 rowBytes = (width * 3 + 3) / 4 * 4;
    constexpr qint64 kHeaderBytes = 54;
    if (height > (std::numeric_limits<qint32>::max() - kHeaderBytes) / rowBytes)
        return WriteFailure({PictureError::TooLarge, 0, width, height});
    const qint64 fileBytes = kHeaderBytes + rowBytes * height;
    if (!overwrite && PathExists(path)) return WriteResult{WriteStatus::Exists, {}};

    QImage source = image;
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32)
        source = source.convertToFormat(QImage::Format_RGB32);
    if (source.isNull()) return WriteFailure({PictureError::WriteFailed, ENOMEM});

    const auto fill = [&](int fd) -> FsStatus {
        char header[kHeaderBytes] = {};
        header[0] = 'B';
        header[1] = 'M';
        PutLe32(header + 2, static_cast<quint32>(fileBytes));
        PutLe32(header + 10, static_cast<quint32>(kHeaderBytes));
        PutLe32(header + 14, 40);
        PutLe32(header + 18, static_cast<quint32>(width));
        PutLe32(header + 22, static_cast<quint32>(height));
        PutLe16(header + 26, 1);
        PutLe16(header + 28, 24);
        PutLe32(header + 34, static_cast<quint32>(rowBytes * height));
        PutLe32(header + 38, 2835);  // 72 dots per inch
        PutLe32(header + 42, 2835);
        if (!WriteAll(fd, header, kHeaderBytes)) return {errno, {}};

        // Rows go bottom-up in blocks of about a megabyte (small enough to stay in cache between
        // packing and writing). The next block is packed on a second thread while the current
        // one is written, so packing costs little next to the write itself.
        const int rowsPerBlock = static_cast<int>(std::max<qint64>(1, (1 << 20) / rowBytes));
        const int blocks = static_cast<int>((height + rowsPerBlock - 1) / rowsPerBlock);
        std::vector<char> buffers[2];
        for (auto& buffer : buffers) buffer.assign(static_cast<size_t>(rowBytes * rowsPerBlock), 0);
        auto packBlock = [&](int index) -> size_t {
            char* out = buffers[index % 2].data();
            const int top = static_cast<int>(height) - 1 - index * rowsPerBlock;
            const int rows = std::min(rowsPerBlock, top + 1);
            for (int i = 0; i < rows; ++i)  // padding bytes stay zero
                PackRow(reinterpret_cast<const quint32*>(source.constScanLine(top - i)),
                        static_cast<int>(width), out + i * rowBytes);
            return static_cast<size_t>(rows * rowBytes);
        };
        size_t ready = packBlock(0);
        for (int index = 0; index < blocks; ++index) {
            std::future<size_t> next;
            if (index + 1 < blocks) {
                try {
                    next = std::async(std::launch::async, packBlock, index + 1);
                } catch (const std::system_error&) {
                    // No thread to be had: pack after the write instead.
                }
            }
            const bool written = WriteAll(fd, buffers[index % 2].data(), ready);
            const int writeError = errno;
            if (index + 1 < blocks) ready = next.valid() ? next.get() : packBlock(index + 1);
            if (!written) return {writeError, {}};
        }
        return FsOk();
    };
    return WriteResultOf(WriteFileAtomically(path, fill, 0666, overwrite), path);
}

WriteResult WriteResultOf(const FsStatus& written, const NativePath& path) {
    if (written.error == EEXIST && written.path == path)
        return WriteResult{WriteStatus::Exists, {}};
    if (!written.ok()) return WriteFailure({PictureError::WriteFailed, written.error});
    return WriteResult{WriteStatus::Ok, {}};
}

}  // namespace sorvenal
