// The circle commands on real picture boxes: what they refuse, what they change, and that they
// go through the snapshot so effects accumulate without the outline.
#include "effects/circle_commands.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QStringList>

#include "platform/busy_indicator.h"
#include "platform/canvas_image.h"
#include "platform/picture_box.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;

constexpr CircleEffect kAllEffects[] = {CircleEffect::Light, CircleEffect::Red,
                                        CircleEffect::EyeBlue, CircleEffect::Spotlight,
                                        CircleEffect::Picture};

// The effect applied to a copy of the picture, the way the commands must apply it.
QImage Expected(QImage picture, CircleEffect effect, const Circle& circle, RandomSequence& random) {
    picture = picture.convertToFormat(QImage::Format_RGB32);
    RunCircleEffect(ViewOf(picture), effect, circle, random);
    return picture;
}

class CircleCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        original = GradientPicture(64, 48);
        // As the switch to the effects menus leaves them: the snapshot equals the canvas.
        Picture2.SetPicture(original);
        Picture3.SetPicture(original);
    }

    bool Run(CircleEffect effect) {
        const BusyFeedback feedback{
            .begin = [this] { log << QStringLiteral("begin"); },
            .end = [this](const QString& caption) { log << QStringLiteral("end ") + caption; },
            .indicator = &busy,
        };
        const CircleCommandContext context{
            .Picture2 = &Picture2,
            .Picture3 = &Picture3,
            .circle = circle,
            .random = random,
            .dialogs = dialogs,
            .parent = nullptr,
            .busy = feedback,
            .DefaultPointer = [this] { log << QStringLiteral("default pointer"); },
        };
        return RunCircleCommand(context, effect);
    }

    // Marks the circle as the mouse release does: outline drawn on the canvas only.
    void Mark(float x, float y, float r) {
        circle = {x, y, r};
        Picture2.DrawCircleNotXor(x, y, r);
    }

    QImage original;
    PictureBox Picture2;
    PictureBox Picture3;
    BusyIndicator busy;
    Circle circle;
    RandomSequence random;
    ScriptedDialogService dialogs;
    QStringList log;
};

TEST_F(CircleCommandTest, EveryCommandRefusesWithoutACircle) {
    for (CircleEffect effect : kAllEffects) {
        SCOPED_TRACE(static_cast<int>(effect));
        dialogs.messages.clear();
        log.clear();
        circle = {20, 20, 0};
        EXPECT_FALSE(Run(effect));
        EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("円を設定してください")});
        EXPECT_TRUE(log.isEmpty()) << log.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(FirstDifference(original, Picture2.Image()), QString());
        EXPECT_EQ(FirstDifference(original, Picture3.Picture()), QString());
    }
}

TEST_F(CircleCommandTest, RefusalStillWipesAStaleOutline) {
    Picture2.DrawCircleNotXor(30, 20, 8);
    ASSERT_NE(FirstDifference(original, Picture2.Image()), QString());
    circle = {30, 20, -3};
    EXPECT_FALSE(Run(CircleEffect::Spotlight));
    EXPECT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(FirstDifference(original, Picture2.Image()), QString());
}

TEST_F(CircleCommandTest, CircleCrossingTheEdgeMatchesTheEnginePass) {
    for (CircleEffect effect : kAllEffects) {
        SCOPED_TRACE(static_cast<int>(effect));
        SetUp();
        random = RandomSequence();
        Mark(3, 44, 12);  // square reaches past the left and bottom edges
        RandomSequence reference;
        const QImage expected = Expected(original, effect, circle, reference);
        ASSERT_NE(FirstDifference(original, expected), QString()) << "effect changed nothing";

        EXPECT_TRUE(Run(effect));
        EXPECT_EQ(FirstDifference(expected, Picture2.Image()), QString());
        EXPECT_EQ(FirstDifference(expected, Picture2.Picture()), QString());
        EXPECT_EQ(FirstDifference(expected, Picture3.Picture()), QString());
        EXPECT_EQ(Picture2.PictureSize(), original.size());
        EXPECT_TRUE(dialogs.messages.isEmpty());
    }
}

TEST_F(CircleCommandTest, EffectsAccumulateThroughTheSnapshotWithoutTheOutline) {
    Mark(30, 22, 15);
    RandomSequence reference;
    QImage expected = Expected(original, CircleEffect::Red, circle, reference);
    expected = Expected(expected, CircleEffect::Light, circle, reference);
    expected = Expected(expected, CircleEffect::Red, circle, reference);

    EXPECT_TRUE(Run(CircleEffect::Red));
    // The user marks the same circle again between two commands: the outline goes on the canvas.
    Picture2.DrawCircleNotXor(30, 22, 15);
    EXPECT_TRUE(Run(CircleEffect::Light));
    EXPECT_TRUE(Run(CircleEffect::Red));

    EXPECT_EQ(FirstDifference(expected, Picture3.Picture()), QString());
    EXPECT_EQ(FirstDifference(expected, Picture2.Image()), QString());
    // The circle is kept for the next command.
    EXPECT_EQ(circle.rl, 15.0f);
    EXPECT_EQ(circle.X1, 30.0f);
}

TEST_F(CircleCommandTest, PictureSharedWithTheOriginalHolderIsNotWrittenThrough) {
    // Right after a revert the snapshot shares its pixels with the picture as loaded.
    const QImage pristine = original.copy();
    PictureBox Picture1;
    Picture1.SetPicture(original);
    Picture3.SetPicture(Picture1.Picture());
    Mark(20, 20, 9);
    EXPECT_TRUE(Run(CircleEffect::Spotlight));
    EXPECT_EQ(FirstDifference(pristine, Picture1.Picture()), QString());
    EXPECT_EQ(FirstDifference(pristine, original), QString());
    EXPECT_NE(FirstDifference(pristine, Picture2.Image()), QString());
    EXPECT_TRUE(Picture2.updatesEnabled());
}

TEST_F(CircleCommandTest, CommandEndsWithDoneCaptionAndDefaultPointer) {
    Mark(32, 24, 10);
    EXPECT_TRUE(Run(CircleEffect::Picture));
    EXPECT_EQ(log, (QStringList{QStringLiteral("begin"), QStringLiteral("end ------終了-------"),
                                QStringLiteral("default pointer")}));
    // Outside the circle everything is black, inside nothing is.
    EXPECT_EQ(Picture2.Point(0, 0), 0);
    EXPECT_NE(Picture2.Point(32, 24), 0);
}

TEST_F(CircleCommandTest, EmptyCanvasStillPassesThroughTheBusyIndicator) {
    Picture2.ClearPicture();
    Picture3.ClearPicture();
    circle = {5, 5, 4};
    EXPECT_TRUE(Run(CircleEffect::Spotlight));
    EXPECT_FALSE(Picture2.HasPicture());
    EXPECT_EQ(log.size(), 3);
}

}  // namespace
}  // namespace sorvenal
