// The picture box's two layers and its not-xor circle outline.
#include "platform/picture_box.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSet>
#include <chrono>
#include <cmath>
#include <thread>

#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

TEST(CircleOutlineTest, PointsLieOnTheCircleOnceEach) {
    for (const int radius : {1, 2, 5, 17, 100}) {
        SCOPED_TRACE(radius);
        const std::vector<QPoint> points = CircleOutlinePoints(7, -3, radius);
        QSet<QPair<int, int>> seen;
        for (const QPoint& p : points) {
            EXPECT_FALSE(seen.contains({p.x(), p.y()})) << p.x() << "," << p.y() << " twice";
            seen.insert({p.x(), p.y()});
            const double distance = std::hypot(p.x() - 7, p.y() + 3);
            EXPECT_LT(std::abs(distance - radius), 1.0) << p.x() << "," << p.y();
        }
        // Eight-fold symmetric, and closed: every octant reaches the axes.
        for (const QPoint& p : points) {
            const int dx = p.x() - 7, dy = p.y() + 3;
            EXPECT_TRUE(seen.contains({7 - dx, -3 + dy}));
            EXPECT_TRUE(seen.contains({7 + dy, -3 + dx}));
        }
        EXPECT_TRUE(seen.contains({7 + radius, -3}));
        EXPECT_TRUE(seen.contains({7, -3 - radius}));
    }
    EXPECT_EQ(CircleOutlinePoints(4, 5, 0), std::vector<QPoint>({QPoint(4, 5)}));
}

TEST(PictureBoxTest, OutlineDrawnTwiceRestoresThePixels) {
    PictureBox box;
    const QImage picture = test::GradientPicture(60, 40);
    box.SetPicture(picture);
    box.DrawCircleNotXor(50.4, 10, 25);  // partly outside the picture
    EXPECT_NE(test::FirstDifference(picture, box.Image()), QString());
    EXPECT_EQ(test::FirstDifference(picture, box.Picture()), QString());  // the picture layer stays
    box.DrawCircleNotXor(50.4, 10, 25);
    EXPECT_EQ(test::FirstDifference(picture, box.Image()), QString());

    box.DrawCircleNotXor(30, 20, 8);
    box.Cls();
    EXPECT_EQ(test::FirstDifference(picture, box.Image()), QString());
}

// Shown below actual size: a large picture's copies are made by a worker while the view stands
// in; a command writing the pixels meanwhile stops it (no race, no copy of the pixels), and what
// is shown at the end is what copies made on the spot show.
TEST(PictureBoxTest, CopiesMadeByAWorkerShowTheWrittenPixelsAsCopiesMadeAtOnce) {
    PictureBox box;
    box.SetBackgroundPixels(0);
    box.SetPicture(test::GradientPicture(900, 700));
    box.SetZoom(0.25);
    box.grab();
    EXPECT_TRUE(box.Pyramid().Busy());
    const CanvasView view = box.View();
    const qint64 key = box.Image().cacheKey();
    for (int y = 100; y < 300; ++y)
        for (int x = 0; x < view.width; ++x) view.row(y)[x] = 0xFF2050A0u;
    box.Refresh();
    EXPECT_EQ(box.Image().cacheKey(), key);  // written in place
    box.grab();
    EXPECT_TRUE(box.Pyramid().Busy());
    for (int i = 0; i < 5000 && box.Pyramid().LevelsMade() < 2; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(box.Pyramid().LevelsMade(), 2);
    ZoomPyramid now;
    const QRect all(QPoint(), ZoomedSize(box.Image().size(), 0.25));
    EXPECT_EQ(test::FirstDifference(RenderZoomed(box.Image(), now, 0.25, all),
                                    box.grab().toImage().convertToFormat(QImage::Format_RGB32)),
              QString());
}

// The glance's copies take the place of the image's, so the two never hold more than a third
// of a frame together, and they go with the glance.
TEST(PictureBoxTest, GlanceCopiesReplaceTheImagesCopies) {
    PictureBox box;
    box.SetPicture(test::GradientPicture(400, 300));
    box.SetZoom(0.125);
    box.grab();
    EXPECT_EQ(box.Pyramid().LevelsMade(), 3);
    box.SetGlance(test::GradientPicture(400, 300).mirrored());
    box.grab();
    EXPECT_EQ(box.Pyramid().Bytes(), 0);
    EXPECT_EQ(box.GlancePyramid().LevelsMade(), 3);
    EXPECT_LE(box.GlancePyramid().Bytes() * 3, box.Image().sizeInBytes());
    box.EndGlance();
    EXPECT_EQ(box.GlancePyramid().Bytes(), 0);
    box.grab();
    EXPECT_EQ(box.Pyramid().LevelsMade(), 3);
}

}  // namespace
}  // namespace sorvenal
