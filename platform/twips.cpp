#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace sorvenal {

namespace {
QSize& Override() {
    static QSize size;
    return size;
}
}  // namespace

ScreenTwips ScreenSizeTwips() {
    QSize px = Override();
    if (!px.isValid()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        px = screen ? screen->geometry().size() : QSize(1024, 768);
    }
    return {PixelsToTwips(px.width()), PixelsToTwips(px.height())};
}

void SetScreenSizeOverride(const QSize& pixels) { Override() = pixels; }

}  // namespace sorvenal
