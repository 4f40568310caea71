#pragma once
// The start screen's pictures and the window icon, drawn in code.
#include <QImage>

namespace sorvenal {

QImage SnapshotBefore();        // 121 x 150: a dull snapshot of a smiling face
QImage SnapshotAfter();         // 121 x 150: the same snapshot retouched, with a sparkle
QImage AppIcon(int size = 32);  // size x size, drawn on a 32 x 32 grid

}  // namespace sorvenal
