#include "effects/circle_effects.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_canvas.h"

namespace sorvenal {
namespace {

using test::Describe;

// The visit done literally, one colour-function call per position of the region: the definition
// the fast paths are checked against.
void RunCircleEffectReference(const CanvasView& canvas, CircleEffect effect, const Circle& circle,
                              RandomSequence& random) {
    if (!(circle.rl > 0)) return;
    const Region region = CircleEffectRegion(effect, circle, canvas.width, canvas.height);
    for (int y = region.y0; y <= region.y1; ++y) {
        for (int x = region.x0; x <= region.x1; ++x) {
            const ColorValue c = canvas.Read(x, y);
            ColorValue out = c;
            switch (effect) {
                case CircleEffect::Light:
                    out = CircleLightColor(circle, x, y, c);
                    break;
                case CircleEffect::Red:
                    out = CircleRedColor(circle, x, y, c, random.Next());
                    break;
                case CircleEffect::EyeBlue:
                    out = EyeBlueColor(circle, x, y, c);
                    break;
                case CircleEffect::Spotlight:
                    out = SpotlightColor(circle, x, y, c);
                    break;
                case CircleEffect::Picture:
                    out = CirclePictureColor(circle, x, y, c);
                    break;
            }
            canvas.Write(x, y, out);
        }
    }
}

// Channels of c at distance d straight to the right of a circle centred at (100, 100).
ColorValue LightAt(float rl, int d, ColorValue c) {
    return CircleLightColor({100, 100, rl}, 100 + d, 100, c);
}

TEST(CircleLight, WorkedValuesForRadiusThirty) {
    const ColorValue grey = RGB(100, 100, 100);
    EXPECT_EQ(Describe(LightAt(30, 15, grey)), Describe(RGB(120, 120, 120)));  // inner disc
    EXPECT_EQ(Describe(LightAt(30, 30, grey)), Describe(RGB(106, 106, 106)));  // ring
    EXPECT_EQ(Describe(LightAt(30, 40, grey)), Describe(grey));                // D = Ro
    EXPECT_EQ(Describe(LightAt(30, 55, grey)), Describe(grey));
    EXPECT_EQ(Describe(LightAt(30, 0, RGB(240, 0, 7))), Describe(RGB(255, 10, 17)));
}

TEST(CircleLight, RoundingToThreeDecimalsTiesToEven) {
    // rl 65: Ro = 87; at D = 80, Ro / D * 1000 is 1087.5 exactly and goes to 1088, so the factor
    // is 1.0088: 114 -> floor(115.003) = 115, then 115 - 10 + 870 div 80 = 115. Rounding the tie
    // down would give 114.
    EXPECT_EQ(RedOf(LightAt(65, 80, RGB(114, 0, 0))), 115);
}

TEST(CircleLight, SmallRadiusSquareIsNarrowerThanTheRing) {
    const Region r = CircleEffectRegion(CircleEffect::Light, {10, 20, 2}, 50, 50);
    EXPECT_EQ(r.x0, 8);
    EXPECT_EQ(r.x1, 11);
    EXPECT_EQ(r.y0, 18);
    EXPECT_EQ(r.y1, 21);
    // Ro = 3, so D = 2 is still in the ring.
    EXPECT_NE(CircleLightColor({10, 20, 2}, 12, 20, RGB(100, 100, 100)), RGB(100, 100, 100));
}

TEST(CircleRed, DrawChoosesTheStrengthAndRedNeverChanges) {
    const Circle c{100, 100, 10};
    const ColorValue in = RGB(200, 120, 60);
    const float strong = 3.5f / 11, mild = 4.0f / 11;
    // Inner disc (D = 4): 5/6 or 7/8.
    EXPECT_EQ(Describe(CircleRedColor(c, 104, 100, in, strong)), Describe(RGB(200, 100, 50)));
    EXPECT_EQ(Describe(CircleRedColor(c, 104, 100, in, mild)), Describe(RGB(200, 105, 52)));
    // Ring (D = 6): 2G/3 + (G D / rl)/3 = 80 + 24, or 3G/4 + (G D / rl)/4 = 90 + 18.
    EXPECT_EQ(Describe(CircleRedColor(c, 106, 100, in, strong)), Describe(RGB(200, 104, 52)));
    EXPECT_EQ(Describe(CircleRedColor(c, 106, 100, in, mild)), Describe(RGB(200, 108, 54)));
    // D >= rl: unchanged.
    EXPECT_EQ(CircleRedColor(c, 110, 100, in, strong), in);
}

TEST(EyeBlue, RingRulesAndUntouchedPupil) {
    const Circle c{50, 50, 30};  // pupil D <= 10, ring 10 < D < 30
    EXPECT_EQ(Describe(EyeBlueColor(c, 70, 50, RGB(50, 60, 70))), Describe(RGB(50, 60, 240)));
    EXPECT_EQ(Describe(EyeBlueColor(c, 70, 50, RGB(200, 150, 80))), Describe(RGB(100, 150, 255)));
    EXPECT_EQ(EyeBlueColor(c, 70, 50, RGB(200, 150, 120)), RGB(200, 150, 120));
    EXPECT_EQ(EyeBlueColor(c, 60, 50, RGB(50, 60, 70)), RGB(50, 60, 70));  // D = 10
    EXPECT_EQ(EyeBlueColor(c, 80, 50, RGB(50, 60, 70)), RGB(50, 60, 70));  // D = 30
}

TEST(SpotlightAndPicture, InsideAndOutside) {
    const Circle c{50, 50, 20};
    EXPECT_EQ(SpotlightColor(c, 70, 50, RGB(254, 100, 2)), RGB(254, 100, 2));  // D = rl
    EXPECT_EQ(Describe(SpotlightColor(c, 71, 50, RGB(254, 100, 2))), Describe(RGB(84, 33, 0)));
    EXPECT_EQ(CirclePictureColor(c, 50, 50, RGB(0, 0, 0)), RGB(1, 1, 1));
    EXPECT_EQ(CirclePictureColor(c, 70, 50, RGB(0, 0, 1)), RGB(0, 0, 1));
    EXPECT_EQ(CirclePictureColor(c, 71, 50, RGB(9, 200, 255)), RGB(0, 0, 0));
}

TEST(CircleEffects, Names) {
    EXPECT_EQ(CircleEffectFromName("circle-light"), CircleEffect::Light);
    EXPECT_EQ(CircleEffectFromName("circle-red"), CircleEffect::Red);
    EXPECT_EQ(CircleEffectFromName("eye-blue"), CircleEffect::EyeBlue);
    EXPECT_EQ(CircleEffectFromName("spotlight"), CircleEffect::Spotlight);
    EXPECT_EQ(CircleEffectFromName("circle-picture"), CircleEffect::Picture);
    EXPECT_FALSE(CircleEffectFromName("circle"));
}

TEST(RandomSequence, FixedStartInUnitInterval) {
    RandomSequence a, b;
    for (int i = 0; i < 10000; ++i) {
        const float u = a.Next();
        ASSERT_EQ(u, b.Next());
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
    }
}

TEST(CircleRed, OneDrawPerVisitedPositionOnAndOffTheCanvas) {
    test::Picture p = test::RandomPicture(20, 15, 5);
    const Circle c{2, 3, 6};  // square x -4..7, y -3..8: partly off the canvas
    const Region r = CircleEffectRegion(CircleEffect::Red, c, p.width, p.height);
    const int visited = (r.x1 - r.x0 + 1) * (r.y1 - r.y0 + 1);
    EXPECT_EQ(visited, 144);
    RandomSequence used, expected;
    RunCircleEffect(p.view(), CircleEffect::Red, c, used);
    for (int i = 0; i < visited; ++i) expected.Next();
    EXPECT_EQ(used.Next(), expected.Next());
}

TEST(CircleEffects, NoCircleChangesNothingAndDrawsNothing) {
    for (CircleEffect e : {CircleEffect::Light, CircleEffect::Red, CircleEffect::EyeBlue,
                           CircleEffect::Spotlight, CircleEffect::Picture}) {
        test::Picture p = test::RandomPicture(16, 16, 9);
        const test::Picture before = p;
        RandomSequence used, fresh;
        RunCircleEffect(p.view(), e, {8, 8, 0}, used);
        EXPECT_TRUE(test::SamePixels(before, p));
        EXPECT_EQ(used.Next(), fresh.Next());
    }
}

// The fast passes against the literal region visit, for circles inside, across the edges,
// centred off the canvas, with a non-whole centre, and larger than the picture.
TEST(CircleEffects, FastPassEqualsTheLiteralVisit) {
    const Circle circles[] = {{40, 30, 12},      {2, 3, 9},     {78, 58, 20}, {-5, 30, 11},
                              {40.5f, 29.5f, 7}, {40, 30, 200}, {0, 0, 1},    {79, 59, 2}};
    unsigned seed = 300;
    for (CircleEffect e : {CircleEffect::Light, CircleEffect::Red, CircleEffect::EyeBlue,
                           CircleEffect::Spotlight, CircleEffect::Picture}) {
        for (const Circle& c : circles) {
            SCOPED_TRACE("effect " + std::to_string(static_cast<int>(e)) + " circle (" +
                         std::to_string(c.X1) + ", " + std::to_string(c.Y1) + ", " +
                         std::to_string(c.rl) + ")");
            test::Picture reference = test::RandomPicture(80, 60, ++seed, 2);
            for (int x = 0; x < 80; x += 3) reference.at(x, 30) = 0xFF000000u;  // pure black
            test::Picture fast = reference;
            RandomSequence a, b;
            RunCircleEffectReference(reference.view(), e, c, a);
            RunCircleEffect(fast.view(), e, c, b);
            EXPECT_TRUE(test::SamePixels(reference, fast));
            EXPECT_EQ(a.Next(), b.Next());
        }
    }
}

TEST(CircleEffects, SquareAcrossTheEdgeChangesOnlyInsideIt) {
    test::Picture p = test::RandomPicture(30, 30, 77);
    const test::Picture before = p;
    const Circle c{1, 28, 6};
    RandomSequence random;
    RunCircleEffect(p.view(), CircleEffect::Light, c, random);
    const Region r = CircleEffectRegion(CircleEffect::Light, c, 30, 30);
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool inSquare = x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1;
            if (p.at(x, y) != before.at(x, y)) {
                ++changed;
                EXPECT_TRUE(inSquare) << "changed outside the square at (" << x << ", " << y << ")";
            }
        }
    EXPECT_GT(changed, 0);
}

TEST(Spotlight, WideRowsFindTheExactInsideRun) {
    // A wide row exercises the per-row inside run far from the circle on both sides.
    test::Picture reference = test::RandomPicture(3001, 3, 4);
    test::Picture fast = reference;
    const Circle c{1500, 1, 900};
    RandomSequence a, b;
    RunCircleEffectReference(reference.view(), CircleEffect::Spotlight, c, a);
    RunCircleEffect(fast.view(), CircleEffect::Spotlight, c, b);
    EXPECT_TRUE(test::SamePixels(reference, fast));
}

}  // namespace
}  // namespace sorvenal
