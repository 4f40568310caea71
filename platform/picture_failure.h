#pragma once
// Why a picture could not be read or written: a kind and, where the system gave one, its error
// number. No words here; PictureErrorText (platform/error_texts.h) says them at the window.
#include <QtGlobal>

namespace sorvenal {

enum class PictureError {
    None,
    CannotOpen,     // the system refused to open the file: `error`
    NotAFile,       // a pipe, a device, or what fstat could not tell
    ReadFailed,     // the decoder's reading device failed: `error`, 0 when it did not say
    Empty,          // no bytes at all
    NotAPicture,    // no format we know by its first bytes
    Corrupt,        // the header or the data make no picture
    TooLarge,       // beyond the limits (or what a BMP can describe): `width` × `height`
    Truncated,      // the file ends before its picture does
    OutOfMemory,    // no memory to hold the decoded picture
    Cancelled,      // the decode was cut short on request
    NoHevcDecoder,  // a HEIC whose codec the installed libheif cannot decode
    NoAv1Decoder,   // the same for an AVIF
    NoPicture,      // nothing to write
    WriteFailed,    // the system refused the write: `error`
};

struct PictureFailure {
    PictureError kind = PictureError::None;
    int error = 0;     // the error number, for CannotOpen, ReadFailed and WriteFailed
    qint64 width = 0;  // the size claimed, for TooLarge
    qint64 height = 0;
    bool failed() const { return kind != PictureError::None; }
};

}  // namespace sorvenal
