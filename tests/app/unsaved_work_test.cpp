// Unsaved work: the question before it is thrown away, and the deep history through the
// window's own commands in both states.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <functional>
#include <random>

#include "app/form1_text.h"
#include "app/main_window.h"
#include "app/undo_history_steps.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

class UnsavedWorkTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Write(QStringLiteral("a.bmp"), GradientPicture(61, 47));
        Browse({.screenSize = test::FixedScreen(1280, 1024)});
        form->SetQuitHook([this] { ++quits; });
        Retouch(0);
    }
    void TearDown() override { form.reset(); }
    QImage Shown() const { return Picture2(*form)->Image(); }
    bool Browsing() const { return File1(*form)->isVisibleTo(form.get()); }
    void Trigger(const char* name) const { test::Trigger(*form, name); }

    int quits = 0;
};

struct EndingWay {
    const char* name;
    std::function<void(Form1&)> act;
    bool effects;  // given in the effects state
    bool ends;     // ends the program; otherwise goes back to browsing
};

const EndingWay kWays[] = {
    {"Esc", [](Form1& f) { QTest::keyClick(Picture2(f), Qt::Key_Escape); }, false, true},
    {"Esc in effects", [](Form1& f) { QTest::keyClick(Picture2(f), Qt::Key_Escape); }, true, true},
    {"close", [](Form1& f) { f.close(); }, false, true},
    {"mnuEnd", [](Form1& f) { test::Trigger(f, "mnuEnd"); }, false, true},
    {"mnuEnd2", [](Form1& f) { test::Trigger(f, "mnuEnd2"); }, true, true},
    {"mnuOpen2", [](Form1& f) { test::Trigger(f, "mnuOpen2"); }, false, false},
    {"mnuOpen4", [](Form1& f) { test::Trigger(f, "mnuOpen4"); }, true, false},
};

TEST_F(UnsavedWorkTest, TheQuestionComesExactlyWithUnsavedWorkAndNoKeepsEverything) {
    enum class Work { None, Unsaved, Saved, UndoneToLoaded };
    for (const EndingWay& way : kWays) {
        for (Work work : {Work::None, Work::Unsaved, Work::Saved, Work::UndoneToLoaded}) {
            for (bool answer : {false, true}) {
                const std::string what = std::string(way.name) + " work " +
                                         std::to_string(static_cast<int>(work)) + " answer " +
                                         std::to_string(answer);
                Retouch(0);
                quits = 0;
                dialogs.questions.clear();
                if (work != Work::None) Trigger("mnulight");
                if (work == Work::Saved) {
                    dialogs.saveAnswers.push_back(folder + QStringLiteral("/saved") +
                                                  QString::number(answer) + way.name);
                    Trigger("mnuSaveImage");
                }
                if (work == Work::UndoneToLoaded) Trigger("mnuUndo");
                if (way.effects) Trigger("mnuChange");
                const QImage before = Shown();
                const QImage snapshot = Picture3(*form)->Picture();
                dialogs.yesNoAnswers = {answer};
                way.act(*form);
                const bool asked = work == Work::Unsaved;
                ASSERT_EQ(dialogs.questions.size(), asked ? 1 : 0) << what;
                if (asked) {
                    EXPECT_EQ(dialogs.questions.front(), kDiscardQuestion) << what;
                }
                const bool goesOn = !asked || answer;
                EXPECT_EQ(quits, goesOn && way.ends ? 1 : 0) << what;
                EXPECT_EQ(Browsing(), goesOn && !way.ends) << what;
                if (!goesOn) {
                    EXPECT_TRUE(form->isVisible()) << what;
                    EXPECT_EQ(FirstDifference(before, Shown()), "") << what;
                    EXPECT_EQ(test::History(*form).UndoCount(), 1) << what;
                    if (way.effects) {
                        EXPECT_EQ(FirstDifference(snapshot, Picture3(*form)->Picture()), "")
                            << what;
                    }
                    // Asked once, the work is still unsaved: asked again.
                    dialogs.yesNoAnswers = {true};
                    way.act(*form);
                    EXPECT_EQ(dialogs.questions.size(), 2) << what;
                }
                form->show();
                if (way.effects && !Browsing()) Trigger("mnuChange2");
                if (!Browsing()) {
                    dialogs.yesNoAnswers = {true};
                    Trigger("mnuOpen2");
                }
                dialogs.yesNoAnswers.clear();
            }
        }
    }
}

TEST_F(UnsavedWorkTest, DeepUndoAndRedoGiveBackEveryPictureInBothStates) {
    std::mt19937 dice(7);
    const char* const commands[] = {"mnuWhite",      "mnuSharp",    "mnuGamma",    "mnubackbright2",
                                    "mnubackbright", "mnuShade",    "mnuShade2",   "mnuDark",
                                    "mnulight",      "mnuContrast", "mnuContrast2"};
    const char* const effects[] = {"mnuCirclelight", "mnuCirclered", "mnuEyeblue", "mnuSpotlight",
                                   "mnuCircle"};
    Trigger("mnuClick");  // skin clicks on
    bool inEffects = false;
    auto state = [&] { return inEffects ? Picture3(*form)->Picture() : Shown(); };
    std::vector<QImage> states{state()};
    for (int i = 0; i < 120; ++i) {
        const int before = test::History(*form).UndoCount();
        const unsigned roll = dice() % 12;
        if (roll == 0) {
            inEffects = !inEffects;
            Trigger(inEffects ? "mnuChange" : "mnuChange2");
            continue;
        }
        if (roll == 1) {
            Trigger(inEffects ? "mnuback2" : "mnuback");
        } else if (inEffects) {
            const int x = static_cast<int>(dice() % 61), y = static_cast<int>(dice() % 47);
            test::DragOnPicture(*form, {x, y}, {x + 3 + static_cast<int>(dice() % 15), y});
            Trigger(effects[dice() % 5]);
        } else if (roll < 4) {
            QTest::mouseClick(
                Picture2(*form), Qt::LeftButton, {},
                {1 + static_cast<int>(dice() % 59), 1 + static_cast<int>(dice() % 45)});
        } else {
            Trigger(commands[dice() % 11]);
        }
        if (test::History(*form).UndoCount() > before) states.push_back(state());
    }
    ASSERT_GT(states.size(), 80u);
    ASSERT_EQ(static_cast<std::size_t>(test::History(*form).UndoCount()), states.size() - 1);
    const char* undo = inEffects ? "mnuUndo2" : "mnuUndo";
    const char* redo = inEffects ? "mnuRedo2" : "mnuRedo";
    for (std::size_t at = states.size() - 1; at > 0; --at) {
        Trigger(undo);
        ASSERT_EQ(FirstDifference(states[at - 1], state()), "") << at - 1;
        if (inEffects) {
            ASSERT_EQ(FirstDifference(states[at - 1], Shown()), "") << at - 1;
        }
    }
    for (std::size_t at = 1; at < states.size(); ++at) {
        Trigger(redo);
        ASSERT_EQ(FirstDifference(states[at], state()), "") << at;
    }
}

}  // namespace
}  // namespace sorvenal
