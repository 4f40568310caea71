// Zoom in the retouch and effects views through the window: the point under the pointer, the
// bars, the keys, clicks and circles in picture pixels at any zoom, the outlines, and the glance
// at the original while Shift is held.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <map>
#include <string>

#include "app/main_window.h"
#include "platform/zoom_view.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/modal_views.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;

class ZoomSession : public test::Form1Session {
public:
    Form1& Retouch(QSize size = {300, 200}, int screenW = 640, int screenH = 480) {
        original = test::GradientPicture(size.width(), size.height());
        Write(QStringLiteral("p.bmp"), original);
        Browse({.screenSize = test::FixedScreen(screenW, screenH)});
        EXPECT_TRUE(Select(0));
        test::Trigger(*form, "mnuReal");
        return *form;
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) const {
        QTest::keyClick(Picture2(*form), key, mods);
    }
    // Steps of the zoom keys until the zoom is `zoom` (a step, from actual size).
    void ZoomTo(double zoom) const {
        Key(Qt::Key_0);
        for (int i = 0; i < 10 && form->Zoom() < zoom * 0.999; ++i) Key(Qt::Key_Plus);
        for (int i = 0; i < 10 && form->Zoom() > zoom * 1.001; ++i) Key(Qt::Key_Minus);
        ASSERT_DOUBLE_EQ(form->Zoom(), zoom);
    }
    // One wheel notch (away from the user: positive) at a point of the window surface.
    void Wheel(QPoint atSurface, int notches, Qt::KeyboardModifiers mods) const {
        QWidget* surface = Surface();
        const QPointF global = surface->mapToGlobal(QPointF(atSurface));
        const QPointF local = Picture2(*form)->mapFromGlobal(global);
        QWheelEvent wheel(local, global, QPoint(), QPoint(0, notches * 120), Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(Picture2(*form), &wheel);
    }
    QWidget* Surface() const { return reinterpret_cast<QWidget*>(form->Surface()); }
    // Where picture pixel p lies in Picture2, logical pixels (device == logical here).
    QPoint At(QPoint p) const {
        const double z = form->Zoom();
        return {DeviceCoordinate(p.x(), z), DeviceCoordinate(p.y(), z)};
    }
    // The picture pixel under a point of the surface.
    QPointF PictureUnder(QPoint atSurface) const {
        const QPoint inBox = atSurface - Picture2(*form)->pos();
        return QPointF(inBox) / form->Zoom();
    }
    QImage Shown() const {
        return Picture2(*form)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The right and bottom edges of the part of the surface the bars leave.
    QPoint ViewEnd() const {
        return {VScroll1(*form)->isVisible() ? VScroll1(*form)->x() : Surface()->width(),
                HScroll1(*form)->isVisible() ? HScroll1(*form)->y() : Surface()->height()};
    }

    QImage original;
};

class ZoomTest : public ::testing::Test, public ZoomSession {};

TEST_F(ZoomTest, WheelZoomKeepsThePictureUnderThePointer) {
    Retouch({300, 200});
    const QPoint pointer(140, 90);
    const QPointF before = PictureUnder(pointer);
    for (int notch = 0; notch < 4; ++notch) {  // to 400 %
        Wheel(pointer, 1, Qt::ControlModifier);
        const QPointF under = PictureUnder(pointer);
        EXPECT_NEAR(under.x(), before.x(), 1.0) << form->Zoom();
        EXPECT_NEAR(under.y(), before.y(), 1.0) << form->Zoom();
    }
    EXPECT_DOUBLE_EQ(form->Zoom(), 4);
    const QLabel* badge = Surface()->findChild<QLabel*>("ZoomBadge");
    EXPECT_TRUE(badge->isVisible());
    EXPECT_EQ(badge->text(), QStringLiteral("400%"));
    // Back down: the point stays as long as the bars allow it.
    Wheel(pointer, -1, Qt::ControlModifier);
    EXPECT_NEAR(PictureUnder(pointer).x(), before.x(), 1.0);
    // Without Ctrl the wheel scrolls as the arrow keys do.
    const int v = VScroll1(*form)->value();
    Wheel(pointer, -1, Qt::NoModifier);
    EXPECT_EQ(VScroll1(*form)->value(), v + 150);
    EXPECT_DOUBLE_EQ(form->Zoom(), 2 * std::sqrt(2.0));
}

TEST_F(ZoomTest, BarsScrollTheZoomedSizeLessTheViewAndKeysStepAsAtActualSize) {
    Retouch({300, 200});
    const QWidget* surface = Surface();
    for (double zoom : {0.25, 1.0, 2.0, 4.0, 8.0}) {
        ZoomTo(zoom);
        const QSize zoomed = ZoomedSize(original.size(), zoom);
        EXPECT_EQ(Picture2(*form)->size(), zoomed) << zoom;
        const bool wide = zoomed.width() > surface->width() - VScroll1(*form)->width();
        EXPECT_EQ(HScroll1(*form)->isVisible(), zoom > 1 && wide) << zoom;
        if (zoom <= 1) {
            EXPECT_EQ(Picture2(*form)->pos(), QPoint()) << zoom;
            continue;
        }
        // The ranges are the zoomed size less the view (to the pixel the twips round to).
        const QPoint view = ViewEnd();
        EXPECT_NEAR(HScroll1(*form)->maximum() * form->HScrollUnit() / 15.0,
                    zoomed.width() - view.x(), 1.0)
            << zoom;
        EXPECT_NEAR(VScroll1(*form)->maximum() * form->VScrollUnit() / 15.0,
                    zoomed.height() - view.y(), 1.0)
            << zoom;
        // The last values show the picture's far corner at the view's.
        HScroll1(*form)->setValue(HScroll1(*form)->maximum());
        VScroll1(*form)->setValue(VScroll1(*form)->maximum());
        const QPoint corner = Picture2(*form)->geometry().bottomRight() + QPoint(1, 1);
        EXPECT_LE((corner - view).manhattanLength(), 2) << zoom;
        // An arrow key moves ten pixels on screen, as at actual size.
        const QPoint at = Picture2(*form)->pos();
        Key(Qt::Key_Right, Qt::NoModifier);
        EXPECT_EQ(Picture2(*form)->pos(), at + QPoint(10, 0)) << zoom;
    }
    // The picture put on screen again starts at actual size with its own bars (none here).
    test::Trigger(*form, "mnuReal");
    EXPECT_EQ(form->Zoom(), 1);
    EXPECT_FALSE(HScroll1(*form)->isVisible());
    EXPECT_EQ(Picture2(*form)->size(), original.size());
}

TEST_F(ZoomTest, ZoomKeysAndMenusAreCommandsThatOpenNoView) {
    Retouch({300, 200});
    QApplication::setActiveWindow(form.get());
    const test::ModalViews views;
    Key(Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(form->Zoom(), std::sqrt(2.0));
    Key(Qt::Key_Equal);
    EXPECT_DOUBLE_EQ(form->Zoom(), 2);
    Key(Qt::Key_Minus);
    Key(Qt::Key_Minus);
    Key(Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(form->Zoom(), std::sqrt(0.5));
    Key(Qt::Key_0);
    EXPECT_EQ(form->Zoom(), 1);
    Key(Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);  // fits already: actual size
    EXPECT_EQ(form->Zoom(), 1);
    Wheel({10, 10}, 1, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(views.Opened(), 0);

    // The menus of both states do the same, and switching menus keeps the zoom.
    test::Trigger(*form, "mnuZoomIn");
    EXPECT_DOUBLE_EQ(form->Zoom(), 2);
    test::Trigger(*form, "mnuChange");
    EXPECT_DOUBLE_EQ(form->Zoom(), 2);
    EXPECT_EQ(Picture2(*form)->size(), QSize(600, 400));
    test::Trigger(*form, "mnuZoomOut2");
    EXPECT_DOUBLE_EQ(form->Zoom(), std::sqrt(2.0));
    test::Trigger(*form, "mnuZoomActual2");
    EXPECT_EQ(form->Zoom(), 1);
    test::Trigger(*form, "mnuZoomIn2");
    test::Trigger(*form, "mnuback2");  // revert starts at actual size
    EXPECT_EQ(form->Zoom(), 1);
    EXPECT_EQ(Picture2(*form)->size(), QSize(300, 200));
    EXPECT_EQ(Picture2(*form)->pos(), QPoint());
}

TEST_F(ZoomTest, FitShowsTheWholePictureOnALargePicture) {
    Retouch({900, 700}, 640, 480);
    ASSERT_TRUE(HScroll1(*form)->isVisible());
    Key(Qt::Key_0, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_LT(form->Zoom(), 1);
    const QRect shown = Picture2(*form)->geometry();
    EXPECT_TRUE(QRect(QPoint(), Surface()->size()).contains(shown)) << shown.width();
    EXPECT_FALSE(HScroll1(*form)->isVisible());
    EXPECT_FALSE(VScroll1(*form)->isVisible());
}

// The same picture point and circle at 25 %, 100 % and 400 % give the same pixels, for a skin
// click and every circle effect.
TEST(ZoomClicks, SkinClickAndEveryCircleEffectAreTheSameAtAnyZoom) {
    const QPoint centre(120, 80), edge(120 + 24, 80 + 32);  // multiples of 4: 25 % reaches them
    const std::pair<const char*, const char*> commands[] = {
        {"skin", "mnuClick"},   {"light", "mnuCirclelight"}, {"red", "mnuCirclered"},
        {"blue", "mnuEyeblue"}, {"spot", "mnuSpotlight"},    {"picture", "mnuCircle"},
    };
    std::map<std::string, QImage> atActual;
    for (double zoom : {1.0, 0.25, 4.0}) {
        ZoomSession session;
        session.Retouch({240, 160});
        Form1& f = *session.form;
        for (const auto& [name, command] : commands) {
            test::Trigger(f, std::string(name) == "skin" ? "mnuback" : "mnuback2");
            session.ZoomTo(zoom);
            const QPoint from = session.At(centre), to = session.At(edge);
            QImage result;
            if (std::string(name) == "skin") {
                test::Trigger(f, command);
                QTest::mouseClick(Picture2(f), Qt::LeftButton, {}, from);
                result = Picture2(f)->Image();
                test::Trigger(f, "mnuClick2");
                test::Trigger(f, "mnuChange");
            } else {
                test::DragOnPicture(f, from, to);
                EXPECT_EQ(f.MarkedCircle().X1, centre.x()) << zoom;
                EXPECT_EQ(f.MarkedCircle().rl, 40.0f) << zoom;
                test::Trigger(f, command);
                result = Picture3(f)->Picture();
            }
            if (zoom == 1)
                atActual[name] = result;
            else
                EXPECT_EQ(FirstDifference(atActual[name], result), "") << name << " " << zoom;
            EXPECT_NE(FirstDifference(session.original, result), "") << name << " did nothing";
        }
    }
}

// An outline dragged at any zoom shows one device pixel wide over the true colours, and the
// picture a save writes never holds it.
TEST_F(ZoomTest, OutlineIsThinOnScreenAndNeverSaved) {
    Retouch({240, 160});
    test::Trigger(*form, "mnuChange");
    for (double zoom : {0.25, 4.0}) {
        ZoomTo(zoom);
        HScroll1(*form)->setValue(0);
        VScroll1(*form)->setValue(0);
        test::DragOnPicture(*form, At({40, 40}), At({40, 60}));
        EXPECT_EQ(FirstDifference(original, Picture3(*form)->Picture()), "");
        const QImage shown = Shown();
        ZoomPyramid pyramid;
        const QImage clean = RenderZoomed(original.convertToFormat(QImage::Format_RGB32), pyramid,
                                          zoom, QRect(QPoint(), shown.size()));
        int differ = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                differ += shown.pixel(x, y) != clean.pixel(x, y);
        const int ring = static_cast<int>(
            CircleOutlinePoints(0, 0, static_cast<int>(std::lround(20 * zoom))).size());
        EXPECT_EQ(differ, ring) << zoom;
    }
}

// The live outline follows the pointer over the picture and is the one the release draws; the
// pixels get nothing before the release.
TEST_F(ZoomTest, LiveOutlineIsShownButNeverInThePixels) {
    Retouch({240, 160});
    test::Trigger(*form, "mnuChange");
    PictureBox* box = Picture2(*form);
    QTest::mousePress(box, Qt::LeftButton, {}, {100, 60});
    QMouseEvent move(QEvent::MouseMove, QPointF(110, 60), box->mapToGlobal(QPointF(110, 60)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    EXPECT_EQ(FirstDifference(original, box->Image()), "");
    const QImage during = Shown();
    EXPECT_NE(FirstDifference(original, during), "");
    QTest::mouseRelease(box, Qt::LeftButton, {}, {110, 60});
    EXPECT_EQ(form->MarkedCircle().rl, 10.0f);
    EXPECT_EQ(FirstDifference(box->Image(), during), "");
    EXPECT_EQ(FirstDifference(during, Shown()), "");
}

TEST_F(ZoomTest, GlanceShowsTheOriginalUntilShiftGoesAndClicksChangeNothing) {
    Retouch({240, 160});
    test::Trigger(*form, "mnuDark");
    const QImage darker = Picture2(*form)->Image();
    ASSERT_NE(FirstDifference(original, darker), "");
    const QLabel* badge = Surface()->findChild<QLabel*>("GlanceBadge");
    ZoomTo(0.5);
    ZoomPyramid pyramid;
    const QImage originalAtHalf = RenderZoomed(original.convertToFormat(QImage::Format_RGB32),
                                               pyramid, 0.5, QRect(0, 0, 120, 80));
    auto shift = [this](QEvent::Type type, bool repeat = false) {
        QKeyEvent key(type, Qt::Key_Shift,
                      type == QEvent::KeyPress ? Qt::ShiftModifier : Qt::NoModifier, QString(),
                      repeat);
        QApplication::sendEvent(Picture2(*form), &key);
    };
    auto glancing = [this, badge] {
        const bool on = Picture2(*form)->Glancing();
        EXPECT_EQ(badge->isVisible(), on);
        return on;
    };

    shift(QEvent::KeyPress);
    ASSERT_TRUE(glancing());
    EXPECT_EQ(badge->text(), QStringLiteral("元画像"));
    EXPECT_EQ(FirstDifference(originalAtHalf, Shown()), "");
    shift(QEvent::KeyRelease, true);  // auto-repeat
    shift(QEvent::KeyPress, true);
    EXPECT_TRUE(glancing());
    shift(QEvent::KeyRelease);
    EXPECT_FALSE(glancing());
    EXPECT_NE(FirstDifference(originalAtHalf, Shown()), "");

    shift(QEvent::KeyPress);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(form.get(), &deactivate);
    EXPECT_FALSE(glancing()) << "focus out";

    shift(QEvent::KeyPress);
    Wheel({20, 20}, -1, Qt::ShiftModifier);
    EXPECT_FALSE(glancing()) << "wheel";

    // A skin click and a circle during the glance only end it.
    test::Trigger(*form, "mnuClick");
    shift(QEvent::KeyPress);
    QTest::mouseClick(Picture2(*form), Qt::LeftButton, Qt::ShiftModifier, {30, 30});
    EXPECT_FALSE(glancing());
    EXPECT_EQ(FirstDifference(darker, Picture2(*form)->Image()), "");
    EXPECT_EQ(test::History(*form).UndoCount(), 1);
    test::Trigger(*form, "mnuClick2");
    test::Trigger(*form, "mnuChange");
    shift(QEvent::KeyPress);
    test::DragOnPicture(*form, {30, 30}, {40, 30});
    EXPECT_EQ(FirstDifference(darker, Picture2(*form)->Image()), "");
    EXPECT_EQ(form->MarkedCircle().rl, 0.0f);
}

// A picture larger than the screen both ways gets a window inside the screen.
TEST_F(ZoomTest, WindowOfAHugePictureStaysOnTheScreen) {
    Retouch({700, 560}, 400, 300);
    const QRect screen = form->screen()->geometry();
    const QRect outer = form->frameGeometry();
    EXPECT_LE(outer.width(), 400);
    EXPECT_LE(outer.height(), 300);
    EXPECT_GE(outer.left(), screen.left());
    EXPECT_LE(outer.right(), screen.left() + 399);
    EXPECT_LE(VScroll1(*form)->geometry().right(), Surface()->width() - 1);
    EXPECT_TRUE(HScroll1(*form)->isVisible());
    EXPECT_TRUE(VScroll1(*form)->isVisible());
}

}  // namespace
}  // namespace sorvenal
