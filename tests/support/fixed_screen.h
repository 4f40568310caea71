#pragma once
// A fixed screen size for windows under test, whatever screen the platform reports.
#include "platform/twips.h"

namespace sorvenal::test {

constexpr ScreenTwips ScreenOfPixels(int width, int height) {
    return {PixelsToTwips(width), PixelsToTwips(height), QRect()};
}

inline ScreenSizeSource FixedScreen(int width, int height) {
    return [screen = ScreenOfPixels(width, height)](const QWidget&) { return screen; };
}

}  // namespace sorvenal::test
