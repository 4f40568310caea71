#pragma once
// Reading pictures (BMP, JPEG, GIF first frame, PNG, WebP) and writing 24-bit BMP files.
#include <QImage>
#include <QString>
#include <atomic>

#include "platform/file_system.h"

namespace sorvenal {

// Largest picture we accept; a header claiming more is refused before any allocation.
inline constexpr qint64 kMaxPicturePixels = 120'000'000;
// Longest side we accept, in pixels (GIF sides are 16-bit; so are the window's scroll ranges).
inline constexpr int kMaxPictureSide = 65535;
// Decoder allocation limit in megabytes: room for a 100-megapixel photo at 4 bytes a pixel.
inline constexpr int kPictureAllocationLimitMb = 1024;

struct ReadResult {
    QImage image;   // Format_RGB32, orientation applied; null on failure
    QString error;  // the reason, in Japanese, when image is null
    bool ok() const { return !image.isNull(); }
};
struct ReadOptions {
    // Set from another thread to cut the decode short; it then fails.
    const std::atomic<bool>* cancel = nullptr;
    // Decode into memory advised for transparent huge pages (fewer page faults on a big photo).
    bool hugePages = false;
};
// Decodes with EXIF orientation applied and an explicit allocation limit. The format is told
// by the content, not the name; a file that ends before its picture does is refused.
ReadResult ReadPicture(const NativePath& path, const ReadOptions& options = {});
ReadResult ReadPicture(const QString& path);

struct PreviewResult {
    QImage preview;  // Format_RGB32, orientation applied, fits the box; null on failure
    QSize size;      // the picture's own size, orientation applied (also on some failures)
    QImage picture;  // the whole picture when the one decode gave it too (all but JPEG)
    QString error;   // the reason, in Japanese, when preview is null
    bool ok() const { return !preview.isNull(); }
};
// The header and a small copy for showing, for a JPEG decoded scaled (fast); the box is in
// pixels. The other formats are decoded whole, which serves as both.
PreviewResult ReadPreview(const NativePath& path, const QSize& box);

// An empty Format_RGB32 picture whose memory is advised for transparent huge pages. When the
// last such picture is freed its memory is kept for the next one of about its size, until
// ReleaseSpareHugePages.
QImage HugePageImage(int width, int height);
void ReleaseSpareHugePages();

enum class WriteStatus { Ok, Exists, Failed };
struct WriteResult {
    WriteStatus status = WriteStatus::Failed;
    QString error;  // the system's reason when Failed
    bool ok() const { return status == WriteStatus::Ok; }
};
// Writes an uncompressed 24-bit BMP that appears whole or not at all, synced before it takes
// its name; without overwrite an existing name is refused, also one that appears while
// writing. A failed write leaves nothing behind.
WriteResult WriteBmp24(const QImage& image, const NativePath& path, bool overwrite = false);
WriteResult WriteBmp24(const QImage& image, const QString& path, bool overwrite = false);

}  // namespace sorvenal
