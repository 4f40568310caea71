#include "engine/auto_retouch.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/reference_passes.h"
#include "tests/support/test_canvas.h"

namespace sorvenal {
namespace {

using test::ApplyAutoRetouchReference;
using test::Describe;

TEST(AutoRetouch, SplitColorOfRealAndMissingPixels) {
    const ColorParts c = SplitColor(RGB(1, 2, 3));
    EXPECT_EQ(c.R, 1);
    EXPECT_EQ(c.G, 2);
    EXPECT_EQ(c.B, 3);
    const ColorParts none = SplitColor(kNoPixel);
    EXPECT_EQ(none.R, -1);
    EXPECT_EQ(none.G, -1);
    EXPECT_EQ(none.B, -1);
}

struct SampleCase {
    ColorValue sample;
    int R0, G0, B0;
    ColorValue whitening, normal;
};

// A 9 x 9 picture of the sample colour, clicked in the middle; white and black in corners
// that the five sample points do not reach.
TEST(AutoRetouch, SkinClickOnUniformSample) {
    const SampleCase cases[] = {
        {RGB(190, 160, 140), 190, 160, 140, RGB(215, 185, 185), RGB(215, 180, 175)},  // 50
        {RGB(180, 130, 110), 203, 165, 149, RGB(201, 168, 168), RGB(201, 163, 157)},  // 70
        {RGB(200, 150, 130), 217, 181, 165, RGB(201, 168, 168), RGB(201, 163, 157)},  // 70
        {RGB(180, 140, 100), 274, 240, 203, RGB(215, 175, 175), RGB(215, 169, 161)},  // 80
    };
    for (const SampleCase& c : cases) {
        for (int dw : {0, 1}) {
            SCOPED_TRACE("sample " + Describe(c.sample) + " Dw " + std::to_string(dw));
            test::Picture p(9, 9);
            p.Fill(c.sample);
            p.at(0, 0) = ToCanvasPixel(RGB(255, 255, 255));
            p.at(8, 8) = ToCanvasPixel(RGB(0, 0, 0));
            SkinState state;
            state.Dw = dw;
            SkinClickRetouchPixels(p.view(), state, 4, 4);
            EXPECT_EQ(state.R0, c.R0);
            EXPECT_EQ(state.G0, c.G0);
            EXPECT_EQ(state.B0, c.B0);
            EXPECT_EQ(Describe(p.view().Read(4, 4)), Describe(dw == 0 ? c.whitening : c.normal));
            if (c.sample == RGB(190, 160, 140)) {
                EXPECT_EQ(Describe(p.view().Read(0, 0)), Describe(RGB(255, 255, 255)));
                EXPECT_EQ(Describe(p.view().Read(8, 8)), Describe(RGB(0, 0, 0)));
            }
            if (c.sample == RGB(180, 140, 100) && dw == 0) {
                EXPECT_EQ(Describe(p.view().Read(0, 0)), Describe(RGB(245, 245, 245)));
                EXPECT_EQ(Describe(p.view().Read(8, 8)), Describe(RGB(10, 20, 13)));
            }
        }
    }
}

TEST(AutoRetouch, SamplesAreReadInOrderAtRoundedPositions) {
    test::Picture p(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) p.at(x, y) = ToCanvasPixel(RGB(x, y, 7));
    // Halves go to the even neighbour: 2.5 -> 2, 4.5 -> 4, 6.5 -> 6; 3.5 -> 4, 5.5 -> 6.
    const auto s = ReadSkinSamples(p.view(), 4.5, 3.5);
    const int expected[5][2] = {{2, 6}, {2, 2}, {4, 4}, {6, 6}, {6, 2}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(s[i].R, expected[i][0]) << "sample " << i;
        EXPECT_EQ(s[i].G, expected[i][1]) << "sample " << i;
    }
}

TEST(AutoRetouch, ClickInABlackCornerKeepsDivisorsPositive) {
    test::Picture p(6, 6);
    p.Fill(RGB(0, 0, 0));
    SkinState state;
    // Three of the five points are off the canvas: sums of -3, floor(-0.6) = -1, raised to 1.
    MeasureSkinSample(state, ReadSkinSamples(p.view(), 0, 0));
    EXPECT_EQ(state.R0, 1);
    EXPECT_EQ(state.G0, 1);
    EXPECT_EQ(state.B0, 1);
    EXPECT_EQ(state.M0 - state.N0, 0);
}

TEST(AutoRetouch, SampleOfOneMultipliesByTheTarget) {
    SkinState state;
    MeasureSkinSample(state, {ColorParts{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}});
    EXPECT_EQ(Describe(AutoRetouchColor(state, RGB(1, 1, 1))), Describe(RGB(215, 185, 185)));
    EXPECT_EQ(Describe(AutoRetouchColor(state, RGB(2, 1, 0))), Describe(RGB(255, 185, 0)));
}

// The folded table pass against the defined sequence: remap, then each byte pass in turn,
// over every colour, for each strength and both types.
TEST(AutoRetouch, FoldedPassEqualsSequentialPassesForEveryColour) {
    const test::Picture all = test::AllColours();
    // Spreads 50, 70, 80 and 240, each type at least once.
    const std::pair<ColorValue, int> runs[] = {{RGB(190, 160, 140), 0},
                                               {RGB(180, 130, 110), 1},
                                               {RGB(180, 140, 100), 0},
                                               {RGB(180, 140, 100), 1},
                                               {RGB(250, 40, 10), 1}};
    for (const auto& [sample, dw] : runs) {
        SCOPED_TRACE("sample " + Describe(sample) + " Dw " + std::to_string(dw));
        SkinState state;
        state.Dw = dw;
        const ColorParts part = SplitColor(sample);
        MeasureSkinSample(state, {part, part, part, part, part});
        test::Picture reference = all;
        test::Picture fast = all;
        ApplyAutoRetouchReference(reference.view(), state);
        ApplyAutoRetouch(fast.view(), state);
        EXPECT_TRUE(test::SamePixels(reference, fast));
    }
}

}  // namespace
}  // namespace sorvenal
