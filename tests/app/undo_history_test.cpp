// The undo history on its own: whole and compact steps, the budget.
#include "app/undo_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;

// A step as the window runs one: hold the picture, write it, hand the result back.
QImage Step(UndoHistory& history, QImage picture, int rows, bool compact, std::uint32_t value) {
    history.Begin(picture);
    for (int y = 0; y < rows; ++y)
        std::fill_n(reinterpret_cast<std::uint32_t*>(picture.scanLine(y)), picture.width(), value);
    history.End(picture, compact);
    return picture;
}

TEST(UndoHistoryTest, UndoAndRedoSwapWholeAndCompactStepsExactly) {
    UndoHistory history;
    const QImage original = GradientPicture(64, 48);
    QImage a = Step(history, original, 48, false, 0xFF112233u);  // a whole-picture step
    QImage b = Step(history, a, 3, true, 0xFF445566u);           // three rows
    EXPECT_EQ(history.UndoCount(), 2);
    EXPECT_EQ(history.Bytes(), original.sizeInBytes() + qsizetype{3} * 64 * 4);

    QImage shown = history.Undo(b);
    EXPECT_EQ(FirstDifference(shown, a), "");
    shown = history.Undo(shown);
    EXPECT_EQ(FirstDifference(shown, original), "");
    EXPECT_FALSE(history.CanUndo());
    shown = history.Redo(shown);
    EXPECT_EQ(FirstDifference(shown, a), "");
    shown = history.Redo(shown);
    EXPECT_EQ(FirstDifference(shown, b), "");
    EXPECT_FALSE(history.CanRedo());

    // A new step after an undo drops the redo steps.
    shown = history.Undo(shown);
    const QImage c = Step(history, shown, 1, true, 0xFF000000u);
    EXPECT_EQ(history.RedoCount(), 0);
    EXPECT_EQ(history.UndoCount(), 2);
    EXPECT_EQ(FirstDifference(history.Undo(c), a), "");

    // An untouched picture makes no step.
    UndoHistory rows;
    const QImage d = Step(rows, original, 1, true, 0xFF000000u);
    rows.Begin(d);
    rows.End(d, true);
    EXPECT_EQ(rows.UndoCount(), 1);
    EXPECT_EQ(FirstDifference(rows.Undo(d), original), "");
}

TEST(UndoHistoryTest, TheBudgetKeepsTwoFramesAndDropsTheOldestSteps) {
    UndoHistory history;
    QImage picture = GradientPicture(32, 32);
    std::vector<QImage> states{picture};
    for (std::uint32_t i = 0; i < 5; ++i) {
        picture = Step(history, picture, 32, false, 0xFF000000u + i);
        states.push_back(picture);
        EXPECT_LE(history.Bytes(), 2 * picture.sizeInBytes());
    }
    ASSERT_EQ(history.UndoCount(), 2);
    picture = history.Undo(history.Undo(picture));
    EXPECT_EQ(FirstDifference(picture, states.at(3)), "");

    // Small steps fit many to the budget.
    UndoHistory rows;
    QImage small = GradientPicture(32, 32);
    for (std::uint32_t i = 0; i < 20; ++i) small = Step(rows, small, 1, true, 0xFF000000u + i);
    EXPECT_EQ(rows.UndoCount(), 20);

    // A picture larger than the cap is never recorded.
    UndoHistory capped(100);
    Step(capped, GradientPicture(32, 32), 32, false, 0xFF000000u);
    EXPECT_FALSE(capped.CanUndo());
}

}  // namespace
}  // namespace sorvenal
