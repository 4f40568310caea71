#include "platform/picture_decode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <cerrno>

#include "platform/colour_to_srgb.h"
#include "platform/decoder_messages.h"
#include "platform/embedded_profile.h"
#include "platform/huge_page_image.h"
#include "platform/own_readers.h"

namespace sorvenal {
namespace {

ReadResult ReadFailure(const PictureFailure& failure) { return ReadResult{QImage(), failure}; }

// The file the decoder reads. It keeps the error number of a failed read for the message, and
// is cut short on request: every read the decoder makes asks first, so a decode nobody wants
// any longer runs out of data and ends early.
class PictureFile : public QFile {
public:
    explicit PictureFile(const std::atomic<bool>* cancel = nullptr) : cancel_(cancel) {}

    int readError() const { return readError_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (cancel_ && cancel_->load(std::memory_order_relaxed)) return -1;
        const qint64 got = QFile::readData(data, maxSize);
        if (got < 0) readError_ = errno;
        return got;
    }

private:
    const std::atomic<bool>* cancel_;
    int readError_ = 0;
};

// A picture file opened and judged by its header: a regular, non-empty file of a known format
// with a size within our limits. size is as stored, before any orientation.
struct OpenedPicture {
    const PictureFormat* format = nullptr;
    QSize size;
    PictureFailure failure;
    dev_t device = 0;  // which file it is, for the completeness check's own opening
    ino_t inode = 0;
};

OpenedPicture Refused(const PictureFailure& failure) { return {nullptr, {}, failure}; }

// Opens the file and tells its format by its first bytes; the decoder's part is not begun.
OpenedPicture OpenFile(const NativePath& path, PictureFile& file) {
    // Not blocking, so that a pipe cannot hold us before we see it is one.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    // A socket, or a device without its driver, cannot be opened at all.
    if (fd < 0)
        return Refused(errno == ENXIO ? PictureFailure{PictureError::NotAFile}
                                      : PictureFailure{PictureError::CannotOpen, errno});
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        return Refused(folder ? PictureFailure{PictureError::CannotOpen, EISDIR}
                              : PictureFailure{PictureError::NotAFile});
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        const int error = errno;
        ::close(fd);
        return Refused({PictureError::ReadFailed, error});
    }
    if (file.size() == 0) return Refused({PictureError::Empty});
    OpenedPicture opened;
    opened.device = st.st_dev;
    opened.inode = st.st_ino;
    opened.format = SniffFormat(file.peek(kSniffBytes));
    if (!opened.format) return Refused({PictureError::NotAPicture});
    return opened;
}

OpenedPicture OpenPicture(const NativePath& path, PictureFile& file, QImageReader& reader) {
    OpenedPicture opened = OpenFile(path, file);
    if (opened.failure.failed()) return opened;
    reader.setDevice(&file);
    reader.setFormat(opened.format->name);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kPictureAllocationLimitMb);
    qint64 width = 0, height = 0;
    // Qt gives no size for a header it finds too large, so these headers speak for themselves.
    const auto headerSize = opened.format->headerSize;
    if (!headerSize || !headerSize(file, width, height)) {
        const QSize size = reader.size();
        width = size.width();
        height = size.height();
    }
    if (width <= 0 || height <= 0) return Refused({PictureError::Corrupt});
    if (!WithinPictureLimits(width, height))
        return Refused({PictureError::TooLarge, 0, width, height});
    opened.size = QSize(static_cast<int>(width), static_cast<int>(height));
    return opened;
}

// The formats Qt has no decoder for are read from the whole file's bytes by our own readers.
enum class OwnFormat { None, Heif, Jxl };
OwnFormat OwnFormatOf(const NativePath& path) {
    PictureFile file;
    const OpenedPicture opened = OpenFile(path, file);
    if (opened.failure.failed()) return OwnFormat::None;  // the Qt path says why
    const QByteArray name = opened.format->name;
    return name == "heif" ? OwnFormat::Heif : name == "jxl" ? OwnFormat::Jxl : OwnFormat::None;
}

// The file's bytes, mapped rather than copied, for a reader of our own.
struct MappedPicture {
    PictureFile file;
    const uchar* data = nullptr;
    qint64 size = 0;
    PictureFailure failure;
};

void MapPicture(const NativePath& path, MappedPicture& mapped) {
    const OpenedPicture opened = OpenFile(path, mapped.file);
    if (opened.failure.failed()) {
        mapped.failure = opened.failure;
        return;
    }
    if (const PictureFailure incomplete =
            CheckPictureComplete(path, *opened.format, opened.device, opened.inode);
        incomplete.failed()) {
        mapped.failure = incomplete;
        return;
    }
    mapped.size = mapped.file.size();
    mapped.data = mapped.file.map(0, mapped.size);
    if (!mapped.data) mapped.failure = {PictureError::ReadFailed, errno};
}

ReadResult ReadOwn(OwnFormat own, const NativePath& path, const ReadOptions& options) {
    if (!options.hugePages) ReleaseSpareHugePages();
    MappedPicture mapped;
    MapPicture(path, mapped);
    if (mapped.failure.failed()) return ReadFailure(mapped.failure);
    return own == OwnFormat::Heif ? ReadHeif(mapped.data, mapped.size, options)
                                  : ReadJxl(mapped.data, mapped.size, options);
}

PreviewResult PreviewOwn(OwnFormat own, const NativePath& path, const QSize& box,
                         const ReadOptions& options) {
    MappedPicture mapped;
    MapPicture(path, mapped);
    if (mapped.failure.failed()) {
        PreviewResult failed;
        failed.failure = mapped.failure;
        return failed;
    }
    if (own == OwnFormat::Heif) return PreviewHeif(mapped.data, mapped.size, box, options);
    // A JPEG XL is decoded whole, which serves as both.
    ReleaseSpareHugePages();
    const ReadResult whole = ReadJxl(mapped.data, mapped.size, options);
    PreviewResult result;
    result.failure = whole.failure;
    result.preview = whole.image;
    result.picture = whole.image;
    result.size = whole.image.size();
    return result;
}

bool QuarterTurned(const QImageReader& reader) {
    return reader.transformation() & QImageIOHandler::TransformationRotate90;
}

ReadResult DecodeFailure(const QImageReader& reader, const PictureFile& file, const QSize& size) {
    if (reader.error() == QImageReader::DeviceError)
        return ReadFailure({PictureError::ReadFailed, file.readError()});
    // Qt says the same of data it cannot decode and of memory it cannot have; asking for the
    // picture's memory once more tells which (untouched, it costs no pages).
    if (!size.isEmpty() && QImage(size, QImage::Format_RGB32).isNull())
        return ReadFailure({PictureError::OutOfMemory});
    return ReadFailure({PictureError::Corrupt});
}

// The decoded picture as the canvas holds it: 32-bit words of sRGB numbers.
ReadResult AsSrgb32(QImage image, const PictureFile& file, const PictureFormat& format) {
    PictureColour colour;
    colour.space = image.colorSpace();
    // A profile Qt could not parse is still the file's: read it for the fallback converter.
    if (!colour.space.isValid()) colour.icc = EmbeddedIcc(file.handle(), format.name);
    if (image.format() != QImage::Format_RGB32) image.convertTo(QImage::Format_RGB32);
    if (image.isNull()) return ReadFailure({PictureError::OutOfMemory});
    ConvertToSrgb(image, colour);
    return ReadResult{std::move(image), {}};
}

// Qt's decode into `image`, judged by what the decoder said on the way.
ReadResult Decoded(QImageReader& reader, QImage& image, const PictureFile& file,
                   const PictureFormat& format, const DecoderMessages& messages,
                   const std::atomic<bool>* cancel) {
    const bool read = reader.read(&image) && !image.isNull();
    if (cancel && cancel->load()) return ReadFailure({PictureError::Cancelled});
    if (!read) {
        const QSize wanted = reader.scaledSize().isValid() ? reader.scaledSize() : reader.size();
        return DecodeFailure(reader, file, wanted);
    }
    if (const PictureFailure damage = messages.Damage(); damage.failed())
        return ReadFailure(damage);
    return AsSrgb32(std::move(image), file, format);
}

}  // namespace

ReadResult ReadPicture(const QString& path) { return ReadPicture(NativeOf(path)); }

ReadResult ReadPicture(const NativePath& path, const ReadOptions& options) {
    if (const OwnFormat own = OwnFormatOf(path); own != OwnFormat::None)
        return ReadOwn(own, path, options);
    PictureFile file(options.cancel);
    QImageReader reader;
    // From the header on: the decoder says only its first warning, maybe while sizing.
    const DecoderMessages messages;
    const OpenedPicture opened = OpenPicture(path, file, reader);
    if (opened.failure.failed()) return ReadFailure(opened.failure);
    const PictureFormat& format = *opened.format;
    if (const PictureFailure whole =
            CheckPictureComplete(path, format, opened.device, opened.inode);
        whole.failed())
        return ReadFailure(whole);

    // The decoder fills a picture of its own size and format in place; only a format that
    // comes out as 32-bit words (JPEG) gets the prepared memory.
    QImage image;
    if (options.hugePages && format.decodesToRgb32)
        image = HugePageImage(opened.size.width(), opened.size.height());
    else
        ReleaseSpareHugePages();  // the photos browsed are no longer JPEGs
    return Decoded(reader, image, file, format, messages, options.cancel);
}

PreviewResult ReadPreview(const NativePath& path, const QSize& box,
                          const std::atomic<bool>* cancel) {
    if (const OwnFormat own = OwnFormatOf(path); own != OwnFormat::None)
        return PreviewOwn(own, path, box, ReadOptions{cancel, false});
    PictureFile file(cancel);
    QImageReader reader;
    const DecoderMessages messages;  // from the header on, as for the whole picture
    const OpenedPicture opened = OpenPicture(path, file, reader);
    PreviewResult result;
    if (opened.failure.failed()) {
        result.failure = opened.failure;
        return result;
    }
    const bool turned = QuarterTurned(reader);
    result.size = turned ? opened.size.transposed() : opened.size;
    // A JPEG decoder scales by whole eighths while it decodes, which is where the time goes;
    // the other formats give their whole picture, which serves as both.
    const bool scaled = opened.format->scaledDecode;
    if (!scaled) ReleaseSpareHugePages();  // this whole picture is the one kept, not a JPEG
    if (!scaled) {
        result.failure = CheckPictureComplete(path, *opened.format, opened.device, opened.inode);
        if (result.failure.failed()) return result;
    }
    if (scaled) {
        const QSize shown = result.size.scaled(box, Qt::KeepAspectRatio).boundedTo(result.size);
        const QSize wanted = shown.expandedTo(QSize(1, 1));
        reader.setScaledSize(turned ? wanted.transposed() : wanted);
    }
    QImage image;
    const ReadResult read = Decoded(reader, image, file, *opened.format, messages, cancel);
    result.failure = read.failure;
    result.preview = read.image;
    if (!scaled) result.picture = read.image;
    return result;
}

}  // namespace sorvenal
