// Undo and redo: the history on its own (budget, compact steps) and through the window's
// commands, bit for bit.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "app/undo_history.h"
#include "engine/retouch_commands.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

CanvasView ViewOf(QImage& image) {
    return {reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / 4};
}

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

class Form1UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        test::WritePicture(dir.path(), QStringLiteral("a.bmp"), GradientPicture(61, 47));
        test::WritePicture(dir.path(), QStringLiteral("b.bmp"), GradientPicture(30, 20));
        form = std::make_unique<Form1>(&dialogs, nullptr, dir.path(),
                                       Form1Options{.screenSize = test::FixedScreen(1280, 1024)});
        form->SetQuitHook([] {});
        form->show();
        form->Action("mnuOpen")->trigger();
        File1(*form)->SetListIndex(0);
        form->Action("mnuReal")->trigger();
        original = Picture1(*form)->Picture();
    }
    void TearDown() override { form.reset(); }
    QImage Shown() const { return Picture2(*form)->Image(); }
    bool Enabled(const char* name) const { return form->Action(name)->isEnabled(); }
    void Circle(int x, int y, int r) {
        QTest::mousePress(Picture2(*form), Qt::LeftButton, {}, {x, y});
        QMouseEvent move(QEvent::MouseMove, QPointF(x + r, y),
                         Picture2(*form)->mapToGlobal(QPointF(x + r, y)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Picture2(*form), &move);
        QTest::mouseRelease(Picture2(*form), Qt::LeftButton, {}, {x + r, y});
    }

    QTemporaryDir dir;
    ScriptedDialogService dialogs;
    std::unique_ptr<Form1> form;
    QImage original;
};

TEST_F(Form1UndoTest, EachKindOfStepIsUndoneAndRedoneBitForBit) {
    EXPECT_FALSE(Enabled("mnuUndo"));
    form->Action("mnuClick")->trigger();
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"command", [this] { form->Action("mnulight")->trigger(); }},
        {"two passes", [this] { form->Action("mnuShade")->trigger(); }},
        {"skin click",
         [this] {
             QTest::mouseClick(Picture2(*form), Qt::LeftButton, {}, {30, 20});
         }},
        {"revert", [this] { form->Action("mnuback")->trigger(); }},
    };
    for (const auto& [kind, step] : steps) {
        const QImage before = Shown();
        step();
        const QImage after = Shown();
        ASSERT_NE(FirstDifference(after, before), "") << kind;
        EXPECT_TRUE(Enabled("mnuUndo")) << kind;
        EXPECT_FALSE(Enabled("mnuRedo")) << kind;
        form->Action("mnuUndo")->trigger();
        EXPECT_EQ(FirstDifference(Shown(), before), "") << kind;
        EXPECT_TRUE(Enabled("mnuRedo")) << kind;
        form->Action("mnuRedo")->trigger();
        EXPECT_EQ(FirstDifference(Shown(), after), "") << kind;
        EXPECT_FALSE(Enabled("mnuRedo")) << kind;
        if (qstrcmp(kind, "two passes") == 0) {
            // The saturation command and its darken pass are one step.
            QImage expected = before;
            RunRetouchCommand(ViewOf(expected), RetouchCommand::Saturate);
            EXPECT_EQ(FirstDifference(after, expected), "");
            form->Action("mnuUndo")->trigger();
            EXPECT_EQ(FirstDifference(Shown(), before), "");
            form->Action("mnuRedo")->trigger();
        }
    }
    // Whole-picture steps: the budget of two frames keeps the last two.
    EXPECT_EQ(form->History().UndoCount(), 2);
}

TEST_F(Form1UndoTest, EffectsUndoRestoresTheSnapshotAndLaterEffectsAccumulateOnIt) {
    form->Action("mnulight")->trigger();
    const QImage lightened = Shown();
    form->Action("mnuChange")->trigger();
    EXPECT_TRUE(Enabled("mnuUndo2"));
    EXPECT_FALSE(Enabled("mnuUndo"));

    Circle(30, 20, 10);
    form->Action("mnuCirclelight")->trigger();
    const QImage once = Shown();
    // The undo leaves the snapshot as before the effect, without any outline.
    Circle(30, 20, 10);
    form->Action("mnuUndo2")->trigger();
    EXPECT_EQ(FirstDifference(Picture3(*form)->Picture(), lightened), "");
    EXPECT_EQ(FirstDifference(Shown(), lightened), "");
    // The same effect again gives the same picture: it works on the restored snapshot.
    form->Action("mnuCirclelight")->trigger();
    EXPECT_EQ(FirstDifference(Shown(), once), "");
    form->Action("mnuCirclelight")->trigger();  // accumulates
    const QImage twice = Shown();
    EXPECT_NE(FirstDifference(twice, once), "");

    // Back in the retouch menu the steps are still there.
    form->Action("mnuChange2")->trigger();
    EXPECT_TRUE(Enabled("mnuUndo"));
    EXPECT_FALSE(Enabled("mnuUndo2"));
    form->Action("mnuUndo")->trigger();
    EXPECT_EQ(FirstDifference(Shown(), once), "");
    form->Action("mnuChange")->trigger();
    EXPECT_EQ(FirstDifference(Picture3(*form)->Picture(), once), "");
    form->Action("mnuRedo2")->trigger();
    EXPECT_EQ(FirstDifference(Picture3(*form)->Picture(), twice), "");
    EXPECT_EQ(FirstDifference(Shown(), twice), "");
}

TEST_F(Form1UndoTest, CtrlZUndoesWithoutOpeningTheViewAndANewSelectionEndsTheHistory) {
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Action("mnuDark")->trigger();
    int views = 0;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++views;
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    watcher.start(5);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FirstDifference(Shown(), original), "");
    QTest::keyClick(Picture2(*form), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(form->History().UndoCount(), 1);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form->History().UndoCount(), 1);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);  // nothing left: no view
    QCoreApplication::processEvents();
    EXPECT_EQ(views, 0);

    form->Action("mnuDark")->trigger();
    form->Action("mnuOpen2")->trigger();
    File1(*form)->SetListIndex(1);
    form->Action("mnuReal")->trigger();
    EXPECT_FALSE(form->History().CanUndo());
    EXPECT_FALSE(Enabled("mnuUndo"));
}

}  // namespace
}  // namespace sorvenal
