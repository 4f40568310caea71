#pragma once
// Every failure's words, in one place: the results of the file-system and picture layers carry
// a kind and an error number, and only the window turns them into Japanese, here.
#include <QString>

#include "platform/picture_failure.h"

namespace sorvenal {

// One Japanese text per error number; every message of the program takes its reason from here.
QString ErrorText(int error);

// Why a picture could not be read or written (a ReadResult's, PreviewResult's or WriteResult's
// failure); empty for none.
QString PictureErrorText(const PictureFailure& failure);

}  // namespace sorvenal
