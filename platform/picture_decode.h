#pragma once
// Decoding pictures (BMP, JPEG, GIF first frame, PNG, WebP, HEIF/AVIF, JPEG XL): the preview and
// the whole picture.
// Which formats there are, and how each is judged before decoding, is picture_format's.
#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>

#include "platform/file_system.h"
#include "platform/picture_failure.h"
#include "platform/picture_format.h"

namespace sorvenal {

struct ReadResult {
    QImage image;            // Format_RGB32, orientation applied; null on failure
    PictureFailure failure;  // why, when image is null
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
    QImage preview;          // Format_RGB32, orientation applied, fits the box; null on failure
    QSize size;              // the picture's own size, orientation applied (also on some failures)
    QImage picture;          // the whole picture when the one decode gave it too (all but JPEG)
    PictureFailure failure;  // why, when preview is null
    bool ok() const { return !preview.isNull(); }
};
// The header and a small copy for showing, for a JPEG decoded scaled (fast); the box is in
// pixels. The other formats are decoded whole, which serves as both. cancel as for ReadPicture.
PreviewResult ReadPreview(const NativePath& path, const QSize& box,
                          const std::atomic<bool>* cancel = nullptr);

}  // namespace sorvenal
