#include "viewers/placement.h"

#include <gtest/gtest.h>

namespace sorvenal {
namespace {

constexpr std::int32_t T = 15;            // twips per pixel
constexpr std::int32_t kScrW = 1920 * T;  // 28800
constexpr std::int32_t kScrH = 1080 * T;  // 16200

ViewerOffsets Press(const ActualPlacement& p, ViewerOffsets o, ViewerKey key, int times) {
    for (int i = 0; i < times; ++i) o = StepOffsets(p, o, key);
    return o;
}

TEST(ActualPlacementTest, PictureEqualToTheScreenSitsAtTheCornerAndDoesNotScroll) {
    const ActualPlacement p = PlaceActualSize(kScrW, kScrH, kScrW, kScrH);
    EXPECT_EQ(p.lngLeft, 0);
    EXPECT_EQ(p.lngTop, 0);
    EXPECT_EQ(p.lngWidth, kScrW);
    EXPECT_EQ(p.lngHeight, kScrH);
    EXPECT_FALSE(p.wider);
    EXPECT_FALSE(p.taller);
    // The offsets keep their initial range.
    EXPECT_EQ(p.h.max, 32767);
    EXPECT_EQ(p.h.large, 1);
    EXPECT_EQ(p.h.small, 1);
    for (ViewerKey key : {ViewerKey::Up, ViewerKey::Down, ViewerKey::Left, ViewerKey::Right}) {
        const ViewerOffsets o = StepOffsets(p, {}, key);
        EXPECT_EQ(o.H, 0);
        EXPECT_EQ(o.V, 0);
    }
}

TEST(ActualPlacementTest, SmallerPictureIsCentredWithTruncatingHalves) {
    // 1366 x 768 screen, 1001 x 601 picture: (20490 - 15015) \ 2 = 2737, (11520 - 9015) \ 2 = 1252
    const ActualPlacement p = PlaceActualSize(1366 * T, 768 * T, 1001 * T, 601 * T);
    EXPECT_EQ(p.lngLeft, 2737);
    EXPECT_EQ(p.lngTop, 1252);
    EXPECT_EQ(p.lngWidth, 15015);
    EXPECT_EQ(p.lngHeight, 9015);
    EXPECT_FALSE(p.wider || p.taller);
}

TEST(ActualPlacementTest, WiderOnlyScrollsHorizontallyAndIsCentredVertically) {
    const ActualPlacement p = PlaceActualSize(kScrW, kScrH, 2405 * T, 800 * T);
    EXPECT_TRUE(p.wider);
    EXPECT_FALSE(p.taller);
    EXPECT_EQ(p.lngLeft, 0);
    EXPECT_EQ(p.lngTop, (kScrH - 12000) / 2);
    EXPECT_EQ(p.h.max, 7275);
    EXPECT_EQ(p.h.large, 7275);
    EXPECT_EQ(p.h.small, 291);

    // Left pushes in steps of 150; the last step is shorter and stops at the maximum.
    ViewerOffsets o = Press(p, {}, ViewerKey::Left, 48);
    EXPECT_EQ(o.H, 7200);
    o = StepOffsets(p, o, ViewerKey::Left);
    EXPECT_EQ(o.H, 7275);
    o = StepOffsets(p, o, ViewerKey::Left);
    EXPECT_EQ(o.H, 7275);
    // Up does nothing; Down leaves V at 0.
    EXPECT_EQ(StepOffsets(p, o, ViewerKey::Up).V, 0);
    EXPECT_EQ(StepOffsets(p, o, ViewerKey::Down).V, 0);

    // Right comes back in steps of 150 and lands on 0 exactly from between 1 and 149.
    o = Press(p, o, ViewerKey::Right, 48);
    EXPECT_EQ(o.H, 75);
    o = StepOffsets(p, o, ViewerKey::Right);
    EXPECT_EQ(o.H, 0);
}

TEST(ActualPlacementTest, TallerOnlyScrollsVertically) {
    const ActualPlacement p = PlaceActualSize(kScrW, kScrH, 1000 * T, 1500 * T);
    EXPECT_FALSE(p.wider);
    EXPECT_TRUE(p.taller);
    EXPECT_EQ(p.lngLeft, (kScrW - 15000) / 2);
    EXPECT_EQ(p.lngTop, 0);
    EXPECT_EQ(p.v.max, 6300);
    EXPECT_EQ(p.v.small, 252);
    EXPECT_EQ(StepOffsets(p, {}, ViewerKey::Left).H, 0);
    EXPECT_EQ(StepOffsets(p, {}, ViewerKey::Up).V, 150);
    // V + 150 equal to the maximum takes the maximum.
    EXPECT_EQ(StepOffsets(p, {0, 6150}, ViewerKey::Up).V, 6300);
    EXPECT_EQ(StepOffsets(p, {0, 150}, ViewerKey::Down).V, 0);
    EXPECT_EQ(StepOffsets(p, {0, 149}, ViewerKey::Down).V, 0);
    EXPECT_EQ(StepOffsets(p, {0, 151}, ViewerKey::Down).V, 1);
}

TEST(ActualPlacementTest, OverhangsBeyondSixteenBitsReachTheFarEdge) {
    // 6000 x 5000 pixels on 1920 x 1080: overhangs of 61200 and 58800 twips.
    const ActualPlacement p = PlaceActualSize(kScrW, kScrH, 6000 * T, 5000 * T);
    EXPECT_EQ(p.h.max, 61200);
    EXPECT_EQ(p.v.max, 58800);
    EXPECT_EQ(p.h.small, 2448);
    // The keys pass 32617 and stop exactly at the far edge.
    ViewerOffsets o = Press(p, {}, ViewerKey::Left, 1000);
    o = Press(p, o, ViewerKey::Up, 1000);
    EXPECT_EQ(o.H, 61200);
    EXPECT_EQ(o.V, 58800);
    o = StepOffsets(p, {32700, 32700}, ViewerKey::Left);
    EXPECT_EQ(o.H, 32850);

    // An overhang of exactly 32767 keeps one twip per value.
    const ActualPlacement atLimit = PlaceActualSize(kScrW, kScrH, kScrW + 32767, kScrH);
    EXPECT_EQ(atLimit.h.max, 32767);
    EXPECT_EQ(atLimit.h.small, 1310);
    EXPECT_EQ(StepOffsets(atLimit, {32700, 0}, ViewerKey::Left).H, 32767);
}

TEST(FitPlacementTest, FourThreeOnSixteenNineIsDecidedByTheHeight) {
    const FitPlacement p = PlaceFit(kScrW, kScrH, 4000 * T, 3000 * T);
    EXPECT_EQ(p.lngTop, 0);
    EXPECT_EQ(p.lngHeight, kScrH);
    EXPECT_EQ(p.lngWidth, 21600);
    EXPECT_EQ(p.lngLeft, 3600);
}

TEST(FitPlacementTest, SixteenNineOnFourThreeIsDecidedByTheWidth) {
    const FitPlacement p = PlaceFit(1024 * T, 768 * T, 3840 * T, 2160 * T);
    EXPECT_EQ(p.lngLeft, 0);
    EXPECT_EQ(p.lngWidth, 15360);
    EXPECT_EQ(p.lngHeight, 8640);
    EXPECT_EQ(p.lngTop, 1440);
}

TEST(FitPlacementTest, EqualAspectRatioFillsTheScreen) {
    const FitPlacement p = PlaceFit(kScrW, kScrH, 3840 * T, 2160 * T);
    EXPECT_EQ(p.lngLeft, 0);
    EXPECT_EQ(p.lngTop, 0);
    EXPECT_EQ(p.lngWidth, kScrW);
    EXPECT_EQ(p.lngHeight, kScrH);
}

TEST(FitPlacementTest, WiderOnlyOrTallerOnlyShrinksAlongTheOverhang) {
    // 2400 x 800: width decides, floor(28800 * 12000 / 36000) = 9600.
    FitPlacement p = PlaceFit(kScrW, kScrH, 2400 * T, 800 * T);
    EXPECT_EQ(p.lngLeft, 0);
    EXPECT_EQ(p.lngWidth, kScrW);
    EXPECT_EQ(p.lngHeight, 9600);
    EXPECT_EQ(p.lngTop, 3300);
    // 1001 x 3000: height decides, floor(16200 * 15015 / 45000) = floor(5405.4) = 5405, and
    // (28800 - 5405) \ 2 truncates.
    p = PlaceFit(kScrW, kScrH, 1001 * T, 3000 * T);
    EXPECT_EQ(p.lngTop, 0);
    EXPECT_EQ(p.lngHeight, kScrH);
    EXPECT_EQ(p.lngWidth, 5405);
    EXPECT_EQ(p.lngLeft, 11697);
}

TEST(FitPlacementTest, PictureThatFitsIsCentredAndNeverEnlarged) {
    FitPlacement p = PlaceFit(kScrW, kScrH, 800 * T, 600 * T);
    EXPECT_EQ(p.lngLeft, 8400);
    EXPECT_EQ(p.lngTop, 3600);
    EXPECT_EQ(p.lngWidth, 12000);
    EXPECT_EQ(p.lngHeight, 9000);
    p = PlaceFit(kScrW, kScrH, kScrW, kScrH);
    EXPECT_EQ(p.lngLeft, 0);
    EXPECT_EQ(p.lngTop, 0);
    EXPECT_EQ(p.lngWidth, kScrW);
    EXPECT_EQ(p.lngHeight, kScrH);
}

TEST(FitPlacementTest, VeryLargePicturesDoNotOverflow) {
    // 100000 x 1000 pixels: the products exceed 32 bits.
    const FitPlacement p = PlaceFit(kScrW, kScrH, 100000 * T, 1000 * T);
    EXPECT_EQ(p.lngWidth, kScrW);
    EXPECT_EQ(p.lngHeight, 288);
    EXPECT_EQ(p.lngTop, (kScrH - 288) / 2);
}

TEST(FitPlacementTest, EmptyPictureIsPlacedAtTheCentreWithNoSize) {
    const FitPlacement p = PlaceFit(kScrW, kScrH, 0, 0);
    EXPECT_EQ(p.lngLeft, kScrW / 2);
    EXPECT_EQ(p.lngTop, kScrH / 2);
    EXPECT_EQ(p.lngWidth, 0);
    EXPECT_EQ(p.lngHeight, 0);
}

}  // namespace
}  // namespace sorvenal
