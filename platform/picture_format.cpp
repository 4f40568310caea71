#include "platform/picture_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cstring>
#include <vector>

namespace sorvenal {
namespace {

// Sequential reads in large blocks for the completeness walks; every read reports the end.
class ByteSource {
public:
    explicit ByteSource(QFile& file) : file_(file), buffer_(1 << 20) {}

    int Get() {
        if (pos_ == len_ && !Fill()) return -1;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    // False when the file ends before n more bytes.
    bool Skip(qint64 n) {
        while (n > 0) {
            if (pos_ == len_ && !Fill()) return false;
            const qint64 step = std::min<qint64>(n, static_cast<qint64>(len_ - pos_));
            pos_ += static_cast<size_t>(step);
            n -= step;
        }
        return true;
    }
    // Moves just past the next byte equal to value; false at the end of the file.
    bool SkipPast(unsigned char value) {
        for (;;) {
            if (pos_ == len_ && !Fill()) return false;
            const void* hit = std::memchr(buffer_.data() + pos_, value, len_ - pos_);
            if (hit) {
                pos_ = static_cast<size_t>(static_cast<const char*>(hit) - buffer_.data()) + 1;
                return true;
            }
            pos_ = len_;
        }
    }

    // Bytes taken from the start of the file so far.
    qint64 Position() const { return before_ + static_cast<qint64>(pos_); }

private:
    bool Fill() {
        before_ += static_cast<qint64>(len_);
        const qint64 got = file_.read(buffer_.data(), static_cast<qint64>(buffer_.size()));
        pos_ = 0;
        len_ = got > 0 ? static_cast<size_t>(got) : 0;
        return len_ > 0;
    }

    QFile& file_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t len_ = 0;
    qint64 before_ = 0;  // bytes of the file before the buffer
};

quint32 Le32(const QByteArray& b, int at) {
    return static_cast<quint32>(static_cast<unsigned char>(b[at])) |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 3])) << 24;
}
quint16 Le16(const QByteArray& b, int at) {
    return static_cast<quint16>(static_cast<unsigned char>(b[at]) |
                                static_cast<unsigned char>(b[at + 1]) << 8);
}

quint32 Be32(const QByteArray& b, int at) {
    return static_cast<quint32>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 3]));
}

// --- JPEG ---------------------------------------------------------------------------------

bool IsJpeg(const QByteArray& head) {
    return head.size() >= 3 && static_cast<unsigned char>(head[0]) == 0xFF &&
           static_cast<unsigned char>(head[1]) == 0xD8 &&
           static_cast<unsigned char>(head[2]) == 0xFF;
}

// The luma blocks a Huffman-coded frame must code: every scan that codes them spends at least
// one bit on each, so data shorter than that cannot hold the picture (a few hundred bytes that
// claim a hundred megapixels would otherwise decode to grey).
struct JpegFrame {
    bool huffman = false;
    qint64 lumaBlocks = 0;
};

JpegFrame ReadJpegFrame(int marker, const QByteArray& segment) {
    JpegFrame frame;
    const bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (!sof || segment.size() < 9) return frame;
    frame.huffman = marker <= 0xC7;  // 0xC9.. are arithmetic-coded
    const auto byte = [&](int at) { return static_cast<unsigned char>(segment[at]); };
    const qint64 height = byte(1) << 8 | byte(2);
    const qint64 width = byte(3) << 8 | byte(4);
    const int components = byte(5);
    if (components < 1 || segment.size() < 6 + 3 * components) return JpegFrame{};
    int hMax = 1, vMax = 1;
    for (int c = 0; c < components; ++c) {
        hMax = std::max(hMax, byte(7 + 3 * c) >> 4);
        vMax = std::max(vMax, byte(7 + 3 * c) & 0x0F);
    }
    const int h = std::max(1, byte(7) >> 4), v = std::max(1, byte(7) & 0x0F);
    const qint64 columns = (width * h / hMax + 7) / 8;
    const qint64 rows = (height * v / vMax + 7) / 8;
    frame.lumaBlocks = columns * rows;
    return frame;
}

bool JpegComplete(ByteSource& in) {
    if (in.Get() != 0xFF || in.Get() != 0xD8) return false;
    int pending = -1;  // a marker met while scanning entropy-coded data
    JpegFrame frame;
    qint64 entropyBytes = 0;
    for (;;) {
        int marker = pending;
        pending = -1;
        if (marker < 0) {
            // The decoder skips stray bytes before a marker; so do we.
            if (!in.SkipPast(0xFF)) return false;
            do marker = in.Get();
            while (marker == 0xFF);
            if (marker < 0) return false;
        }
        if (marker == 0xD9) return !frame.huffman || entropyBytes * 8 >= frame.lumaBlocks;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        const int high = in.Get();
        const int low = in.Get();
        if (low < 0) return false;
        const int length = high << 8 | low;
        if (length < 2) return false;
        if (frame.lumaBlocks == 0 && marker >= 0xC0 && marker <= 0xCF) {
            QByteArray segment(length - 2, Qt::Uninitialized);
            for (char& b : segment) {
                const int got = in.Get();
                if (got < 0) return false;
                b = static_cast<char>(got);
            }
            frame = ReadJpegFrame(marker, segment);
        } else if (!in.Skip(length - 2)) {
            return false;
        }
        if (marker != 0xDA) continue;
        // Entropy-coded data runs until a marker other than a stuffed zero or a restart.
        const qint64 start = in.Position();
        for (;;) {
            if (!in.SkipPast(0xFF)) return false;
            int next;
            do next = in.Get();
            while (next == 0xFF);
            if (next < 0) return false;
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) continue;
            pending = next;
            break;
        }
        entropyBytes += in.Position() - start - 2;
    }
}

bool JpegFileComplete(QFile& file) {
    ByteSource in(file);
    return JpegComplete(in);
}

// --- GIF ----------------------------------------------------------------------------------

bool IsGif(const QByteArray& head) {
    return head.startsWith("GIF87a") || head.startsWith("GIF89a");
}

// The logical screen, which is the size Qt gives the frames.
bool GifHeaderSize(QIODevice& file, qint64& width, qint64& height) {
    const QByteArray head = file.peek(10);
    if (head.size() != 10) return false;
    width = Le16(head, 6);
    height = Le16(head, 8);
    return true;
}

bool SkipGifSubBlocks(ByteSource& in) {
    for (;;) {
        const int size = in.Get();
        if (size < 0) return false;
        if (size == 0) return true;
        if (!in.Skip(size)) return false;
    }
}

// Complete when the first frame's data ends before the file does.
bool GifComplete(ByteSource& in) {
    if (!in.Skip(10)) return false;
    const int flags = in.Get();
    if (flags < 0 || !in.Skip(2)) return false;
    if ((flags & 0x80) && !in.Skip(3 << ((flags & 7) + 1))) return false;
    for (;;) {
        const int block = in.Get();
        if (block < 0) return false;
        if (block == 0x21) {
            if (in.Get() < 0 || !SkipGifSubBlocks(in)) return false;
        } else if (block == 0x2C) {
            if (!in.Skip(8)) return false;
            const int imageFlags = in.Get();
            if (imageFlags < 0) return false;
            if ((imageFlags & 0x80) && !in.Skip(3 << ((imageFlags & 7) + 1))) return false;
            if (in.Get() < 0) return false;  // LZW minimum code size
            return SkipGifSubBlocks(in);
        } else {
            return true;  // a trailer or junk before any frame: the decoder reports it
        }
    }
}

bool GifFileComplete(QFile& file) {
    ByteSource in(file);
    return GifComplete(in);
}

// --- BMP ----------------------------------------------------------------------------------

bool IsBmp(const QByteArray& head) { return head.startsWith("BM"); }

// Run-length data is complete when its end-of-picture code is reached.
bool BmpRleComplete(ByteSource& in, bool fourBit) {
    for (;;) {
        const int count = in.Get();
        const int value = in.Get();
        if (value < 0) return false;
        if (count > 0) continue;
        if (value == 1) return true;
        if (value == 0) continue;
        if (value == 2) {
            if (!in.Skip(2)) return false;
            continue;
        }
        int bytes = fourBit ? (value + 1) / 2 : value;
        bytes += bytes & 1;
        if (!in.Skip(bytes)) return false;
    }
}

struct BmpHeader {
    qint64 dataOffset = 0;
    qint64 width = 0;
    qint64 height = 0;  // rows, whichever way they run
    int bits = 0;
    quint32 compression = 0;
};

bool ParseBmpHeader(const QByteArray& head, BmpHeader& bmp) {
    if (head.size() < 26) return false;
    bmp.dataOffset = Le32(head, 10);
    const quint32 infoSize = Le32(head, 14);
    if (infoSize == 12) {
        bmp.width = Le16(head, 18);
        bmp.height = Le16(head, 20);
        bmp.bits = Le16(head, 24);
    } else {
        if (head.size() < 34) return false;
        bmp.width = static_cast<qint32>(Le32(head, 18));
        bmp.height = static_cast<qint32>(Le32(head, 22));
        bmp.bits = Le16(head, 28);
        bmp.compression = Le32(head, 30);
    }
    if (bmp.height < 0) bmp.height = -bmp.height;
    return true;
}

bool BmpComplete(QFile& file) {
    BmpHeader bmp;
    if (!ParseBmpHeader(file.read(54), bmp)) return false;
    const auto [dataOffset, width, height, bits, compression] = bmp;
    if (width <= 0 || height <= 0 || bits <= 0 || bits > 32) return true;  // decoder's to judge
    if (compression == 1 || compression == 2) {
        if (!file.seek(dataOffset)) return false;
        ByteSource in(file);
        return BmpRleComplete(in, compression == 2);
    }
    if (compression != 0 && compression != 3 && compression != 6) return true;
    // Sizes are bounded by the pixel limit checked before, so this cannot overflow.
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    const qint64 lastRow = (width * bits + 7) / 8;  // some writers leave off the last padding
    return file.size() >= dataOffset + rowBytes * (height - 1) + lastRow;
}

bool BmpHeaderSize(QIODevice& file, qint64& width, qint64& height) {
    BmpHeader bmp;
    if (!ParseBmpHeader(file.peek(54), bmp)) return false;
    width = bmp.width;
    height = bmp.height;
    return true;
}

// --- PNG and WebP -------------------------------------------------------------------------

bool IsPng(const QByteArray& head) { return head.startsWith("\x89PNG\r\n\x1a\n"); }

bool IsWebp(const QByteArray& head) {
    return head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP";
}

// Complete when the chunks run, by their lengths, to the end chunk.
bool PngComplete(QFile& file) {
    qint64 at = 8;
    for (;;) {
        if (!file.seek(at)) return false;
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8) return false;
        const qint64 next = at + 12 + Be32(chunk, 0);
        if (chunk.mid(4, 4) == "IEND") return file.size() >= next;
        at = next;
    }
}

// The container says how long it is.
bool WebpComplete(QFile& file) {
    const QByteArray head = file.read(8);
    return head.size() == 8 && file.size() >= 8 + static_cast<qint64>(Le32(head, 4));
}

// --- HEIF (HEIC, AVIF) and JPEG XL ---------------------------------------------------------

// An ISO media file whose type box names a still-picture brand.
bool IsHeif(const QByteArray& head) {
    if (head.size() < 12 || head.mid(4, 4) != "ftyp") return false;
    const QByteArray brand = head.mid(8, 4);
    for (const char* known : {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs",
                              "mif1", "msf1", "avif", "avis"})
        if (brand == known) return true;
    return false;
}

// The top-level boxes run, by their sizes, within the file (the last may run to its end).
bool HeifComplete(QFile& file) {
    const qint64 end = file.size();
    qint64 at = 0;
    while (end - at >= 8) {
        if (!file.seek(at)) return false;
        const QByteArray head = file.read(16);
        if (head.size() < 8) return false;
        qint64 length = Be32(head, 0);
        if (length == 0) return true;  // to the end of the file
        if (length == 1) {
            if (head.size() < 16) return false;
            length =
                static_cast<qint64>(static_cast<quint64>(Be32(head, 8)) << 32 | Be32(head, 12));
        }
        if (length < 8 || length > end - at) return false;
        at += length;
    }
    return at > 0;
}

// A bare codestream or the container's signature box.
bool IsJxl(const QByteArray& head) {
    return head.startsWith("\xFF\x0A") ||
           head.startsWith(QByteArray("\0\0\0\x0CJXL \x0D\x0A\x87\x0A", 12));
}

// A codestream has no length to walk: the decoder tells an early end itself.
bool JxlComplete(QFile&) { return true; }

// The formats the file list offers, in the order they are tried.
constexpr PictureFormat kFormats[] = {
    {"bmp", IsBmp, BmpHeaderSize, BmpComplete, false, false},
    {"png", IsPng, nullptr, PngComplete, false, false},
    {"webp", IsWebp, nullptr, WebpComplete, false, false},
    {"jpeg", IsJpeg, nullptr, JpegFileComplete, true, true},
    {"gif", IsGif, GifHeaderSize, GifFileComplete, false, false},
    // Not Qt's: read by platform/own_readers.h, which checks their headers' sizes itself.
    {"heif", IsHeif, nullptr, HeifComplete, false, false},
    {"jxl", IsJxl, nullptr, JxlComplete, false, false},
};

}  // namespace

const PictureFormat* SniffFormat(const QByteArray& head) {
    for (const PictureFormat& format : kFormats)
        if (format.matches(head)) return &format;
    return nullptr;
}

bool WithinPictureLimits(qint64 width, qint64 height) {
    // An empty size is no larger than the limits; whether it is a picture is the caller's word.
    return width <= kMaxPictureSide && height <= kMaxPictureSide &&
           (height <= 0 || width <= kMaxPicturePixels / height);
}

PictureFailure CheckPictureComplete(const NativePath& path, const PictureFormat& format,
                                    dev_t device, ino_t inode) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {PictureError::CannotOpen, errno};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != device ||
        st.st_ino != inode) {
        ::close(fd);
        return {PictureError::NotAFile};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {PictureError::CannotOpen, errno};
    }
    if (!format.complete(file)) return {PictureError::Truncated};
    return {};
}

}  // namespace sorvenal
