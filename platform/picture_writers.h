#pragma once
// Writing a picture as a new file in one of the three types a save offers. Each writes through
// the durable atomic write of file_system: whole or not at all, synced, never over a name.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "platform/bmp_writer.h"

namespace sorvenal {

enum class SaveFormat : std::uint8_t { Bmp, Jpeg, Png };

inline constexpr int kDefaultJpegQuality = 92;
inline constexpr int kMinJpegQuality = 50;
inline constexpr int kMaxJpegQuality = 100;
// From here up the colours keep full resolution (4:4:4); below, half each way (4:2:0).
inline constexpr int kFullChromaQuality = 90;

struct PictureWriting {
    SaveFormat format = SaveFormat::Bmp;
    int quality = kDefaultJpegQuality;  // JPEG only, kMinJpegQuality to kMaxJpegQuality
    // A TIFF block as exif_block gives it, already fit for the picture; JPEG and PNG only.
    QByteArray exif;
};

// JPEG and PNG are tagged sRGB (an ICC profile, PNG's sRGB chunk); BMP is as WriteBmp24.
WriteResult WritePicture(const QImage& image, const NativePath& path, const PictureWriting& how,
                         bool overwrite = false);

// The whole JPEG in memory; empty when it cannot be made (no memory, no picture).
QByteArray EncodeJpeg(const QImage& image, int quality, const QByteArray& exif = {});
// The size of the JPEG at `quality`, from an encode of bands spread over the picture.
qint64 EstimateJpegBytes(const QImage& image, int quality);

WriteResult WriteJpeg(const QImage& image, const NativePath& path, int quality,
                      const QByteArray& exif, bool overwrite);
WriteResult WritePng(const QImage& image, const NativePath& path, const QByteArray& exif,
                     bool overwrite);

}  // namespace sorvenal
