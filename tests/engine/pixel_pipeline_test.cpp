#include "engine/pixel_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <utility>
#include <vector>

#include "engine/kernels.h"
#include "tests/support/reference_passes.h"
#include "tests/support/test_canvas.h"

namespace sorvenal {
namespace {

using test::RunByteEffect;
using test::RunPixelEffect;

std::vector<std::pair<int, int>> g_visits;
std::vector<ColorValue> g_outsideReads;

ColorValue RecordVisit(const CanvasView& work, int x, int y) {
    g_visits.emplace_back(x, y);
    g_outsideReads.push_back(work.Read(x - work.width, y));
    g_outsideReads.push_back(work.Read(x, work.height));
    return work.Read(x, y);
}

// One more than the left neighbour, else one more than the one above, else 1: the result
// counts visits only if the pass reads its own earlier output.
ColorValue CountFromNeighbours(const CanvasView& work, int x, int y) {
    const ColorValue left = work.Read(x - 1, y);
    if (left != kNoPixel) return RGB(RedOf(left) + 1, 0, 0);
    const ColorValue above = work.Read(x, y - 1);
    return above != kNoPixel ? RGB(RedOf(above) + 1, 0, 0) : RGB(1, 0, 0);
}

TEST(PixelPass, VisitsRowsTopDownEachLeftToRightAndReadsNoPixelOutside) {
    g_visits.clear();
    g_outsideReads.clear();
    test::Picture p(3, 2);
    RunPixelEffect(p.view(), &RecordVisit);
    const std::vector<std::pair<int, int>> order = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}};
    EXPECT_EQ(g_visits, order);
    for (ColorValue c : g_outsideReads) EXPECT_EQ(c, kNoPixel);
}

TEST(PixelPass, NeighbourhoodFormReadsItsOwnEarlierOutput) {
    test::Picture p(4, 3);
    RunPixelEffect(p.view(), &CountFromNeighbours);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(RedOf(p.view().Read(x, y)), x + y + 1) << "at (" << x << ", " << y << ")";
}

TEST(PixelPass, EmptyCanvasCallsNothing) {
    g_visits.clear();
    test::Picture p(0, 0);
    RunPixelEffect(p.view(), &RecordVisit);
    RunByteEffect(p.view(), &DarkenByte);
    RunTablePass(p.view(), TablesFromByteFunction(&DarkenByte));
    EXPECT_TRUE(g_visits.empty());
}

TEST(BytePass, OnePixelHasItsThreeBytesMapped) {
    test::Picture p(1, 1, 1);
    p.Fill(RGB(21, 60, 243));
    RunByteEffect(p.view(), &ContrastUpByte);
    EXPECT_EQ(test::Describe(p.view().Read(0, 0)), test::Describe(RGB(10, 53, 243)));
    EXPECT_EQ(p.pixels[1], test::kPaddingMark);
}

TEST(TablePass, EqualsTheBytePassOnAnySize) {
    const std::pair<int, int> sizes[] = {{1, 1}, {3, 5}, {17, 1}, {1, 17}, {513, 700}};
    unsigned seed = 1;
    for (const auto& [w, h] : sizes) {
        for (ByteFunction fn : {&DarkenByte, &LightenByte, &ContrastUpByte, &ContrastDownByte}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            test::Picture reference = test::RandomPicture(w, h, ++seed, 3);
            test::Picture fast = reference;
            RunByteEffect(reference.view(), fn);
            RunTablePass(fast.view(), TablesFromByteFunction(fn));
            EXPECT_TRUE(test::SamePixels(reference, fast));
        }
    }
}

TEST(TablePass, ChannelTablesMatchTheirScalarFunctionForEveryInput) {
    for (ColorFunction fn : {&GammaColor, &BacklightColor, &BacklightSpecialColor}) {
        const ChannelTables t = TablesFromChannelFunction(fn);
        for (int v = 0; v < 256; ++v) {
            // The other two channels at both extremes: a table must not depend on them.
            for (int other : {0, 255}) {
                EXPECT_EQ(t.red[v], RedOf(fn(RGB(v, other, other)))) << v;
                EXPECT_EQ(t.green[v], GreenOf(fn(RGB(other, v, other)))) << v;
                EXPECT_EQ(t.blue[v], BlueOf(fn(RGB(other, other, v)))) << v;
            }
        }
    }
}

TEST(TablePass, ChainedTablesEqualTwoPasses) {
    const ChannelTables first = TablesFromChannelFunction(&GammaColor);
    const ChannelTables then = TablesFromByteFunction(&ContrastUpByte);
    test::Picture twice = test::RandomPicture(64, 9, 7);
    test::Picture once = twice;
    RunTablePass(twice.view(), first);
    RunTablePass(twice.view(), then);
    RunTablePass(once.view(), ChainTables(first, then));
    EXPECT_TRUE(test::SamePixels(twice, once));
}

TEST(TablePass, ProgressGrowsToTheRowCount) {
    test::Picture p = test::RandomPicture(700, 600, 3);
    std::vector<int> seen;
    std::atomic<bool> wrongTotal{false};
    RunTablePass(p.view(), TablesFromByteFunction(&DarkenByte), [&](int done, int total) {
        if (total != 600) wrongTotal = true;
        seen.push_back(done);  // calls are serialised by the pass
    });
    EXPECT_FALSE(wrongTotal);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 600);
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LT(seen[i - 1], seen[i]);
}

TEST(RowBands, EveryRowOnceWhetherThreadedOrNot) {
    for (long long pixels : {10LL, 10'000'000LL}) {
        std::vector<std::atomic<int>> hits(1000);
        ForEachRowBand(1000, pixels, [&](int begin, int end) {
            for (int y = begin; y < end; ++y) ++hits[y];
        });
        for (int y = 0; y < 1000; ++y) EXPECT_EQ(hits[y].load(), 1) << "row " << y;
    }
}

}  // namespace
}  // namespace sorvenal
