#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace sorvenal {

QSize LogicalSize(const QSize& devicePixels, qreal devicePixelRatio) {
    if (devicePixelRatio <= 0) devicePixelRatio = 1;
    // The tolerance keeps 256 / 1.25 at 205 and not 206 after rounding errors.
    auto up = [devicePixelRatio](int px) {
        return static_cast<int>(std::ceil(px / devicePixelRatio - 1e-9));
    };
    return {up(devicePixels.width()), up(devicePixels.height())};
}

ScreenTwips ScreenSizeTwips(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    // QScreen reports logical pixels, which is what twips count.
    const QSize px = screen ? screen->geometry().size() : QSize(1024, 768);
    QRect available;
    if (screen) {
        const QRect a = screen->availableGeometry().translated(-screen->geometry().topLeft());
        available = QRect(PixelsToTwips(a.x()), PixelsToTwips(a.y()), PixelsToTwips(a.width()),
                          PixelsToTwips(a.height()));
    }
    return {PixelsToTwips(px.width()), PixelsToTwips(px.height()), available};
}

}  // namespace sorvenal
