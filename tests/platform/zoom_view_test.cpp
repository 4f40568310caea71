// The zoom rules and the pyramid: steps, the device-to-picture mapping, halving against its
// plain definition, and drawn outlines that never change what the zoomed copies show.
#include "platform/zoom_view.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/picture_box.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::FirstDifference;

TEST(ZoomSteps, SqrtTwoApartFromOneSixteenthToEightThroughOne) {
    const std::vector<double>& steps = ZoomSteps();
    EXPECT_EQ(steps.front(), 1.0 / 16);
    EXPECT_EQ(steps.back(), 8.0);
    for (std::size_t i = 1; i < steps.size(); ++i)
        EXPECT_NEAR(steps[i] / steps[i - 1], std::sqrt(2.0), 1e-12);
    EXPECT_EQ(ZoomIn(1), std::sqrt(2.0));
    EXPECT_EQ(ZoomOut(1), std::sqrt(0.5));
    EXPECT_EQ(ZoomIn(ZoomOut(1)), 1.0);
    EXPECT_EQ(ZoomIn(8), 8.0);
    EXPECT_EQ(ZoomOut(1.0 / 16), 1.0 / 16);
    EXPECT_EQ(ZoomIn(0.3), std::sqrt(0.125));  // from a fit zoom to the next step
    EXPECT_EQ(FitZoom({6000, 4000}, {1500, 1500}), 0.25);
    EXPECT_EQ(FitZoom({300, 200}, {1500, 1500}), 1.0);
    EXPECT_EQ(FitZoom({100000, 10}, {100, 100}), 1.0 / 16);
}

// Every device pixel names the picture pixel drawn on it, and each picture pixel's first
// device pixel names it back.
TEST(ZoomMapping, DeviceAndPicturePixelsAgreeAtEveryStep) {
    for (double zoom : ZoomSteps()) {
        const QSize zoomed = ZoomedSize({1001, 7}, zoom);
        // The last device pixel shows the last picture pixel (below 1, the block that holds it).
        const int last = PictureCoordinate(zoomed.width() - 1, zoom);
        EXPECT_LE(last, 1000) << zoom;
        EXPECT_GT(last, 1000 - 1 / zoom) << zoom;
        int previous = -1;
        for (int d = 0; d < zoomed.width(); ++d) {
            const int p = PictureCoordinate(d, zoom);
            EXPECT_GE(p, previous) << zoom << " " << d;
            if (p != previous) {
                EXPECT_EQ(DeviceCoordinate(p, zoom), d) << zoom << " " << p;
            }
            previous = p;
        }
    }
}

QImage PlainHalf(const QImage& picture) {
    QImage half((picture.width() + 1) / 2, (picture.height() + 1) / 2, QImage::Format_RGB32);
    for (int y = 0; y < half.height(); ++y)
        for (int x = 0; x < half.width(); ++x) {
            int sum[3] = {0, 0, 0}, n = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    if (2 * x + dx >= picture.width() || 2 * y + dy >= picture.height()) continue;
                    const QRgb p = picture.pixel(2 * x + dx, 2 * y + dy);
                    sum[0] += qRed(p), sum[1] += qGreen(p), sum[2] += qBlue(p), ++n;
                }
            half.setPixel(x, y,
                          qRgb((sum[0] + n / 2) / n, (sum[1] + n / 2) / n, (sum[2] + n / 2) / n));
        }
    return half;
}

TEST(ZoomPyramid, HalvingIsTheRoundedMeanOfEachBlockAtAnySize) {
    for (const QSize size : {QSize(64, 48), QSize(63, 47), QSize(1, 9), QSize(9, 1), QSize(1, 1)}) {
        const QImage picture = test::GradientPicture(size.width(), size.height())
                                   .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(FirstDifference(PlainHalf(picture), HalvePicture(picture)), "") << size.width();
    }
    const QImage picture = test::GradientPicture(100, 60).convertToFormat(QImage::Format_RGB32);
    ZoomPyramid pyramid;
    const QImage& level2 = pyramid.Level(picture, 2);
    EXPECT_EQ(level2.size(), QSize(25, 15));
    EXPECT_EQ(pyramid.LevelsMade(), 2);
    EXPECT_EQ(pyramid.Bytes(), (50 * 30 + 25 * 15) * 4);
    EXPECT_LE(pyramid.Bytes() * 3, picture.sizeInBytes());  // at most a third of the frame
    // At a power of two the view is the level itself.
    EXPECT_EQ(FirstDifference(level2, RenderZoomed(picture, pyramid, 0.25, QRect(0, 0, 25, 15))),
              "");
}

// Outlines drawn into the image (as not-xor) leave the zoomed copies as the picture's own.
TEST(ZoomPyramid, OutlinesDrawnIntoTheImageNeverShowInTheCopies) {
    const QImage picture = test::GradientPicture(90, 70).convertToFormat(QImage::Format_RGB32);
    std::vector<QPoint> ring = CircleOutlinePoints(41, 30, 13);
    QImage marked = picture.copy();
    InvertPoints(marked, ring, {});
    for (double zoom : {0.25, 0.5, std::sqrt(0.5), 3.0}) {
        ZoomPyramid clean, withRing;
        const QRect all(QPoint(), ZoomedSize(picture.size(), zoom));
        EXPECT_EQ(FirstDifference(RenderZoomed(picture, clean, zoom, all),
                                  RenderZoomed(marked, withRing, zoom, all, ring)),
                  "")
            << zoom;
    }
}

// Takes in what the worker made once it is done, as the owner's event loop would (a few
// seconds at most); true when no worker is left.
bool Finish(ZoomPyramid& pyramid) {
    for (int i = 0; i < 5000 && pyramid.Busy(); ++i) {
        if (!pyramid.Collect()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return !pyramid.Busy();
}

// A worker makes the same levels as the calling thread would, outlines taken back, also when a
// deeper level is asked for while it works; until then the view is a stand-in of the same size.
TEST(ZoomPyramid, AWorkerMakesTheSameLevelsWhileTheViewStandsIn) {
    const QImage picture = test::GradientPicture(301, 203).convertToFormat(QImage::Format_RGB32);
    const std::vector<QPoint> ring = CircleOutlinePoints(120, 90, 40);
    QImage marked = picture.copy();
    InvertPoints(marked, ring, {});
    for (double zoom : {0.5, std::sqrt(0.125), 1.0 / 16}) {
        ZoomPyramid now, later;
        std::atomic<int> readies{0};
        later.MakeInBackground(0, [&] { ++readies; });
        const QRect all(QPoint(), ZoomedSize(picture.size(), zoom));
        const QImage expected = RenderZoomed(marked, now, zoom, all, ring);
        const QImage standIn = RenderZoomed(marked, later, zoom, all, ring);
        EXPECT_EQ(standIn.size(), all.size()) << zoom;
        EXPECT_EQ(later.LevelsMade(), 0) << zoom;
        EXPECT_EQ(later.LevelOrStart(marked, 5, ring), nullptr) << zoom;  // deeper, meanwhile
        ASSERT_TRUE(Finish(later)) << zoom;
        // The deeper level: made by that worker, or by a second one if it was done already.
        if (!later.LevelOrStart(marked, 5, ring)) {
            ASSERT_TRUE(Finish(later)) << zoom;
        }
        EXPECT_GE(readies.load(), 1) << zoom;
        EXPECT_EQ(later.LevelsMade(), 5) << zoom;
        EXPECT_EQ(FirstDifference(expected, RenderZoomed(marked, later, zoom, all, ring)), "")
            << zoom;
        EXPECT_EQ(FirstDifference(now.Level(marked, 5, ring), *later.LevelOrStart(marked, 5)), "")
            << zoom;
    }
}

// Dropping stops the worker at once and nothing it made arrives; held, nothing is made at all.
TEST(ZoomPyramid, DropStopsTheWorkerAndAHeldPyramidMakesNothing) {
    const QImage picture = test::GradientPicture(2000, 1500).convertToFormat(QImage::Format_RGB32);
    ZoomPyramid pyramid;
    std::atomic<int> readies{0};
    pyramid.MakeInBackground(0, [&] { ++readies; });
    EXPECT_EQ(pyramid.LevelOrStart(picture, 3), nullptr);
    pyramid.Drop();
    EXPECT_FALSE(pyramid.Busy());
    EXPECT_FALSE(pyramid.Collect());
    EXPECT_EQ(pyramid.LevelsMade(), 0);
    pyramid.Hold(true);
    EXPECT_EQ(pyramid.LevelOrStart(picture, 1), nullptr);
    EXPECT_FALSE(pyramid.Busy());
    const QImage standIn = RenderZoomed(picture, pyramid, 0.25, QRect(0, 0, 500, 375));
    EXPECT_EQ(standIn.size(), QSize(500, 375));
    EXPECT_EQ(pyramid.LevelsMade(), 0);
    pyramid.Hold(false);
    EXPECT_EQ(&pyramid.Level(picture, 0), &picture);
    EXPECT_EQ(pyramid.Level(picture, 1).size(), QSize(1000, 750));
    EXPECT_LE(readies.load(), 1);  // at most the worker that was done before the drop
}

}  // namespace
}  // namespace sorvenal
