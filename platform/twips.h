#pragma once
// Window geometry is reckoned in twips and converted at the Qt boundary. Twips are 15 per
// logical pixel at any scale factor; pictures are measured in device pixels.
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

namespace sorvenal {

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) { return twips / kTwipsPerPixel; }
constexpr int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }
inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

// A picture of so many device pixels covers this many whole logical pixels (rounded up, so the
// window rules never cut off its last device column).
QSize LogicalSize(const QSize& devicePixels, qreal devicePixelRatio);

struct ScreenTwips {
    int width = 0;
    int height = 0;
    // The part windows may cover (panels left out), from the screen's corner; an empty one is
    // the whole screen.
    QRect available;
};
// The full size of the screen that holds the widget's window, and its available part, twips.
ScreenTwips ScreenSizeTwips(const QWidget& widget);
// Where a window reads its screen size; empty means ScreenSizeTwips.
using ScreenSizeSource = std::function<ScreenTwips(const QWidget&)>;

}  // namespace sorvenal
