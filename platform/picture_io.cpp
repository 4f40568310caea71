#include "platform/picture_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <future>
#include <limits>
#include <mutex>
#include <system_error>
#include <vector>

namespace sorvenal {
namespace {

QString Japanese(const char* utf8) { return QString::fromUtf8(utf8); }

ReadResult ReadFailure(const QString& reason) { return ReadResult{QImage(), reason}; }
QString UnreadableText(const QString& reason) {
    return Japanese("ファイルを読めません: ") + reason;
}
QString TooLargeText(qint64 width, qint64 height) {
    return Japanese("画像が大きすぎます (%1 × %2)").arg(width).arg(height);
}

// The formats the file list offers, told by their first bytes.
QByteArray SniffFormat(const QByteArray& head) {
    if (head.startsWith("BM")) return "bmp";
    if (head.startsWith("\x89PNG\r\n\x1a\n")) return "png";
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return "webp";
    if (head.size() >= 3 && static_cast<unsigned char>(head[0]) == 0xFF &&
        static_cast<unsigned char>(head[1]) == 0xD8 && static_cast<unsigned char>(head[2]) == 0xFF)
        return "jpeg";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return "gif";
    return QByteArray();
}

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

private:
    bool Fill() {
        const qint64 got = file_.read(buffer_.data(), static_cast<qint64>(buffer_.size()));
        pos_ = 0;
        len_ = got > 0 ? static_cast<size_t>(got) : 0;
        return len_ > 0;
    }

    QFile& file_;
    std::vector<char> buffer_;
    size_t pos_ = 0;
    size_t len_ = 0;
};

// Qt's decoders fill a file that ends early with grey rows and report success, so each format
// is walked to its end first. Only an early end is judged here; other damage is the decoder's.
bool JpegComplete(ByteSource& in) {
    if (in.Get() != 0xFF || in.Get() != 0xD8) return false;
    int pending = -1;  // a marker met while scanning entropy-coded data
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
        if (marker == 0xD9) return true;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        const int high = in.Get();
        const int low = in.Get();
        if (low < 0) return false;
        const int length = high << 8 | low;
        if (length < 2 || !in.Skip(length - 2)) return false;
        if (marker != 0xDA) continue;
        // Entropy-coded data runs until a marker other than a stuffed zero or a restart.
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
    }
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

quint32 Be32(const QByteArray& b, int at) {
    return static_cast<quint32>(static_cast<unsigned char>(b[at])) << 24 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 1])) << 16 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 2])) << 8 |
           static_cast<quint32>(static_cast<unsigned char>(b[at + 3]));
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

// A second opening of its own, so the decoder's reading position is left alone.
bool Complete(const NativePath& path, const QByteArray& format) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    if (format == "bmp") return BmpComplete(file);
    if (format == "png") return PngComplete(file);
    if (format == "webp") return WebpComplete(file);
    ByteSource in(file);
    return format == "jpeg" ? JpegComplete(in) : GifComplete(in);
}

// --- writing -----------------------------------------------------------------------------

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

WriteResult WriteFailure(const QString& reason) { return WriteResult{WriteStatus::Failed, reason}; }

}  // namespace

ReadResult ReadPicture(const QString& path) { return ReadPicture(NativeOf(path)); }

namespace {

// Cut short on request: every read the decoder makes asks first, so a decode nobody wants
// any longer runs out of data and ends early.
class CancellableFile : public QFile {
public:
    explicit CancellableFile(const std::atomic<bool>* cancel) : cancel_(cancel) {}

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (cancel_ && cancel_->load(std::memory_order_relaxed)) return -1;
        return QFile::readData(data, maxSize);
    }

private:
    const std::atomic<bool>* cancel_;
};

// A picture file opened and judged by its header: a regular, non-empty file of a known format
// with a size within our limits. size is as stored, before any orientation.
struct OpenedPicture {
    QByteArray format;
    QSize size;
    QString error;
};

OpenedPicture OpenPicture(const NativePath& path, QFile& file, QImageReader& reader) {
    // Not blocking, so that a pipe cannot hold us before we see it is one.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {{}, {}, UnreadableText(ErrorText(errno))};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : 0;
        ::close(fd);
        return {
            {},
            {},
            UnreadableText(error ? ErrorText(error) : Japanese("通常のファイルではありません"))};
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {{}, {}, UnreadableText(file.errorString())};
    }
    if (file.size() == 0) return {{}, {}, Japanese("ファイルが空です")};
    OpenedPicture opened;
    opened.format = SniffFormat(file.peek(12));
    if (opened.format.isEmpty()) return {{}, {}, Japanese("画像ファイルではありません")};

    reader.setDevice(&file);
    reader.setFormat(opened.format);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kPictureAllocationLimitMb);
    qint64 width = 0, height = 0;
    BmpHeader bmp;
    // Qt gives no size for a header it finds too large, so these headers speak for themselves.
    if (opened.format == "bmp" && ParseBmpHeader(file.peek(54), bmp)) {
        width = bmp.width;
        height = bmp.height;
    } else if (const QByteArray head = file.peek(10); opened.format == "gif" && head.size() == 10) {
        width = Le16(head, 6);  // the logical screen, which is the size Qt gives the frames
        height = Le16(head, 8);
    } else {
        const QSize size = reader.size();
        width = size.width();
        height = size.height();
    }
    if (width <= 0 || height <= 0) return {{}, {}, Japanese("画像データが壊れています")};
    if (width > kMaxPictureSide || height > kMaxPictureSide || width > kMaxPicturePixels / height)
        return {{}, {}, TooLargeText(width, height)};
    opened.size = QSize(static_cast<int>(width), static_cast<int>(height));
    return opened;
}

bool QuarterTurned(const QImageReader& reader) {
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

ReadResult DecodeFailure(const QImageReader& reader, const QFile& file) {
    if (reader.error() == QImageReader::DeviceError)
        return ReadFailure(UnreadableText(file.errorString()));
    return ReadFailure(Japanese("画像データが壊れています"));
}

ReadResult AsRgb32(QImage image) {
    if (image.format() != QImage::Format_RGB32) image.convertTo(QImage::Format_RGB32);
    if (image.isNull()) return ReadFailure(Japanese("画像を展開するメモリが足りません"));
    return ReadResult{std::move(image), QString()};
}

}  // namespace

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

struct Mapping {
    void* data = nullptr;
    size_t length = 0;
};

// The memory of the last huge-page picture freed, kept for the next one: on these machines the
// first touch of fresh memory costs more than the page faults, and browsing frees one photo
// just before it decodes the next of about its size.
struct Spare {
    std::mutex mutex;
    Mapping mapping;
};
// Never destroyed: a picture may be freed during the program's exit.
Spare& TheSpare() {
    static auto* spare = new Spare;
    return *spare;
}

void Unmap(const Mapping& m) {
    if (m.data) ::munmap(m.data, m.length);
}

Mapping TakeSpare(size_t length) {
    Mapping taken, dropped;
    {
        Spare& spare = TheSpare();
        const std::lock_guard lock(spare.mutex);
        std::swap(taken, spare.mapping);
    }
    // Not a quarter larger than asked: a panorama's memory is not held for a thumbnail.
    if (taken.length < length || taken.length - length > length / 4) std::swap(taken, dropped);
    Unmap(dropped);
    return taken;
}

void KeepAsSpare(const Mapping& m) {
    Mapping older = m;
    {
        Spare& spare = TheSpare();
        const std::lock_guard lock(spare.mutex);
        std::swap(older, spare.mapping);
    }
    Unmap(older);
}

Mapping MapHugePages(size_t length) {
    // Mapped one huge page more, so that a start on a huge-page boundary can be cut out.
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return {};
    const auto base = reinterpret_cast<std::uintptr_t>(mapped);
    const size_t head = (kHugePage - base % kHugePage) % kHugePage;
    char* const start = static_cast<char*>(mapped);
    if (head > 0) ::munmap(start, head);
    if (kHugePage - head > 0) ::munmap(start + head + length, kHugePage - head);
    void* data = start + head;
    // Only advice: where the kernel has no huge pages the memory works as any other.
    ::madvise(data, length, MADV_HUGEPAGE);
    return {data, length};
}

}  // namespace

void ReleaseSpareHugePages() { Unmap(TakeSpare(std::numeric_limits<size_t>::max())); }

QImage HugePageImage(int width, int height) {
    if (width <= 0 || height <= 0) return QImage();
    const size_t bytes = static_cast<size_t>(width) * 4 * static_cast<size_t>(height);
    const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    Mapping mapping = TakeSpare(length);
    if (!mapping.data) mapping = MapHugePages(length);
    if (!mapping.data) return QImage();
    return QImage(
        static_cast<uchar*>(mapping.data), width, height, static_cast<qsizetype>(width) * 4,
        QImage::Format_RGB32,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            KeepAsSpare(*m);
            delete m;
        },
        new Mapping(mapping));
}

ReadResult ReadPicture(const NativePath& path, const ReadOptions& options) {
    CancellableFile file(options.cancel);
    QImageReader reader;
    const OpenedPicture opened = OpenPicture(path, file, reader);
    if (!opened.error.isEmpty()) return ReadFailure(opened.error);
    if (!Complete(path, opened.format))
        return ReadFailure(Japanese("ファイルが途中で切れています"));

    // The decoder fills a picture of its own size and format in place; only JPEG is known to
    // come out as 32-bit words here, so only JPEG gets the prepared memory.
    QImage image;
    if (options.hugePages && opened.format == "jpeg")
        image = HugePageImage(opened.size.width(), opened.size.height());
    else
        ReleaseSpareHugePages();  // the photos browsed are no longer JPEGs
    if (!reader.read(&image) || image.isNull()) return DecodeFailure(reader, file);
    if (options.cancel && options.cancel->load()) return ReadFailure(Japanese("中断しました"));
    return AsRgb32(std::move(image));
}

PreviewResult ReadPreview(const NativePath& path, const QSize& box) {
    QFile file;
    QImageReader reader;
    const OpenedPicture opened = OpenPicture(path, file, reader);
    PreviewResult result;
    if (!opened.error.isEmpty()) {
        result.error = opened.error;
        return result;
    }
    const bool turned = QuarterTurned(reader);
    result.size = turned ? opened.size.transposed() : opened.size;
    // A JPEG decoder scales by whole eighths while it decodes, which is where the time goes;
    // the other formats give their whole picture, which serves as both.
    const bool scaled = opened.format == "jpeg";
    if (!scaled) ReleaseSpareHugePages();  // this whole picture is the one kept, not a JPEG
    if (!scaled && !Complete(path, opened.format)) {
        result.error = Japanese("ファイルが途中で切れています");
        return result;
    }
    if (scaled) {
        const QSize shown = result.size.scaled(box, Qt::KeepAspectRatio).boundedTo(result.size);
        const QSize wanted = shown.expandedTo(QSize(1, 1));
        reader.setScaledSize(turned ? wanted.transposed() : wanted);
    }
    QImage image;
    const ReadResult read = reader.read(&image) && !image.isNull() ? AsRgb32(std::move(image))
                                                                   : DecodeFailure(reader, file);
    result.error = read.error;
    result.preview = read.image;
    if (!scaled) result.picture = read.image;
    return result;
}

WriteResult WriteBmp24(const QImage& image, const QString& path, bool overwrite) {
    return WriteBmp24(image, NativeOf(path), overwrite);
}

WriteResult WriteBmp24(const QImage& image, const NativePath& path, bool overwrite) {
    if (image.isNull()) return WriteFailure(Japanese("画像がありません"));
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 rowBytes = (width * 3 + 3) / 4 * 4;
    constexpr qint64 kHeaderBytes = 54;
    if (height > (std::numeric_limits<qint32>::max() - kHeaderBytes) / rowBytes)
        return WriteFailure(TooLargeText(width, height));
    const qint64 fileBytes = kHeaderBytes + rowBytes * height;
    if (!overwrite && PathExists(path)) return WriteResult{WriteStatus::Exists, QString()};

    QImage source = image;
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32)
        source = source.convertToFormat(QImage::Format_RGB32);
    if (source.isNull()) return WriteFailure(ErrorText(ENOMEM));

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
    const FsStatus written = WriteFileAtomically(path, fill, 0666, overwrite);
    if (written.error == EEXIST && written.path == path)
        return WriteResult{WriteStatus::Exists, QString()};
    if (!written.ok()) return WriteFailure(ErrorText(written.error));
    return WriteResult{WriteStatus::Ok, QString()};
}

}  // namespace sorvenal
