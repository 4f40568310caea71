// The history of steps against the history of frames: the same pictures, bit for bit, over long
// random runs; the budget; the spacing of the kept frames.
#include "app/undo_history_steps.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "app/undo_history.h"
#include "platform/canvas_image.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;

// One step as the window runs it live: the passes one by one, the window's own skin state and
// random sequence, and a history of frames beside the history of steps.
struct Runner {
    explicit Runner(QImage start, HistoryPace pace = {})
        : original(start), picture(std::move(start)), steps(StepHistory::kDefaultCap, pace) {}

    void Step(const HistoryStep& step, bool compact) {
        frames.Begin(picture);
        std::optional<StepHistory::Rows> watch;
        if (step.kind == HistoryStep::Kind::Circle) {
            const Region region =
                CircleEffectRegion(step.effect, step.circle, picture.width(), picture.height());
            watch = StepHistory::Rows{region.y0, region.y1};
        }
        steps.Begin(picture, watch);
        switch (step.kind) {
            case HistoryStep::Kind::Command:
                for (RetouchCommand pass : RetouchPasses(step.command))
                    RunRetouchPass(ViewOf(picture), pass);
                break;
            case HistoryStep::Kind::Skin:
                SkinClickRetouchPixels(ViewOf(picture), skin, step.x, step.y);
                break;
            case HistoryStep::Kind::Circle:
                RunCircleEffect(ViewOf(picture), step.effect, step.circle, random);
                break;
            case HistoryStep::Kind::Revert:
                picture = original;
                break;
        }
        frames.End(picture, compact);
        if (steps.End(picture, step)) states.resize(static_cast<std::size_t>(steps.UndoCount()));
        if (static_cast<int>(states.size()) == steps.UndoCount()) states.push_back(picture.copy());
    }

    QImage original;
    QImage picture;
    SkinState skin;
    RandomSequence random;
    UndoHistory frames;
    StepHistory steps;
    std::vector<QImage> states;  // every state of the steps history, as it was made
};

HistoryStep RandomStep(std::mt19937& dice, Runner& runner, int width, int height) {
    switch (dice() % 9) {
        case 0:
        case 1:
        case 2:
            return HistoryStep::OfCommand(static_cast<RetouchCommand>(dice() % 11));
        case 3:
            runner.skin.Dw = static_cast<std::int32_t>(dice() % 2);
            return HistoryStep::OfSkin(runner.skin, 1 + dice() % (width - 2),
                                       1 + dice() % (height - 2));
        case 8:
            return HistoryStep::OfRevert();
        default: {
            Circle circle;
            circle.X1 = static_cast<float>(dice() % width);
            circle.Y1 = static_cast<float>(dice() % height);
            circle.rl = static_cast<float>(dice() % 20);
            return HistoryStep::OfCircle(static_cast<CircleEffect>(dice() % 5), circle,
                                         runner.random);
        }
    }
}

// Paced by steps, the frames move about as they do on a large photo: kept on the way down,
// climbed from the start or a revert towards the cursor, between undos and within them.
constexpr HistoryPace kTightPace{.replay = 3, .undo = 5, .countSteps = true};

TEST(StepHistoryTest, LongRandomRunsGiveTheFrameHistorysPicturesBitForBit) {
    constexpr int kWidth = 40, kHeight = 30;
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        std::mt19937 dice(seed);
        Runner run(GradientPicture(kWidth, kHeight), seed > 3 ? kTightPace : HistoryPace{});
        run.states.push_back(run.picture.copy());
        for (int op = 0; op < 400; ++op) {
            const unsigned roll = dice() % 10;
            if (roll < 6) {
                const HistoryStep step = RandomStep(dice, run, kWidth, kHeight);
                run.Step(step, step.kind == HistoryStep::Kind::Circle);
            } else if (roll == 9 && seed > 3 && dice() % 2) {
                run.steps.Prepare(run.original, 1);  // the idle time between two undos
            } else {
                const bool undo = roll < 9;
                // The frame history undoes only its last steps; where it can, it must agree.
                const bool compare = undo ? run.frames.CanUndo() : run.frames.CanRedo();
                QImage reference = run.picture.copy();
                if (compare)
                    reference = undo ? run.frames.Undo(reference) : run.frames.Redo(reference);
                else
                    run.frames.Clear();
                run.picture = undo ? run.steps.Undo(run.picture, run.original)
                                   : run.steps.Redo(run.picture, run.original);
                if (compare) {
                    ASSERT_EQ(FirstDifference(reference, run.picture), "")
                        << "seed " << seed << " op " << op;
                }
            }
            ASSERT_EQ(
                FirstDifference(run.states.at(static_cast<std::size_t>(run.steps.UndoCount())),
                                run.picture),
                "")
                << "seed " << seed << " op " << op;
            ASSERT_LE(run.steps.Bytes(), run.steps.Budget(run.picture));
        }
        // All the way back and forth again.
        while (run.steps.CanUndo()) run.picture = run.steps.Undo(run.picture, run.original);
        ASSERT_EQ(FirstDifference(run.states.front(), run.picture), "") << "seed " << seed;
        while (run.steps.CanRedo()) {
            run.picture = run.steps.Redo(run.picture, run.original);
            ASSERT_EQ(
                FirstDifference(run.states.at(static_cast<std::size_t>(run.steps.UndoCount())),
                                run.picture),
                "")
                << "seed " << seed << " at " << run.steps.UndoCount();
        }
        // Restored from its steps alone (as from a journal), the history undoes the same way.
        const std::span<const HistoryStep> done = run.steps.Done();
        StepHistory restored;
        QImage again = restored.Restore(run.original, {done.begin(), done.end()}, run.original);
        ASSERT_EQ(FirstDifference(run.picture, again), "") << "seed " << seed;
        while (restored.CanUndo()) {
            again = restored.Undo(again, run.original);
            ASSERT_EQ(FirstDifference(run.states.at(static_cast<std::size_t>(restored.UndoCount())),
                                      again),
                      "")
                << "seed " << seed << " restored at " << restored.UndoCount();
        }
    }
}

TEST(StepHistoryTest, TwoHundredStepsKeepTheBudgetAndTheLastTenUndoCheaply) {
    // Sharpen has no table to chain, so each step replayed is a pass of its own.
    Runner run(GradientPicture(64, 48));
    for (int i = 0; i < 200; ++i) run.Step(HistoryStep::OfCommand(RetouchCommand::Sharpen), false);
    EXPECT_EQ(run.steps.UndoCount(), 200);
    EXPECT_LE(run.steps.Bytes(), 2 * run.picture.sizeInBytes());
    for (int i = 0; i < 10; ++i) {
        run.picture = run.steps.Undo(run.picture, run.original);
        EXPECT_LE(run.steps.LastReplayed(), static_cast<int>(StepHistory::kSpacing) - 1) << i;
        EXPECT_LE(run.steps.Bytes(), 2 * run.picture.sizeInBytes());
    }
    EXPECT_EQ(FirstDifference(run.states.at(190), run.picture), "");
    // A cap below one frame keeps no history at all, as before.
    StepHistory capped(100);
    capped.Begin(run.picture);
    RunRetouchPass(ViewOf(run.picture), RetouchCommand::Darken);
    EXPECT_FALSE(capped.End(run.picture, HistoryStep::OfCommand(RetouchCommand::Darken)));
}

TEST(StepHistoryTest, AStepThatChangesNothingIsNoStep) {
    Runner run(GradientPicture(32, 32));
    Circle away;
    away.X1 = -500;
    away.Y1 = -500;
    away.rl = 3;
    const std::uint64_t drawsBefore = run.random.Position();
    run.Step(HistoryStep::OfCircle(CircleEffect::Red, away, run.random), true);
    EXPECT_EQ(run.steps.UndoCount(), 0);
    EXPECT_GT(run.random.Position(), drawsBefore);  // the draws are taken all the same
    // The sequence stands where a later red step recorded it.
    const RandomSequence later = RandomSequence::At(run.random.Position());
    RandomSequence copy = run.random;
    RandomSequence replayed = later;
    EXPECT_EQ(copy.Next(), replayed.Next());
}

}  // namespace
}  // namespace sorvenal
