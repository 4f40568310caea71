#pragma once
// The fit full-screen view (Form3): a picture larger than the screen is shrunk to fit it with
// its aspect ratio kept; a smaller one is shown at actual size. Never enlarged.
#include <QImage>

#include "viewers/fullscreen_view.h"
#include "viewers/placement.h"

namespace sorvenal {

class PictureBox;

class Form3 : public FullScreenView {
    Q_OBJECT

public:
    // picture: the working picture; the view keeps its own (implicitly shared) copy.
    Form3(const QImage& picture, const ScreenTwips& screen, QWidget* parent = nullptr);

    PictureBox* Picture7 = nullptr;  // the copy at actual size, never shown
    PictureBox* Image6 = nullptr;    // the copy scaled to the rectangle's device pixels

    const FitPlacement& Placement() const { return placement_; }

private:
    void Form_Load(const QImage& picture);

    FitPlacement placement_;
};

// The picture scaled smoothly to size, or the picture itself when it would not shrink.
QImage ShrinkToSize(const QImage& picture, const QSize& size);

}  // namespace sorvenal
