#pragma once
// What Qt's JPEG decoder says while it reads a picture on this thread. Its warnings are the only
// word it gives of damaged data (it fills what is missing with grey and reports success), so
// they are kept for judging the picture; and they, like the PNG decoder's, are never printed,
// so a decode cut short because the user moved on says nothing.
#include <QString>

#include "platform/picture_failure.h"

namespace sorvenal {

class DecoderMessages {
public:
    // Listens on the calling thread until destroyed.
    DecoderMessages();
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages&) = delete;
    DecoderMessages& operator=(const DecoderMessages&) = delete;

    void Add(const QString& message) { first_ = first_.isEmpty() ? message : first_; }
    // The damage the decoder's first warning tells of; harmless warnings (the stray bytes
    // before a marker that cameras write) tell of none.
    PictureFailure Damage() const;

private:
    DecoderMessages* outer_;
    QString first_;  // the decoder reports only its first warning
};

}  // namespace sorvenal
