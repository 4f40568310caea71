#include "platform/picture_io.h"

#include <QImageReader>

namespace sorvenal {

ReadResult ReadPicture(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    ReadResult result;
    result.image = reader.read().convertToFormat(QImage::Format_RGB32);
    if (result.image.isNull()) result.error = reader.errorString();
    return result;
}

WriteResult WriteBmp24(const QImage&, const QString&, bool) {
    return {WriteStatus::Failed, QStringLiteral("not written yet")};
}

}  // namespace sorvenal
