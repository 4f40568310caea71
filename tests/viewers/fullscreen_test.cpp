#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/test_pictures.h"
#include "viewers/fullscreen_actual.h"
#include "viewers/fullscreen_fit.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;

// Every view here is computed for a 640 x 480 screen.
constexpr ScreenTwips kScreen = test::ScreenOfPixels(640, 480);

using ActualViewTest = ::testing::Test;
using FitViewTest = ::testing::Test;

bool Shown(const QWidget* w) { return !w->isHidden(); }

TEST_F(ActualViewTest, SmallerPictureIsCentredWithoutIndicators) {
    const QImage picture = GradientPicture(320, 240);
    Form2 view(picture, kScreen);
    EXPECT_EQ(view.objectName(), "Form2");
    EXPECT_EQ(view.Picture4->geometry(), QRect(160, 120, 320, 240));
    EXPECT_EQ(FirstDifference(picture, view.Picture4->Image()), "");
    EXPECT_FALSE(Shown(view.Image5));
    EXPECT_FALSE(Shown(view.Image4));
    EXPECT_TRUE(view.Timer1->isActive());
    EXPECT_EQ(view.Timer1->interval(), 300);
    EXPECT_EQ(view.palette().color(QPalette::Window), QColor(80, 90, 100));
    EXPECT_TRUE(view.windowFlags() & Qt::FramelessWindowHint);
    // The arrow keys do nothing to a picture that fits.
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Up);
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.Picture4->pos(), QPoint(160, 120));
    EXPECT_EQ(view.HScroll2(), 0);
    EXPECT_EQ(view.VScroll2(), 0);
}

TEST_F(ActualViewTest, ViewKeepsItsOwnCopyOfThePicture) {
    QImage picture = GradientPicture(100, 80);
    const QImage before = picture.copy();
    Form2 view(picture, kScreen);
    picture.fill(Qt::black);  // a later retouch of the working picture
    EXPECT_EQ(FirstDifference(before, view.Picture4->Image()), "");
}

TEST_F(ActualViewTest, WiderPictureIsPushedLeftToItsRightEdgeAndBack) {
    Form2 view(GradientPicture(800, 200), kScreen);
    view.ShowView();
    EXPECT_TRUE(Shown(view.Image5));
    EXPECT_FALSE(Shown(view.Image4));
    EXPECT_EQ(view.Image5->geometry(), QRect(8, 32, 32, 32));
    EXPECT_EQ(view.Picture4->geometry(), QRect(0, 140, 800, 200));
    EXPECT_EQ(view.Placement().h.max, 160 * 15);

    // Keys reach the view through the focused picture as well.
    QTest::keyClick(view.Picture4, Qt::Key_Left);
    EXPECT_EQ(view.Picture4->pos(), QPoint(-10, 140));
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_EQ(view.Picture4->pos(), QPoint(-10, 140));
    for (int i = 0; i < 30; ++i) QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(view.HScroll2(), 2400);
    EXPECT_EQ(view.Picture4->pos(), QPoint(-160, 140));  // right edge on the screen's edge
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.Picture4->pos(), QPoint(-150, 140));
    for (int i = 0; i < 30; ++i) QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_EQ(view.Picture4->pos(), QPoint(0, 140));
    EXPECT_FALSE(view.Closed());
}

TEST_F(ActualViewTest, LargePictureReachesItsFarCornerPastSixteenBits) {
    // 3000 x 3000 on 640 x 480: overhangs of 35400 and 37800 twips.
    Form2 view(GradientPicture(3000, 3000), kScreen);
    EXPECT_TRUE(Shown(view.Image5));
    EXPECT_TRUE(Shown(view.Image4));
    for (int i = 0; i < 300; ++i) {
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClick(&view, Qt::Key_Up);
    }
    EXPECT_EQ(view.HScroll2(), 35400);
    EXPECT_EQ(view.VScroll2(), 37800);
    EXPECT_EQ(view.Picture4->geometry(), QRect(-2360, -2520, 3000, 3000));
}

TEST_F(ActualViewTest, IndicatorsBlinkAndStopForGoodAfterFiveSeconds) {
    double now = 100.0;
    Form2 view(GradientPicture(900, 700), kScreen, nullptr, [&] { return now; });
    EXPECT_TRUE(Shown(view.Image5));
    EXPECT_TRUE(Shown(view.Image4));
    now = 100.3;
    view.Timer1_Timer();
    EXPECT_FALSE(Shown(view.Image5));
    EXPECT_FALSE(Shown(view.Image4));
    now = 100.6;
    view.Timer1_Timer();
    EXPECT_TRUE(Shown(view.Image5));
    EXPECT_TRUE(Shown(view.Image4));
    now = 105.0;  // not yet more than five seconds
    view.Timer1_Timer();
    EXPECT_TRUE(view.Timer1->isActive());
    EXPECT_FALSE(Shown(view.Image5));
    view.Timer1_Timer();
    EXPECT_TRUE(Shown(view.Image5));
    now = 105.1;
    view.Timer1_Timer();
    EXPECT_FALSE(Shown(view.Image5));
    EXPECT_FALSE(Shown(view.Image4));
    EXPECT_FALSE(view.Timer1->isActive());
    QTest::keyClick(&view, Qt::Key_Left);
    QTest::keyClick(&view, Qt::Key_Up);
    EXPECT_FALSE(Shown(view.Image5));
    EXPECT_FALSE(Shown(view.Image4));
}

TEST_F(ActualViewTest, PictureThatFitsShowsNoArrowWhileTheTimerRuns) {
    double now = 0;
    Form2 view(GradientPicture(640, 480), kScreen, nullptr, [&] { return now; });
    EXPECT_EQ(view.Picture4->geometry(), QRect(0, 0, 640, 480));
    for (int tick = 1; tick < 20; ++tick) {
        now = tick * 0.3;
        view.Timer1_Timer();
        EXPECT_FALSE(Shown(view.Image5));
        EXPECT_FALSE(Shown(view.Image4));
    }
    EXPECT_FALSE(view.Timer1->isActive());
}

TEST_F(ActualViewTest, ClicksOnThePictureOrTheBackgroundClose) {
    {
        Form2 view(GradientPicture(200, 100), kScreen);
        view.ShowView();
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_TRUE(view.Closed());
        EXPECT_FALSE(view.isVisible());
    }
    {
        Form2 view(GradientPicture(200, 100), kScreen);
        view.ShowView();
        QTest::mouseClick(view.Picture4, Qt::LeftButton, {}, QPoint(50, 50));
        EXPECT_TRUE(view.Closed());
    }
}

TEST_F(ActualViewTest, ClickOnAVisibleArrowDoesNotClose) {
    Form2 view(GradientPicture(1000, 1000), kScreen);
    view.ShowView();
    ASSERT_TRUE(view.Image5->isVisible());
    QTest::mouseClick(view.Image5, Qt::LeftButton, {}, QPoint(16, 16));
    QTest::mouseClick(view.Image4, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_FALSE(view.Closed());
    EXPECT_TRUE(view.isVisible());
    // Once hidden, the same place is picture again.
    view.Timer1_Timer();
    ASSERT_FALSE(view.Image5->isVisible());
    QTest::mouseClick(view.Picture4, Qt::LeftButton, {}, QPoint(20, 40));
    EXPECT_TRUE(view.Closed());
}

template <typename View>
void CheckKeys(std::function<std::unique_ptr<View>()> make) {
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_A,
                        Qt::Key_Z, Qt::Key_5}) {
        auto view = make();
        view->ShowView();
        QTest::keyClick(view.get(), key);
        EXPECT_TRUE(view->Closed()) << QKeySequence(key).toString().toStdString();
        EXPECT_FALSE(view->isVisible());
    }
    for (Qt::Key key : {Qt::Key_F1, Qt::Key_Shift, Qt::Key_PageDown, Qt::Key_Control}) {
        auto view = make();
        view->ShowView();
        QTest::keyClick(view.get(), key);
        EXPECT_FALSE(view->Closed()) << QKeySequence(key).toString().toStdString();
        EXPECT_TRUE(view->isVisible());
    }
}

TEST_F(ActualViewTest, EscAndCharacterKeysCloseOtherKeysDoNot) {
    CheckKeys<Form2>([] { return std::make_unique<Form2>(GradientPicture(1000, 300), kScreen); });
}

TEST_F(ActualViewTest, ExecReturnsWhenTheViewIsClosed) {
    Form2 view(GradientPicture(100, 100), kScreen);
    bool sawModal = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        sawModal = modal == &view;
        QTest::keyClick(modal ? modal : &view, Qt::Key_Escape);
    });
    view.exec();
    EXPECT_TRUE(sawModal);
    EXPECT_TRUE(view.Closed());
    EXPECT_TRUE(view.windowState() & Qt::WindowFullScreen);
}

TEST_F(ActualViewTest, EmptyPictureOpensAndCloses) {
    Form2 view{QImage(), kScreen};
    EXPECT_FALSE(Shown(view.Image5));
    EXPECT_FALSE(Shown(view.Image4));
    EXPECT_TRUE(view.Picture4->size().isEmpty());
    view.ShowView();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(320, 240));
    EXPECT_TRUE(view.Closed());
}

TEST_F(FitViewTest, LargerPictureWithTheScreenRatioFillsTheScreenSmoothly) {
    // One-pixel black and white stripes shrink to grey with a smoothing filter.
    QImage stripes(1280, 960, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    Form3 view(stripes, kScreen);
    EXPECT_EQ(view.objectName(), "Form3");
    EXPECT_TRUE(view.Picture7->isHidden());
    EXPECT_EQ(view.Picture7->PictureSize(), QSize(1280, 960));
    EXPECT_EQ(view.Image6->geometry(), QRect(0, 0, 640, 480));
    const QImage shown = view.Image6->Image();
    ASSERT_EQ(shown.size(), QSize(640, 480));
    const int grey = qRed(shown.pixel(320, 240));
    EXPECT_GT(grey, 90);
    EXPECT_LT(grey, 165);
}

TEST_F(FitViewTest, WideAndTallPicturesAreCentredOnTheOtherAxis) {
    {
        Form3 view(GradientPicture(2000, 500), kScreen);  // width decides: 640 x 160 at top 160
        EXPECT_EQ(view.Image6->geometry(), QRect(0, 160, 640, 160));
        EXPECT_EQ(view.Image6->Image().size(), QSize(640, 160));
    }
    {
        Form3 view(GradientPicture(600, 1200), kScreen);  // height decides: 240 x 480 at left 200
        EXPECT_EQ(view.Image6->geometry(), QRect(200, 0, 240, 480));
        EXPECT_EQ(view.Image6->Image().size(), QSize(240, 480));
    }
}

TEST_F(FitViewTest, SmallerPictureIsShownAtActualSizeNotEnlarged) {
    const QImage picture = GradientPicture(300, 200);
    Form3 view(picture, kScreen);
    EXPECT_EQ(view.Image6->geometry(), QRect(170, 140, 300, 200));
    EXPECT_EQ(FirstDifference(picture, view.Image6->Image()), "");
}

TEST_F(FitViewTest, ClicksOnThePictureOrTheBackgroundClose) {
    {
        Form3 view(GradientPicture(300, 200), kScreen);
        view.ShowView();
        QTest::mouseClick(view.Image6, Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_TRUE(view.Closed());
    }
    {
        Form3 view(GradientPicture(300, 200), kScreen);
        view.ShowView();
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(5, 470));
        EXPECT_TRUE(view.Closed());
        EXPECT_FALSE(view.isVisible());
    }
}

TEST_F(FitViewTest, EscAndCharacterKeysCloseOtherKeysDoNot) {
    CheckKeys<Form3>([] { return std::make_unique<Form3>(GradientPicture(1000, 300), kScreen); });
}

}  // namespace
}  // namespace sorvenal
