#pragma once
// The actual-size full-screen view (Form2): the picture at its own pixel size, centred when it
// is smaller than the screen, pushed around with the arrow keys when it is larger, with a
// blinking arrow for the first five seconds showing which way it can be pushed.
#include <QImage>
#include <functional>

#include "viewers/fullscreen_view.h"
#include "viewers/placement.h"

class QLabel;
class QTimer;

namespace sorvenal {

class PictureBox;

// Seconds on some clock with at least millisecond resolution.
using ViewerClock = std::function<double()>;
ViewerClock SteadyClock();

class Form2 : public FullScreenView {
    Q_OBJECT

public:
    // picture: the working picture; the view keeps its own (implicitly shared) copy.
    Form2(const QImage& picture, const ScreenTwips& screen, QWidget* parent = nullptr,
          ViewerClock clock = {});

    PictureBox* Picture4 = nullptr;
    QLabel* Image5 = nullptr;  // left arrow: the picture is wider than the screen
    QLabel* Image4 = nullptr;  // up arrow: the picture is taller than the screen
    QTimer* Timer1 = nullptr;

    const ActualPlacement& Placement() const { return placement_; }
    // HScroll2 and VScroll2: offsets in twips, never shown.
    std::int32_t HScroll2() const { return offsets_.H; }
    std::int32_t VScroll2() const { return offsets_.V; }
    void SetHScroll2(std::int32_t value);
    void SetVScroll2(std::int32_t value);

    void MoveCanvas2();
    void Timer1_Timer();

protected:
    void Form_KeyDown(QKeyEvent* event) override;

private:
    void Form_Load(const QImage& picture);

    ViewerClock clock_;
    double sngStart_ = 0;
    ActualPlacement placement_;
    ViewerOffsets offsets_;
};

// The indicator pictures: 32 x 32 (logical) red arrows with a white outline on transparency,
// drawn at the given device pixel ratio.
QImage LeftArrowPicture(qreal ratio = 1);
QImage UpArrowPicture(qreal ratio = 1);

}  // namespace sorvenal
