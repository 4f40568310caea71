// The picture box's two layers and its not-xor circle outline.
#include "platform/picture_box.h"

#include <gtest/gtest.h>

#include <QSet>
#include <cmath>

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

}  // namespace
}  // namespace sorvenal
