// The circle effects and the save command through the main window: menus, circle marking by
// mouse, revert in the effects state, and a save into the folder on display.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "effects/circle_effects.h"
#include "platform/busy_indicator.h"
#include "platform/canvas_image.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;

QImage WithEffect(QImage picture, CircleEffect effect, const Circle& circle) {
    picture = picture.convertToFormat(QImage::Format_RGB32);
    RandomSequence random;
    RunCircleEffect(ViewOf(picture), effect, circle, random);
    return picture;
}

class Form1EffectsTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        original = test::GradientPicture(90, 70);
        Write(QStringLiteral("photo.bmp"), original);
        Browse({}, test::Visibility::Hidden);
        ASSERT_EQ(File1(*form)->ListCount(), 1);
        ASSERT_TRUE(Select(0));
        ASSERT_EQ(FirstDifference(original, Picture1(*form)->Picture()), QString());
        test::Trigger(*form, "mnuReal");
    }

    void Trigger(const char* name) const { test::Trigger(*form, name); }
    // Press, drag and release on the picture as the user does.
    void MarkCircle(int x, int y, int toX, int toY) const {
        test::DragOnPicture(*form, {x, y}, {toX, toY});
    }

    QImage original;
};

TEST_F(Form1EffectsTest, SpotlightOnAMarkedCircleAndRevert) {
    Trigger("mnuChange");
    Trigger("mnuSpotlight");  // no circle yet
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("円を設定してください")});
    EXPECT_EQ(FirstDifference(original, Picture2(*form)->Image()), QString());

    MarkCircle(80, 10, 83, 14);  // rl = 5, the square crosses the right edge
    ASSERT_EQ(form->MarkedCircle().rl, 5.0f);
    ASSERT_NE(FirstDifference(original, Picture2(*form)->Image()), QString()) << "no outline";
    Trigger("mnuClick");  // circle commands leave the default pointer even so
    ASSERT_EQ(form->cursor().shape(), Qt::UpArrowCursor);
    Trigger("mnuSpotlight");
    const QImage once = WithEffect(original, CircleEffect::Spotlight, form->MarkedCircle());
    EXPECT_EQ(FirstDifference(once, Picture2(*form)->Image()), QString());
    EXPECT_EQ(FirstDifference(once, Picture3(*form)->Picture()), QString());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("------終了-------"));
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(Animation1(*form)->isVisible());
    EXPECT_EQ(form->MarkedCircle().rl, 5.0f);
    EXPECT_EQ(dialogs.messages.size(), 1);

    // Revert in the effects state: both the canvas and the snapshot go back to the file's picture,
    // so the next effect starts from it.
    Trigger("mnuback2");
    EXPECT_EQ(FirstDifference(original, Picture2(*form)->Image()), QString());
    EXPECT_EQ(FirstDifference(original, Picture3(*form)->Picture()), QString());
    MarkCircle(40, 30, 40, 50);  // rl = 20
    Trigger("mnuCircle");
    EXPECT_EQ(FirstDifference(WithEffect(original, CircleEffect::Picture, form->MarkedCircle()),
                              Picture2(*form)->Image()),
              QString());
    EXPECT_EQ(FirstDifference(original, Picture1(*form)->Picture()), QString());
}

TEST_F(Form1EffectsTest, EveryEffectEntryRunsItsOwnEffect) {
    const std::pair<const char*, CircleEffect> entries[] = {
        {"mnuCirclelight", CircleEffect::Light},   {"mnuEyeblue", CircleEffect::EyeBlue},
        {"mnuSpotlight", CircleEffect::Spotlight}, {"mnuCircle", CircleEffect::Picture},
        {"mnuCirclered", CircleEffect::Red},  // last: its draws start the program's sequence
    };
    Trigger("mnuChange");
    for (const auto& [name, effect] : entries) {
        SCOPED_TRACE(name);
        Trigger("mnuback2");
        MarkCircle(45, 35, 45, 57);
        Trigger(name);
        EXPECT_EQ(FirstDifference(WithEffect(original, effect, form->MarkedCircle()),
                                  Picture2(*form)->Image()),
                  QString());
    }
}

TEST_F(Form1EffectsTest, SavingIntoTheShownFolderKeepsTheDisplay) {
    Trigger("mnuWhite");
    const QImage retouched = Picture2(*form)->Image().copy();
    const QString sizeCaption = Label5(*form)->text();
    const QString title = form->windowTitle();
    ASSERT_FALSE(sizeCaption.isEmpty());

    dialogs.saveAnswers.push_back(folder + QStringLiteral("/saved"));
    Trigger("mnuSaveImage");
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests.front().fileName, QStringLiteral("photo"));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();

    QStringList listed;
    for (int i = 0; i < File1(*form)->ListCount(); ++i) listed << File1(*form)->List(i);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("photo.bmp"), QStringLiteral("saved.BMP")}));
    EXPECT_EQ(Dir1(*form)->Path(), folder);
    EXPECT_TRUE(form->FolderChangeClears());
    EXPECT_EQ(FirstDifference(retouched, Picture2(*form)->Image()), QString());
    EXPECT_TRUE(Picture1(*form)->HasPicture());
    EXPECT_TRUE(Image1(*form)->HasPicture());
    EXPECT_EQ(Label5(*form)->text(), sizeCaption);
    EXPECT_EQ(form->windowTitle(), title);
    EXPECT_EQ(FirstDifference(retouched, QImage(folder + QStringLiteral("/saved.BMP"))), QString());

    // The same name again is refused; the effects menu's entry runs the same command.
    Trigger("mnuChange");
    dialogs.saveAnswers.push_back(folder + QStringLiteral("/saved"));
    Trigger("mnuSaveImage2");
    EXPECT_EQ(dialogs.messages,
              QStringList{folder + QStringLiteral("/saved.BMP　は既に存在します")});
    EXPECT_FALSE(form->FolderChangeClears());
}

}  // namespace
}  // namespace sorvenal
