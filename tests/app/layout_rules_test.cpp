#include "app/layout_rules.h"

#include <gtest/gtest.h>

#include <utility>

namespace sorvenal {
namespace {

// A 1920 x 1080 pixel screen.
constexpr int SW = 28800;
constexpr int SH = 16200;
// Outer minus client: frame 8 px, frame + title + menu 50 px.
constexpr int kChromeW = 120;
constexpr int kChromeH = 750;

TEST(PreviewFit, LandscapePortraitSquareAndDegenerate) {
    const PreviewRect wide = PreviewFit(1024, 768);
    EXPECT_EQ(wide.left, 16);
    EXPECT_EQ(wide.top, 30);
    EXPECT_EQ(wide.width, 160);
    EXPECT_EQ(wide.height, 120);

    const PreviewRect tall = PreviewFit(600, 800);
    EXPECT_EQ(tall.left, 36);
    EXPECT_EQ(tall.top, 10);
    EXPECT_EQ(tall.width, 120);
    EXPECT_EQ(tall.height, 160);

    const PreviewRect square = PreviewFit(300, 300);
    EXPECT_EQ(square.left, 16);
    EXPECT_EQ(square.top, 10);
    EXPECT_EQ(square.width, 160);
    EXPECT_EQ(square.height, 160);

    const PreviewRect line = PreviewFit(400, 1);
    EXPECT_EQ(line.height, 0);
    EXPECT_EQ(line.top, 90);
    // odd heights: 90 - (h \ 2) truncates
    EXPECT_EQ(PreviewFit(160, 101).top, 90 - 101 / 2);
}

TEST(CenteredPosition, RoundsHalfToEvenThenTruncates) {
    EXPECT_EQ(CenteredPosition(28800, 16200, 7650, 5600).x, (28800 - 7650) / 2);
    EXPECT_EQ(CenteredPosition(28800, 16200, 7650, 5600).y, 5300);
    EXPECT_EQ(CenteredPosition(1000, 1000, 1001, 1003).x, 0);   // -1 / 2 toward zero
    EXPECT_EQ(CenteredPosition(1000, 1000, 1001, 1003).y, -1);  // -3 / 2
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(RetouchSizing, NarrowPicturesGetTheMinimumWidth) {
    EXPECT_EQ(RetouchSizing(1560, 1500, SW, SH, kChromeW, kChromeH).width, 1680);
    EXPECT_EQ(RetouchSizing(1561, 1500, SW, SH, kChromeW, kChromeH).width, 1681);
    EXPECT_EQ(RetouchSizing(15, 15, SW, SH, kChromeW, kChromeH).width, 1680);
}

TEST(RetouchSizing, PictureThatFitsHasNoBars) {
    const RetouchLayout l = RetouchSizing(9000, 6000, SW, SH, kChromeW, kChromeH);
    EXPECT_EQ(l.width, 9120);
    EXPECT_EQ(l.height, 6690);
    EXPECT_FALSE(l.hScroll.visible);
    EXPECT_FALSE(l.vScroll.visible);
    EXPECT_FALSE(l.command1Visible);
    EXPECT_EQ(l.left, (SW - 9120) / 2);
    EXPECT_EQ(l.top, (SH - 6690) / 2);
}

TEST(RetouchSizing, HorizontalFitBoundary) {
    const RetouchLayout exact = RetouchSizing(SW - 120, 6000, SW, SH, kChromeW, kChromeH);
    EXPECT_FALSE(exact.hScroll.visible);
    EXPECT_EQ(exact.width, SW);

    const RetouchLayout wider = RetouchSizing(SW - 119, 6000, SW, SH, kChromeW, kChromeH);
    ASSERT_TRUE(wider.hScroll.visible);
    EXPECT_EQ(wider.hScroll.max, 121);
    EXPECT_EQ(wider.hScroll.large, 121);
    EXPECT_EQ(wider.hScroll.small, 121 / 25);
    EXPECT_EQ(wider.hScroll.unit, 1);
    EXPECT_EQ(wider.width, SW - 120);
    EXPECT_EQ(wider.height, 6000 + 940);  // room for the horizontal bar
    // Only too wide: the corner button sits at x = CW, outside the client area.
    const int CW = wider.width - kChromeW;
    const int CH = wider.height - kChromeH;
    EXPECT_EQ(wider.command1Rect.x, CW);
    EXPECT_TRUE(wider.command1Visible);
    EXPECT_EQ(wider.hScrollRect.y, CH - 250);
    EXPECT_EQ(wider.hScrollRect.width, CW - 250);
}

TEST(RetouchSizing, VerticalFitBoundary) {
    const RetouchLayout exact = RetouchSizing(9000, SH - 990, SW, SH, kChromeW, kChromeH);
    EXPECT_FALSE(exact.vScroll.visible);
    EXPECT_EQ(exact.height, SH - 990 + 690);

    const RetouchLayout taller = RetouchSizing(9000, SH - 989, SW, SH, kChromeW, kChromeH);
    ASSERT_TRUE(taller.vScroll.visible);
    EXPECT_EQ(taller.height, SH - 250);
    EXPECT_EQ(taller.vScroll.max, (SH - 989) - (SH - 250) + 990);
    // H: widened for the bar after centring
    EXPECT_EQ(taller.width, 9120 + 250);
    EXPECT_EQ(taller.left, (SW - 9120) / 2);
    const int CW2 = taller.width - kChromeW;
    EXPECT_EQ(taller.vScrollRect.x, CW2 - 250);
    EXPECT_EQ(taller.vScrollRect.height, taller.height - kChromeH - 250);
    EXPECT_EQ(taller.command1Rect.x, 9120 - kChromeW);  // placed at the old client width
}

// Larger than the screen both ways: the window widened for the vertical bar would overshoot
// the screen's right edge; it is cut to the screen and the horizontal bar scrolls the cut too.
TEST(RetouchSizing, BothTooBigStaysInsideTheScreen) {
    const RetouchLayout l = RetouchSizing(40000, 30000, SW, SH, kChromeW, kChromeH);
    EXPECT_TRUE(l.hScroll.visible);
    EXPECT_TRUE(l.vScroll.visible);
    EXPECT_TRUE(l.command1Visible);
    EXPECT_EQ(l.width, SW);
    EXPECT_EQ(l.left, 0);
    const int CW = l.width - kChromeW;
    EXPECT_EQ(l.vScrollRect.x + l.vScrollRect.width, CW);
    EXPECT_EQ(l.hScrollRect.width, CW - 250);
    EXPECT_EQ(l.hScroll.max, 40000 - (SW - 120) + 120 + 130);
}

// The screens a new user has, with a photo larger than each both ways, and panels that take
// part of the screen: the window lies inside the available part, bars and all.
TEST(RetouchSizing, WindowNeverLeavesTheAvailableArea) {
    struct Case {
        int sw, sh;
        TwipsBox available;
    };
    for (const Case& c : {Case{1600, 1000, {}}, Case{1600, 1000, {0, 30, 1600, 970}},
                          Case{1920, 1080, {60, 0, 1860, 1080}}, Case{1366, 768, {}}}) {
        const int sw = c.sw * 15, sh = c.sh * 15;
        const TwipsBox a = c.available.width
                               ? TwipsBox{c.available.x * 15, c.available.y * 15,
                                          c.available.width * 15, c.available.height * 15}
                               : TwipsBox{0, 0, sw, sh};
        for (const auto& [pw, ph] : {std::pair{6000, 4000}, std::pair{12000, 8400}}) {
            const RetouchLayout l = RetouchSizing(pw * 15, ph * 15, sw, sh, kChromeW, kChromeH,
                                                  c.available.width ? a : TwipsBox{});
            EXPECT_GE(l.left, a.x) << c.sw << " " << pw;
            EXPECT_GE(l.top, a.y) << c.sw << " " << pw;
            EXPECT_LE(l.left + l.width, a.x + a.width) << c.sw << " " << pw;
            EXPECT_LE(l.top + l.height, a.y + a.height) << c.sw << " " << pw;
            // the bars end inside the client area
            EXPECT_LE(l.vScrollRect.x + l.vScrollRect.width, l.width - kChromeW);
            EXPECT_LE(l.hScrollRect.y + l.hScrollRect.height, l.height - kChromeH);
            // the last scroll value shows the picture's right and bottom edges (to a pixel)
            const int viewW = l.hScrollRect.width, viewH = l.vScrollRect.height;
            EXPECT_GE(static_cast<long long>(l.hScroll.max) * l.hScroll.unit, pw * 15 - viewW);
            EXPECT_GE(static_cast<long long>(l.vScroll.max) * l.vScroll.unit, ph * 15 - viewH - 15);
        }
    }
}

TEST(ScrollRange, HugePicturesStayReachableInCoarserUnits) {
    const ScrollRange atLimit = ScrollRangeFor(32767);
    EXPECT_EQ(atLimit.unit, 1);
    EXPECT_EQ(atLimit.max, 32767);

    for (int hidden : {32768, 100000, 6000 * 15, 1'500'000}) {
        const ScrollRange r = ScrollRangeFor(hidden);
        EXPECT_LE(r.max, kMaxScrollValue) << hidden;
        EXPECT_GT(r.unit, 1) << hidden;
        // the last value shows the end of the picture, overshooting by less than one unit
        EXPECT_GE(static_cast<long long>(r.max) * r.unit, hidden) << hidden;
        EXPECT_LT(static_cast<long long>(r.max) * r.unit - hidden, r.unit) << hidden;
    }
    // a 6000-pixel-wide photo on the screen above
    const RetouchLayout l = RetouchSizing(6000 * 15, 4000 * 15, SW, SH, kChromeW, kChromeH);
    EXPECT_GE(static_cast<long long>(l.hScroll.max) * l.hScroll.unit, 90000 - (SW - 120) + 120);
    EXPECT_GE(static_cast<long long>(l.vScroll.max) * l.vScroll.unit, 60000 - (SH - 250) + 990);
}

TEST(ArrowKeys, StepsClampToTheRange) {
    const int big = SH + 5000;  // a picture taller than the screen
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Down, 150, 1000, 150, big, SH), 0);
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Down, 149, 1000, 150, big, SH), 0);
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Down, 400, 1000, 150, big, SH), 250);
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Up, 850, 1000, 150, big, SH), 1000);  // V + 150 == max
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Up, 849, 1000, 150, big, SH), 999);
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Right, 100, 1000, 150, 40000, SW), 0);
}

TEST(ArrowKeys, FittingPicturesIgnoreUpAndLeft) {
    EXPECT_FALSE(ArrowKeyValue(ArrowKey::Up, 0, 1000, 150, SH - 990, SH).has_value());
    EXPECT_TRUE(ArrowKeyValue(ArrowKey::Up, 0, 1000, 150, SH - 989, SH).has_value());
    // wider than SW - 120 (so it has a bar) but not wider than the screen: Left does nothing
    EXPECT_FALSE(ArrowKeyValue(ArrowKey::Left, 0, 121, 150, SW - 100, SW).has_value());
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Right, 121, 121, 150, SW - 100, SW), 0);
}

TEST(ArrowKeys, NoOverflowNearTheTopOfTheRange) {
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Up, 32700, 32767, 150, 600000, SH), 32767);
    EXPECT_EQ(ArrowKeyValue(ArrowKey::Left, 32767, 32767, 150, 600000, SW), 32767);
    EXPECT_EQ(ArrowStepValues(1), 150);
    EXPECT_EQ(ArrowStepValues(3), 50);
    EXPECT_EQ(ArrowStepValues(500), 1);
}

}  // namespace
}  // namespace sorvenal
