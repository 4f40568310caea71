#pragma once
// Window geometry is reckoned in twips and converted at the Qt boundary.
#include <QRect>
#include <QSize>

namespace sorvenal {

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }
constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

struct ScreenTwips {
    int width = 0;
    int height = 0;
};
// The primary screen's full size in twips; tests inject a fixed size.
ScreenTwips ScreenSizeTwips();
void SetScreenSizeOverride(const QSize& pixels);  // an invalid size removes the override

}  // namespace sorvenal
