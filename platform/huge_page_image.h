#pragma once
// Picture memory advised for transparent huge pages: fewer page faults on a big photo.
#include <QImage>

namespace sorvenal {

// An empty Format_RGB32 picture whose memory is advised for transparent huge pages. When the
// last such picture is freed its memory is kept for the next one of about its size, until
// ReleaseSpareHugePages.
QImage HugePageImage(int width, int height);
void ReleaseSpareHugePages();

}  // namespace sorvenal
