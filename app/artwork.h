#pragma once
// The start screen's pictures and the window icon, drawn in code. Drawn at a device pixel
// ratio, a picture keeps its logical size and is sharp on the screen it is drawn for.
#include <QIcon>
#include <QImage>

namespace sorvenal {

QImage SnapshotBefore(qreal ratio = 1);  // 121 x 150: a dull snapshot of a smiling face
QImage SnapshotAfter(qreal ratio = 1);   // 121 x 150: the same snapshot retouched, with a sparkle
QImage AppIcon(int size = 32);           // size x size, drawn on a 32 x 32 grid
QImage AppIcon(int size, qreal ratio);   // size x size logical pixels
QIcon AppIconSet();                      // the icon drawn for every usual size

}  // namespace sorvenal
