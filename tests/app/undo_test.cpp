// Undo and redo through the window's commands and keys, bit for bit.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/main_window.h"
#include "app/undo_history.h"
#include "engine/retouch_commands.h"
#include "platform/canvas_image.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/modal_views.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

class Form1UndoTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Write(QStringLiteral("a.bmp"), GradientPicture(61, 47));
        Write(QStringLiteral("b.bmp"), GradientPicture(30, 20));
        Browse({.screenSize = test::FixedScreen(1280, 1024)});
        Retouch(0);
        original = Picture1(*form)->Picture();
    }
    void TearDown() override { form.reset(); }
    QImage Shown() const { return Picture2(*form)->Image(); }
    bool Enabled(const char* name) const { return form->Action(name)->isEnabled(); }
    void Circle(int x, int y, int r) const { test::DragOnPicture(*form, {x, y}, {x + r, y}); }

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
    // Whole-picture steps: the history keeps them all, as steps, not frames.
    EXPECT_EQ(test::History(*form).UndoCount(), 4);
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
    const test::ModalViews views;
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FirstDifference(Shown(), original), "");
    QTest::keyClick(Picture2(*form), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(test::History(*form).UndoCount(), 1);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(test::History(*form).UndoCount(), 1);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(Picture2(*form), Qt::Key_Z, Qt::ControlModifier);  // nothing left: no view
    QCoreApplication::processEvents();
    EXPECT_EQ(views.Opened(), 0);

    form->Action("mnuDark")->trigger();
    form->Action("mnuOpen2")->trigger();
    File1(*form)->SetListIndex(1);
    form->Action("mnuReal")->trigger();
    EXPECT_FALSE(test::History(*form).CanUndo());
    EXPECT_FALSE(Enabled("mnuUndo"));
}

}  // namespace
}  // namespace sorvenal
