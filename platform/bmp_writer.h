#pragma once
// Writing uncompressed 24-bit BMP files.
#include <QImage>
#include <QString>

#include "platform/file_system.h"
#include "platform/picture_failure.h"

namespace sorvenal {

enum class WriteStatus { Ok, Exists, Failed };
struct WriteResult {
    WriteStatus status = WriteStatus::Failed;
    PictureFailure failure;  // why, when Failed
    bool ok() const { return status == WriteStatus::Ok; }
};
// Writes an uncompressed 24-bit BMP that appears whole or not at all, synced before it takes
// its name; without overwrite an existing name is refused, also one that appears while
// writing. A failed write leaves nothing behind.
WriteResult WriteBmp24(const QImage& image, const NativePath& path, bool overwrite = false);
// What an atomic write of `path` came to, as every picture writer reports it: a name taken
// meanwhile is Exists, any other failure carries its error number.
WriteResult WriteResultOf(const FsStatus& written, const NativePath& path);
WriteResult WriteBmp24(const QImage& image, const QString& path, bool overwrite = false);

}  // namespace sorvenal
