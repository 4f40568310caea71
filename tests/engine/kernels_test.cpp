#include "engine/kernels.h"

#include <gtest/gtest.h>

#include "engine/pixel_pipeline.h"
#include "tests/support/reference_passes.h"
#include "tests/support/test_canvas.h"

namespace sorvenal {
namespace {

using test::Describe;
using test::RunPixelEffect;

struct ToneCase {
    ColorValue in, whiten, saturate, desaturate;
};

TEST(TonalKernels, WhitenAndSaturationWorkedValues) {
    const ToneCase cases[] = {
        {RGB(220, 170, 140), RGB(229, 195, 190), RGB(220, 160, 124), RGB(220, 180, 156)},
        {RGB(200, 150, 100), RGB(207, 172, 167), RGB(200, 140, 80), RGB(200, 160, 120)},
        // Floor of -0.275 is -1 (truncation would give 140 for t).
        {RGB(128, 128, 128), RGB(127, 131, 126), RGB(128, 128, 128), RGB(128, 128, 128)},
        {RGB(10, 10, 10), RGB(0, 0, 0), RGB(10, 10, 10), RGB(10, 10, 10)},
        {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)},
        {RGB(50, 100, 200), RGB(42, 86, 81), RGB(20, 80, 200), RGB(95, 130, 200)},
        // Green equals blue above red: no saturation test matches.
        {RGB(50, 200, 200), RGB(42, 168, 163), RGB(50, 200, 200), RGB(50, 200, 200)},
    };
    for (const ToneCase& c : cases) {
        SCOPED_TRACE("input " + Describe(c.in));
        EXPECT_EQ(Describe(WhitenColor(c.in)), Describe(c.whiten));
        EXPECT_EQ(Describe(SaturateColor(c.in)), Describe(c.saturate));
        EXPECT_EQ(Describe(DesaturateColor(c.in)), Describe(c.desaturate));
    }
}

TEST(TonalKernels, WhitenFollowsDoublePrecisionNotExactArithmetic) {
    // 0.275 * -200 is just below -55 in double precision, so its floor is -56.
    EXPECT_EQ(Describe(WhitenColor(RGB(12, 200, 0))), Describe(RGB(0, 156, 151)));
}

TEST(TonalKernels, SaturationLeavesEveryGreyAlone) {
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(SaturateColor(RGB(v, v, v)), RGB(v, v, v)) << v;
        EXPECT_EQ(DesaturateColor(RGB(v, v, v)), RGB(v, v, v)) << v;
    }
}

TEST(TonalKernels, ChannelCurvesWorkedValues) {
    struct Row {
        int v, gamma, backlight, special;
    };
    const Row rows[] = {{0, 0, 40, 1},        {1, 8, 41, 12},       {64, 88, 114, 108},
                        {128, 143, 188, 164}, {192, 197, 255, 211}, {255, 254, 255, 255}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.v);
        // Each channel on its own: the same curve whatever the other two hold.
        EXPECT_EQ(GammaColor(RGB(r.v, 0, 255)), RGB(r.gamma, 0, 254));
        EXPECT_EQ(GreenOf(GammaColor(RGB(3, r.v, 7))), r.gamma);
        EXPECT_EQ(BlueOf(BacklightColor(RGB(0, 0, r.v))), r.backlight);
        EXPECT_EQ(RedOf(BacklightColor(RGB(r.v, 9, 9))), r.backlight);
        EXPECT_EQ(GreenOf(BacklightSpecialColor(RGB(0, r.v, 0))), r.special);
    }
    EXPECT_EQ(BacklightComponent(186), 255);
    EXPECT_EQ(BacklightComponent(187), 256);  // the assembly caps it, not the curve
    EXPECT_EQ(BacklightCurve(0), 1);
    EXPECT_EQ(BacklightCurve(1), 12);
    EXPECT_EQ(BacklightCurve(128), 164);
    EXPECT_EQ(BacklightCurve(255), 256);  // unclamped: the automatic retouch relies on it
}

TEST(ByteKernels, WorkedValues) {
    struct Row {
        int v, darken, lighten, up, down;
    };
    const Row rows[] = {
        {0, 0, 30, 0, 0},          {20, 13, 50, 20, 20},      {21, 14, 51, 10, 31},
        {60, 40, 90, 53, 67},      {61, 41, 91, 54, 67},      {128, 108, 158, 127, 128},
        {219, 199, 249, 227, 210}, {220, 200, 237, 229, 211}, {242, 222, 248, 253, 230},
        {243, 223, 249, 243, 243}, {255, 235, 255, 255, 255},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.v);
        EXPECT_EQ(DarkenByte(r.v), r.darken);
        EXPECT_EQ(LightenByte(r.v), r.lighten);
        EXPECT_EQ(ContrastUpByte(r.v), r.up);
        EXPECT_EQ(ContrastDownByte(r.v), r.down);
    }
}

TEST(ByteKernels, ExactIntegerFormsHoldForEveryByte) {
    for (int v = 0; v < 256; ++v) {
        SCOPED_TRACE(v);
        EXPECT_EQ(DarkenByte(v), v <= 60 ? 2 * v / 3 : v - 20);
        EXPECT_EQ(LightenByte(v), v >= 220 ? (255 - v) / 2 + v : v + 30);
        const bool inRange = v > 20 && v < 243;
        EXPECT_EQ(ContrastUpByte(v), inRange ? 11 * v / 10 - 13 : v);
        EXPECT_EQ(ContrastDownByte(v), inRange ? 9 * v / 10 + 13 : v);
        EXPECT_GE(LightenByte(v), 0);
        EXPECT_LE(LightenByte(v), 255);
    }
}

TEST(Sharpen, FourByFourGreyRipplesFromTheEdges) {
    test::Picture p(4, 4);
    p.Fill(RGB(40, 40, 40));
    RunPixelEffect(p.view(), &SharpenPixel);
    const int expected[4][4] = {
        {140, 63, 76, 131}, {59, 20, 25, 61}, {80, 37, 41, 78}, {130, 58, 71, 122}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int v = expected[y][x];
            EXPECT_EQ(Describe(p.view().Read(x, y)), Describe(RGB(v, v, v)))
                << "at (" << x << ", " << y << ")";
        }
}

TEST(Sharpen, SinglePixelIsMultipliedBySeventeen) {
    test::Picture p(1, 1);
    p.Fill(RGB(14, 15, 0));
    EXPECT_EQ(Describe(SharpenPixel(p.view(), 0, 0)), Describe(RGB(238, 255, 0)));
}

TEST(Sharpen, FlatInteriorKeepsItsValue) {
    test::Picture p(5, 5);
    p.Fill(RGB(90, 10, 200));
    EXPECT_EQ(SharpenPixel(p.view(), 2, 2), RGB(90, 10, 200));
}

}  // namespace
}  // namespace sorvenal
