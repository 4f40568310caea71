#include "viewers/fullscreen_actual.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QtMath>
#include <algorithm>
#include <chrono>

#include "platform/fonts.h"
#include "platform/picture_box.h"

namespace sorvenal {

namespace {

constexpr int kBlinkMs = 300;
constexpr float kIndicatorSeconds = 5.0f;

// An indicator swallows its clicks: a click on a visible arrow does not close the view.
class Indicator : public QLabel {
public:
    Indicator(const QImage& picture, QWidget* parent) : QLabel(parent) {
        setPixmap(QPixmap::fromImage(picture));
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

QImage ArrowPicture(bool up, qreal ratio) {
    // Drawn at the screen's pixel ratio, so a scaled screen shows it sharp at the same size.
    const int side = qCeil(32 * ratio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (up) {  // the left arrow turned a quarter clockwise
        painter.translate(32, 0);
        painter.rotate(90);
    }
    QPainterPath arrow;
    arrow.moveTo(2, 16);
    arrow.lineTo(16, 2);
    arrow.lineTo(16, 10);
    arrow.lineTo(30, 10);
    arrow.lineTo(30, 22);
    arrow.lineTo(16, 22);
    arrow.lineTo(16, 30);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(QColor(255, 0, 0));
    painter.drawPath(arrow);
    return image;
}

}  // namespace

ViewerClock SteadyClock() {
    return [] {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    };
}

QImage LeftArrowPicture(qreal ratio) { return ArrowPicture(false, ratio); }
QImage UpArrowPicture(qreal ratio) { return ArrowPicture(true, ratio); }

Form2::Form2(const QImage& picture, const ScreenTwips& screen, QWidget* parent, ViewerClock clock)
    : FullScreenView(screen, parent), clock_(clock ? std::move(clock) : SteadyClock()) {
    setObjectName(QStringLiteral("Form2"));
    Picture4 = new PictureBox(this);
    Picture4->setObjectName(QStringLiteral("Picture4"));
    Picture4->SetBackColor(Rgb(80, 90, 100));
    Image5 = new Indicator(LeftArrowPicture(devicePixelRatioF()), this);
    Image5->setObjectName(QStringLiteral("Image5"));
    Image5->setGeometry(TwipsRect(120, 480, 480, 480));
    Image5->hide();
    Image4 = new Indicator(UpArrowPicture(devicePixelRatioF()), this);
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setGeometry(TwipsRect(480, 120, 480, 480));
    Image4->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(Picture4, &PictureBox::Clicked, this, &FullScreenView::CloseView);  // Picture4_Click
    Form_Load(picture);
}

void Form2::Form_Load(const QImage& picture) {
    sngStart_ = clock_();
    Timer1->start(kBlinkMs);
    Picture4->ClearPicture();
    Picture4->SetPicture(picture);  // shares the pixels; the working picture detaches if changed
    const ScreenTwips screen = Screen();
    // One picture pixel per device pixel: the rules see the picture's logical size.
    const QSize logical = LogicalSize(picture.size(), Picture4->devicePixelRatioF());
    placement_ = PlaceActualSize(screen.width, screen.height, PixelsToTwips(logical.width()),
                                 PixelsToTwips(logical.height()));
    offsets_ = {};
    if (placement_.wider) Image5->show();
    if (placement_.taller) Image4->show();
    Picture4->setGeometry(TwipsRect(placement_.lngLeft, placement_.lngTop, placement_.lngWidth,
                                    placement_.lngHeight));
    Image5->raise();
    Image4->raise();
}

void Form2::SetHScroll2(std::int32_t value) {
    value = std::clamp<std::int32_t>(value, 0, placement_.h.max);
    if (value == offsets_.H) return;
    offsets_.H = value;
    MoveCanvas2();  // HScroll2_Change
}

void Form2::SetVScroll2(std::int32_t value) {
    value = std::clamp<std::int32_t>(value, 0, placement_.v.max);
    if (value == offsets_.V) return;
    offsets_.V = value;
    MoveCanvas2();  // VScroll2_Change
}

void Form2::MoveCanvas2() {
    const auto left = static_cast<std::int64_t>(placement_.lngLeft) - offsets_.H;
    const auto top = static_cast<std::int64_t>(placement_.lngTop) - offsets_.V;
    Picture4->move(static_cast<int>(left / kTwipsPerPixel), static_cast<int>(top / kTwipsPerPixel));
    Picture4->setFocus();
}

void Form2::Form_KeyDown(QKeyEvent* event) {
    ViewerKey key;
    switch (event->key()) {
        case Qt::Key_Up:
            key = ViewerKey::Up;
            break;
        case Qt::Key_Down:
            key = ViewerKey::Down;
            break;
        case Qt::Key_Left:
            key = ViewerKey::Left;
            break;
        case Qt::Key_Right:
            key = ViewerKey::Right;
            break;
        default:
            return;
    }
    const ViewerOffsets next = StepOffsets(placement_, offsets_, key);
    SetHScroll2(next.H);
    SetVScroll2(next.V);
}

void Form2::Timer1_Timer() {
    if (placement_.wider) Image5->setVisible(Image5->isHidden());
    if (placement_.taller) Image4->setVisible(Image4->isHidden());
    if (static_cast<float>(clock_() - sngStart_) > kIndicatorSeconds) {
        Image4->hide();
        Image5->hide();
        Timer1->stop();
    }
}

}  // namespace sorvenal
