// The main window at a scale factor above 1 (ctest runs this with QT_SCALE_FACTOR set): actual
// size is one picture pixel per device pixel, and the pointer hits the pixel drawn under it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <cmath>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/zoom_view.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"
#include "viewers/fullscreen_actual.h"
#include "viewers/fullscreen_fit.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

class HiDpiTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ratio = qApp->devicePixelRatio();
        ASSERT_GT(ratio, 1.0) << "run with QT_SCALE_FACTOR above 1";
        ASSERT_TRUE(dir.isValid());
    }

    // The picture selected in the browse state, on a 640 x 480 (logical) screen.
    Form1& Browse(const QImage& picture) {
        Write(QStringLiteral("p.bmp"), picture);
        Form1Session::Browse({.screenSize = test::FixedScreen(640, 480)});
        Select(0);
        return *form;
    }
    Form1& Retouch(const QImage& picture) {
        Browse(picture);
        test::Trigger(*form, "mnuReal");
        return *form;
    }
    // Where Picture2's top-left corner is drawn in the window, device pixels.
    QPoint Picture2Origin() const {
        const QPointF offset = QPointF(Picture2(*form)->mapTo(form.get(), QPoint())) * ratio;
        return {static_cast<int>(std::round(offset.x())), static_cast<int>(std::round(offset.y()))};
    }
    // A mouse event at a device position in the window, sent to the window as the platform
    // sends it, so the widgets get it the way Qt hands it on.
    void Mouse(QEvent::Type type, QPoint device, Qt::MouseButtons held) {
        const QPointF scene = QPointF(device) / ratio;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, scene, scene, form->mapToGlobal(scene), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(form->windowHandle(), &event);
    }
    qreal ratio = 1;
};

TEST_F(HiDpiTest, RetouchViewShowsEveryPicturePixelOnOneDevicePixel) {
    const QImage picture = GradientPicture(256, 256);
    Form1& f = Retouch(picture);
    EXPECT_EQ(Picture2(f)->size(), LogicalSize(QSize(256, 256), ratio));
    EXPECT_FALSE(HScroll1(f)->isVisible());

    const QImage window = f.grab().toImage();
    EXPECT_EQ(window.devicePixelRatio(), ratio);
    const QRect shown(Picture2Origin(), QSize(256, 256));
    ASSERT_TRUE(window.rect().contains(shown));
    EXPECT_EQ(FirstDifference(picture, window.copy(shown)), "");
}

TEST_F(HiDpiTest, PointerHitsThePixelDrawnUnderIt) {
    // Larger than the screen and scrolled by an odd number of logical pixels, so the picture
    // starts between device pixels at fractional ratios.
    const QImage picture = GradientPicture(1400, 1000);
    Form1& f = Retouch(picture);
    ASSERT_TRUE(HScroll1(f)->isVisible() && VScroll1(f)->isVisible());
    HScroll1(f)->setValue(7 * 15);
    VScroll1(f)->setValue(3 * 15);
    const QImage window = f.grab().toImage().convertToFormat(QImage::Format_RGB32);

    double hitX = -1, hitY = -1;
    QObject::connect(Picture2(f), &PictureBox::MouseDown, [&](int, int, double x, double y) {
        hitX = x;
        hitY = y;
    });
    // Below the menu bar, where the scrolled picture shows.
    const QPoint view = QPointF(QPointF(f.centralWidget()->mapTo(&f, QPoint())) * ratio).toPoint();
    for (const QPoint device :
         {view + QPoint(101, 37), view + QPoint(102, 38), view + QPoint(333, 251)}) {
        Mouse(QEvent::MouseButtonPress, device, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, device, Qt::NoButton);
        ASSERT_EQ(QPointF(hitX, hitY), QPointF(device - Picture2Origin())) << device.x();
        EXPECT_EQ(window.pixel(device) & 0xFFFFFF,
                  picture.pixel(static_cast<int>(hitX), static_cast<int>(hitY)) & 0xFFFFFF)
            << "at device (" << device.x() << "," << device.y() << ")";
    }
}

// At 50 % each device pixel shows the mean of a 2 x 2 block, and the pointer still names the
// picture pixel (the block's first) drawn under it.
TEST_F(HiDpiTest, HalfZoomDrawsBlocksOnDevicePixelsAndClicksNameTheirPixels) {
    const QImage picture = GradientPicture(1400, 1000);
    Form1& f = Retouch(picture);
    QTest::keyClick(Picture2(f), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(Picture2(f), Qt::Key_Minus, Qt::ControlModifier);
    ASSERT_DOUBLE_EQ(f.Zoom(), 0.5);
    EXPECT_EQ(Picture2(f)->size(), LogicalSize(QSize(700, 500), ratio));
    const QImage window = f.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage half = HalvePicture(picture.convertToFormat(QImage::Format_RGB32));
    const QRect view(QPointF(QPointF(f.centralWidget()->mapTo(&f, QPoint())) * ratio).toPoint(),
                     QSize(200, 150));
    // Below the zoom's badge in the corner.
    const QRect shown = QRect(Picture2Origin(), half.size()) & view.adjusted(0, 80, 0, 0);
    EXPECT_EQ(FirstDifference(half.copy(shown.translated(-Picture2Origin())), window.copy(shown)),
              "");

    double hitX = -1, hitY = -1;
    QObject::connect(Picture2(f), &PictureBox::MouseDown, [&](int, int, double x, double y) {
        hitX = x;
        hitY = y;
    });
    for (const QPoint device : {view.topLeft() + QPoint(101, 37), view.topLeft() + QPoint(64, 9)}) {
        Mouse(QEvent::MouseButtonPress, device, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, device, Qt::NoButton);
        EXPECT_EQ(QPointF(hitX, hitY), QPointF((device - Picture2Origin()) * 2)) << device.x();
    }
}

TEST_F(HiDpiTest, PreviewAndFitViewDrawAtDeviceResolution) {
    // A picture as large as the 160-pixel preview square in device pixels shows unscaled.
    const QImage square = GradientPicture(qRound(160 * ratio), qRound(160 * ratio));
    Form1& f = Browse(square);
    ASSERT_EQ(Image1(f)->size(), QSize(160, 160));
    EXPECT_EQ(FirstDifference(square, Image1(f)->grab().toImage()), "");

    // Wider than the 640-pixel screen at every ratio run here: shrunk to its full width in
    // device pixels, not in logical ones.
    const Form3 view(GradientPicture(1400, 700), test::ScreenOfPixels(640, 480));
    EXPECT_EQ(view.Image6->geometry(), QRect(0, 80, 640, 320));
    EXPECT_EQ(view.Image6->Image().size(), (QSizeF(640, 320) * ratio).toSize());

    // The actual-size view's arrows keep their 32-pixel size, drawn in device pixels.
    const Form2 actual(GradientPicture(1400, 700), test::ScreenOfPixels(640, 480));
    for (const QLabel* arrow : {actual.Image4, actual.Image5}) {
        EXPECT_EQ(arrow->size(), QSize(32, 32));
        EXPECT_EQ(arrow->pixmap().devicePixelRatio(), ratio);
        EXPECT_EQ(arrow->pixmap().size(), QSize(qCeil(32 * ratio), qCeil(32 * ratio)));
    }
}

}  // namespace
}  // namespace sorvenal
