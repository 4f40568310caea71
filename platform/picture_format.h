#pragma once
// The picture formats the reader knows: how each is told by its first bytes, the size its
// header claims, and whether the file runs to the picture's end. Decoding is picture_decode's.
//
// A new format plugs in here: one entry in kFormats (picture_format.cpp) with its signature,
// its header size where Qt gives none, and its completeness walk; a format Qt cannot decode
// also gets its reader beside the Qt one in picture_decode.cpp, chosen by the entry's name.
#include <QByteArray>
#include <QtGlobal>

#include "platform/file_system.h"
#include "platform/picture_failure.h"

class QIODevice;
class QFile;

namespace sorvenal {

// Largest picture we accept; a header claiming more is refused before any allocation.
#ifdef SORVENAL_FUZZ_LIMITS
// The fuzzing build's instrumented code turns a tiny file that says 50 megapixels into a minute
// per run; a small picture reaches the same code.
inline constexpr qint64 kMaxPicturePixels = 2'000'000;
#else
inline constexpr qint64 kMaxPicturePixels = 120'000'000;
#endif
// Longest side we accept, in pixels (GIF sides are 16-bit; so are the window's scroll ranges).
inline constexpr int kMaxPictureSide = 65535;
// Decoder allocation limit in megabytes: room for a 100-megapixel photo at 4 bytes a pixel.
inline constexpr int kPictureAllocationLimitMb = 1024;

// Bytes SniffFormat needs from the start of a file.
inline constexpr int kSniffBytes = 12;

struct PictureFormat {
    const char* name;  // also the name of Qt's decoder for it
    bool (*matches)(const QByteArray& head);
    // The size the header claims, read with peek (the decoder's position stays). For the formats
    // whose too-large headers Qt gives no size; null, or false, lets the decoder say.
    bool (*headerSize)(QIODevice& file, qint64& width, qint64& height);
    // False when the file ends before its picture does: Qt's decoders fill a short file with
    // grey rows and report success. Only an early end is judged; other damage is the decoder's.
    bool (*complete)(QFile& file);
    // Decodes scaled while it decodes (a JPEG by eighths), so its preview is no whole picture.
    bool scaledDecode;
    // Comes out of the decoder as 32-bit words, so it may decode into prepared memory.
    bool decodesToRgb32;
};

// The format told by the first kSniffBytes bytes; null for none we know.
const PictureFormat* SniffFormat(const QByteArray& head);

// Within kMaxPictureSide and kMaxPicturePixels.
bool WithinPictureLimits(qint64 width, qint64 height);

// Whether the file's picture runs to its end: None or Truncated. It opens the file apart from
// the decoder, so that the decoder's reading position is left alone, without blocking, and
// refuses with NotAFile what is no longer the plain file `device` and `inode` the decoder has.
PictureFailure CheckPictureComplete(const NativePath& path, const PictureFormat& format,
                                    dev_t device, ino_t inode);

}  // namespace sorvenal
