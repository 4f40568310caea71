// The main window driven by its controls and menu entries, on real files in temporary folders.
#include "app/main_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/form_surface.h"
#include "app/preview_image.h"
#include "app/start_folder.h"
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"
#include "platform/busy_indicator.h"
#include "platform/canvas_image.h"
#include "platform/error_texts.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/retouch_steps.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;
using test::WriteGarbage;
using test::WritePicture;

class MainWindowTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { form.reset(); }

    Form1& Open() {
        Form1& f = Form1Session::Open({.screenSize = test::FixedScreen(1920, 1080)});
        f.SetQuitHook([this] { ++quits; });
        return f;
    }
    // Browse state with the named file selected.
    Form1& Select(const QString& name) {
        Form1& f = form ? *form : Open();
        if (f.Action("mnuOpen")->isVisible()) f.Action("mnuOpen")->trigger();
        File1(f)->Reread();
        for (int i = 0; i < File1(f)->ListCount(); ++i)
            if (File1(f)->List(i) == name) File1(f)->SetListIndex(i);
        test::WaitPreview(f);
        return f;
    }
    Form1& Retouch(const QString& name) {
        Form1& f = Select(name);
        f.Action("mnuReal")->trigger();
        return f;
    }
    bool Shown(const char* name) const { return form->Action(name)->isVisible(); }

    int quits = 0;
};

TEST_F(MainWindowTest, StartScreen) {
    WritePicture(folder, "a.bmp", GradientPicture(8, 8));
    WritePicture(folder, "notes.txt", GradientPicture(2, 2));
    Form1& f = Open();
    EXPECT_EQ(f.windowTitle(), "sorvenal");
    EXPECT_EQ(Dir1(f)->Path(), folder);
    EXPECT_EQ(File1(f)->ListCount(), 1);  // listed already, though hidden
    EXPECT_FALSE(File1(f)->isVisible());
    EXPECT_TRUE(Image2(f)->isVisible());
    EXPECT_FALSE(Image3(f)->isVisible());
    EXPECT_FALSE(Image4(f)->isVisible());
    EXPECT_EQ(Label3(f)->text(), "&");
    EXPECT_TRUE(f.FolderChangeClears());
    EXPECT_FALSE(f.ShowRunning());
    EXPECT_FALSE(f.CircleModeOn());
    EXPECT_EQ(f.Skin().Dw, 0);
    EXPECT_EQ(f.frameGeometry().width(), TwipsToPixels(6700));
    EXPECT_EQ(f.Surface()->BackColor(), QColor(128, 128, 255));
    EXPECT_EQ(f.Surface()->Layer().pixelColor(2, 2), QColor(0, 0, 255));  // the 10-wide outline
    EXPECT_EQ(f.Surface()->Layer().pixelColor(100, 100).alpha(), 0);
    EXPECT_EQ(Picture2(f)->BackColor(), QColor(80, 90, 100));

    for (const char* shown : {"mnuOpen", "mnuHelp"}) EXPECT_TRUE(Shown(shown)) << shown;
    for (const char* hidden : {"mnuOpen3", "mnuReal", "mnuRetouch", "mnuKijun", "mnuSpecial",
                               "mnuFullscreen", "mnuFile"})
        EXPECT_FALSE(Shown(hidden)) << hidden;
    EXPECT_FALSE(f.Action("mnuWh")->isEnabled());
    EXPECT_TRUE(f.Action("mnuDefault")->isEnabled());
    EXPECT_EQ(f.Action("mnuEnd")->text(), " 終了");
    EXPECT_EQ(f.Action("mnuClick")->text(), "肌上でクリックして最適化　Ｏｎ　にする");
    for (int i = 1; i <= 14; ++i) {
        const QByteArray name = "mnuSept" + QByteArray::number(i);
        QAction* sep = f.Action(name.constData());
        ASSERT_NE(sep, nullptr) << name.constData();
        EXPECT_TRUE(sep->isSeparator());
        EXPECT_TRUE(sep->text().isEmpty());  // a style may draw a separator's text
        EXPECT_EQ(f.findChild<QAction*>(QString::fromLatin1(name)), sep);
    }
}

TEST_F(MainWindowTest, HoverAlternatesThePictures) {
    Form1& f = Open();
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 200), QPointF(300, 200), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(f.Surface(), &move);
    EXPECT_TRUE(Image3(f)->isVisible());
    EXPECT_FALSE(Image2(f)->isVisible());
    QApplication::sendEvent(Image3(f), &move);
    EXPECT_TRUE(Image2(f)->isVisible());
    QApplication::sendEvent(Image2(f), &move);
    EXPECT_TRUE(Image4(f)->isVisible());
    QApplication::sendEvent(Label3(f), &move);
    EXPECT_EQ(Label3(f)->text(), "And");
    QApplication::sendEvent(f.Surface(), &move);
    EXPECT_EQ(Label3(f)->text(), "&");
    EXPECT_FALSE(Image4(f)->isVisible());
}

TEST_F(MainWindowTest, UnreadableStartFolderFallsBack) {
    folder = dir.filePath("missing");
    Form1& f = Open();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(folder));
    EXPECT_NE(Dir1(f)->Path(), folder);
    EXPECT_FALSE(Dir1(f)->Path().isEmpty());
}

// A file manager passes names as the file system has them: a Shift_JIS folder and picture
// open and are selected, as the lists handle them.
TEST_F(MainWindowTest, AStartArgumentThatIsNotUtf8OpensItsFolderAndPicture) {
    const NativePath sjis = "\x8e\xca\x90\x5e";  // 写真
    const NativePath sub = JoinNative(NativeOf(folder), sjis);
    ASSERT_EQ(::mkdir(sub.constData(), 0755), 0);
    const NativePath picture = JoinNative(sub, sjis + ".bmp");
    ASSERT_EQ(
        ::rename(NativeOf(Write("a.bmp", GradientPicture(8, 8))).constData(), picture.constData()),
        0);
    for (const NativePath& argument : {sub, picture}) {
        SCOPED_TRACE(ShownPath(argument).toStdString());
        const StartArgument start = ParseStartArgument(argument);
        EXPECT_EQ(start.folder, sub);
        EXPECT_EQ(start.pictureName, argument == picture ? sjis + ".bmp" : NativePath());
        dialogs.messages.clear();
        form = std::make_unique<Form1>(&dialogs, nullptr, start.folder);
        form->SetQuitHook([] {});
        EXPECT_EQ(dialogs.messages, QStringList());
        EXPECT_EQ(Dir1(*form)->NativeFolder(), sub);
        form->Action("mnuOpen")->trigger();
        if (!start.pictureName.isEmpty()) {
            EXPECT_TRUE(form->SelectPicture(start.pictureName));
            EXPECT_EQ(File1(*form)->NativeFileName(), start.pictureName);
        }
    }
}

TEST_F(MainWindowTest, OpenCommandShowsTheBrowser) {
    Form1& f = Open();
    f.Action("mnuOpen")->trigger();
    for (QWidget* w : std::initializer_list<QWidget*>{Dir1(f), File1(f), Check1(f), Frame3(f),
                                                      Label5(f), Label6(f)})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{Label1(f), Label2(f), Label3(f), Label4(f),
                                                      Picture2(f), Image1(f)})
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(Shown("mnuOpen"));
    EXPECT_TRUE(Shown("mnuReal"));
    EXPECT_TRUE(Shown("mnuHelp"));
    EXPECT_FALSE(Shown("mnuFile"));  // until a file is selected
    EXPECT_EQ(f.frameGeometry().width(), TwipsToPixels(7650));
    EXPECT_EQ(f.Surface()->BackColor(), QColor(192, 192, 192));
    EXPECT_EQ(f.Surface()->Layer().pixelColor(100, 100), QColor(0, 0, 255));  // backdrop
    EXPECT_EQ(f.Surface()->Layer().pixelColor(178, 178), QColor(0, 0, 255));
    // The start screen's frame went with the old back colour.
    EXPECT_EQ(f.Surface()->Layer().pixelColor(300, 195).alpha(), 0);
    EXPECT_EQ(Check1(f)->text(), "全画面表示はスクリーンに合わせ縮小");
    EXPECT_EQ(Label8(f)->text(), " Start ");
    EXPECT_EQ(Label8(f)->parentWidget(), Frame3(f));
    EXPECT_EQ(Label8(f)->geometry(), TwipsRect(5160, 360, 870, 300));
    EXPECT_TRUE(Option1(f)->isChecked());
    EXPECT_EQ(
        File1(f)->Pattern(),
        "*.bmp;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.png;*.webp;*.heic;*.heif;*.hif;*.avif;*.jxl");
}

TEST_F(MainWindowTest, SelectionLoadsPreviewOriginalAndWorkingPicture) {
    const QImage wide = GradientPicture(640, 480);
    WritePicture(folder, "wide.bmp", wide);
    WritePicture(folder, "tall.jpg", GradientPicture(300, 500));
    WritePicture(folder, "square.gif", GradientPicture(64, 64));
    WritePicture(folder, "line.bmp", GradientPicture(400, 1));

    Form1& f = Select("wide.bmp");
    EXPECT_EQ(Label5(f)->text(), "    W X H = 640 X 480");
    EXPECT_EQ(Image1(f)->geometry(), QRect(16, 30, 160, 120));
    EXPECT_TRUE(Image1(f)->isVisible());
    EXPECT_TRUE(Shown("mnuFile"));
    EXPECT_EQ(FirstDifference(wide, Picture1(f)->Picture()), "");
    EXPECT_EQ(FirstDifference(wide, Picture2(f)->Image()), "");
    // one decode shared by the three holders
    EXPECT_EQ(Picture2(f)->Picture().constBits(), Picture1(f)->Picture().constBits());
    EXPECT_EQ(Image1(f)->Picture().constBits(), Picture1(f)->Picture().constBits());

    Select("tall.jpg");
    EXPECT_EQ(Label5(f)->text(), "    W X H = 300 X 500");
    EXPECT_EQ(Image1(f)->geometry(), QRect(96 - 48, 10, 96, 160));

    Select("square.gif");
    EXPECT_EQ(Label5(f)->text(), "    W X H = 64 X 64");
    EXPECT_EQ(Image1(f)->geometry(), QRect(16, 10, 160, 160));

    Select("line.bmp");
    EXPECT_EQ(Image1(f)->geometry(), QRect(16, 90, 160, 0));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, BrokenFileClearsInsteadOfPosingAsTheOldPicture) {
    WritePicture(folder, "good.bmp", GradientPicture(40, 30));
    WriteGarbage(folder, "broken.jpg");
    Form1& f = Select("good.bmp");
    Select("broken.jpg");
    EXPECT_EQ(Label5(f)->text(), "    この画像は開けません");
    // The reason is one pointer-rest away; the next picture takes it down.
    EXPECT_EQ(Label5(f)->toolTip(), PictureErrorText({PictureError::NotAPicture}));
    EXPECT_FALSE(Image1(f)->HasPicture());
    EXPECT_FALSE(Image1(f)->isVisible());
    EXPECT_FALSE(Picture1(f)->HasPicture());
    EXPECT_FALSE(Picture2(f)->HasPicture());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // nothing to retouch: the command leaves the browser as it is
    f.Action("mnuReal")->trigger();
    EXPECT_TRUE(File1(f)->isVisible());
    EXPECT_FALSE(Picture2(f)->isVisible());
}

TEST_F(MainWindowTest, FolderChangeClearsTheDisplay) {
    WritePicture(folder, "a.bmp", GradientPicture(40, 30));
    QDir(folder).mkdir("sub");
    const QString sub = folder + "/sub";
    WritePicture(sub, "a.bmp", GradientPicture(40, 30));
    Form1& f = Select("a.bmp");

    // The change that keeps the display, after a cancelled move, is in form1_fileops_test.
    ASSERT_TRUE(f.FolderChangeClears());
    ASSERT_TRUE(Dir1(f)->SetPath(sub));
    EXPECT_EQ(File1(f)->Path(), sub);
    EXPECT_FALSE(Picture1(f)->HasPicture());
    EXPECT_FALSE(Picture2(f)->HasPicture());
    EXPECT_FALSE(Image1(f)->HasPicture());
    EXPECT_EQ(Label5(f)->text(), "");
    EXPECT_EQ(Picture2(f)->geometry(), QRect(50, 50, 50, 50));

    emit Dir1(f)->PathRefused("/nowhere/x");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], "フォルダーを開けません: /nowhere/x");
    EXPECT_EQ(Dir1(f)->Path(), sub);
}

TEST_F(MainWindowTest, RetouchWindowForSmallWideTallAndHugePictures) {
    WritePicture(folder, "small.bmp", GradientPicture(50, 40));
    WritePicture(folder, "wide.bmp", GradientPicture(1950, 30));
    WritePicture(folder, "tall.bmp", GradientPicture(30, 1100));
    WritePicture(folder, "huge.bmp", GradientPicture(6000, 20));

    Form1& f = Retouch("small.bmp");
    EXPECT_TRUE(Picture2(f)->isVisible());
    EXPECT_EQ(Picture2(f)->pos(), QPoint(0, 0));
    EXPECT_FALSE(File1(f)->isVisible());
    EXPECT_EQ(f.frameGeometry().width(), TwipsToPixels(1680));
    EXPECT_FALSE(HScroll1(f)->isVisible());
    EXPECT_FALSE(VScroll1(f)->isVisible());
    EXPECT_FALSE(Command1(f)->isVisible());
    EXPECT_TRUE(Shown("mnuRetouch"));
    EXPECT_TRUE(Shown("mnuKijun"));
    EXPECT_FALSE(Shown("mnuReal"));
    EXPECT_FALSE(Shown("mnuFile"));
    EXPECT_FALSE(f.Action("mnuClick2")->isEnabled());
    // narrower than 2000 twips: help and full screen go
    EXPECT_FALSE(Shown("mnuHelp"));
    EXPECT_FALSE(Shown("mnuFullscreen"));
    EXPECT_EQ(f.Surface()->Layer().pixelColor(100, 100).alpha(), 0);  // backdrop cleared

    f.Action("mnuOpen2")->trigger();
    EXPECT_TRUE(Shown("mnuHelp"));
    Select("wide.bmp");
    f.Action("mnuReal")->trigger();
    EXPECT_TRUE(HScroll1(f)->isVisible());
    EXPECT_FALSE(VScroll1(f)->isVisible());
    EXPECT_TRUE(Command1(f)->isVisible());
    EXPECT_EQ(HScroll1(f)->maximum(), 1950 * 15 - 28800 + 240);
    EXPECT_EQ(HScroll1(f)->pageStep(), HScroll1(f)->maximum());
    EXPECT_EQ(HScroll1(f)->singleStep(), HScroll1(f)->maximum() / 25);
    EXPECT_TRUE(Shown("mnuFullscreen"));

    f.Action("mnuOpen2")->trigger();
    Select("tall.bmp");
    f.Action("mnuReal")->trigger();
    EXPECT_TRUE(VScroll1(f)->isVisible());
    EXPECT_FALSE(HScroll1(f)->isVisible());
    EXPECT_EQ(VScroll1(f)->maximum(), 1100 * 15 - (16200 - 250) + 990);
    EXPECT_EQ(VScroll1(f)->geometry().right(), f.Surface()->width() - 1);

    // 90000 twips wide: beyond the 16-bit range, yet the whole picture is reachable
    f.Action("mnuOpen2")->trigger();
    Select("huge.bmp");
    f.Action("mnuReal")->trigger();
    ASSERT_TRUE(HScroll1(f)->isVisible());
    EXPECT_LE(HScroll1(f)->maximum(), 32767);
    EXPECT_GT(f.HScrollUnit(), 1);
    HScroll1(f)->setValue(HScroll1(f)->maximum());
    const int hiddenPixels = 6000 - TwipsToPixels(28800 - 120) + 8;
    EXPECT_LE(Picture2(f)->x(), -hiddenPixels);
    EXPECT_GT(Picture2(f)->x(), -hiddenPixels - 2);
}

TEST_F(MainWindowTest, ArrowKeysScrollWithinTheRange) {
    WritePicture(folder, "big.bmp", GradientPicture(2200, 1200));
    Form1& f = Retouch("big.bmp");
    ASSERT_TRUE(HScroll1(f)->isVisible());
    ASSERT_TRUE(VScroll1(f)->isVisible());
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(VScroll1(f)->value(), 150);
    EXPECT_EQ(Picture2(f)->y(), -10);
    QTest::keyClick(&f, Qt::Key_Down);
    EXPECT_EQ(VScroll1(f)->value(), 0);
    QTest::keyClick(&f, Qt::Key_Down);
    EXPECT_EQ(VScroll1(f)->value(), 0);
    VScroll1(f)->setValue(VScroll1(f)->maximum() - 150);
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(VScroll1(f)->value(), VScroll1(f)->maximum());
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(VScroll1(f)->value(), VScroll1(f)->maximum());
    QTest::keyClick(&f, Qt::Key_Left);
    EXPECT_EQ(HScroll1(f)->value(), 150);
    QTest::keyClick(Picture2(f), Qt::Key_Right);  // keys reach the window from the focused control
    EXPECT_EQ(HScroll1(f)->value(), 0);
    EXPECT_EQ(quits, 0);
}

TEST_F(MainWindowTest, EscEndsTheProgramInAnyState) {
    WritePicture(folder, "a.bmp", GradientPicture(40, 30));
    Form1& f = Open();
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_EQ(quits, 1);
    Retouch("a.bmp");
    QTest::keyClick(Picture2(f), Qt::Key_Escape);
    EXPECT_EQ(quits, 2);
    f.Action("mnuEnd")->trigger();
    f.Action("mnuEnd2")->trigger();
    EXPECT_EQ(quits, 4);
}

TEST_F(MainWindowTest, EachRetouchCommandMatchesItsEngineFunction) {
    const QImage original = GradientPicture(61, 47);
    WritePicture(folder, "p.bmp", original);
    Form1& f = Retouch("p.bmp");
    for (bool skinClick : {false, true}) {
        f.Action(skinClick ? "mnuClick" : "mnuClick2")->trigger();
        for (const test::RetouchStepName& s : test::kRetouchSteps) {
            SCOPED_TRACE(s.menu);
            f.Action("mnuback")->trigger();
            f.Action("mnuSaveImage")->setVisible(false);
            QImage expected = Picture1(f)->Picture().copy();
            RunRetouchCommand(ViewOf(expected), s.command);
            f.Action(s.menu)->trigger();
            EXPECT_EQ(FirstDifference(expected, Picture2(f)->Image()), "");
            EXPECT_EQ(f.windowTitle(), "sorvenal");
            EXPECT_EQ(f.Action("mnuSaveImage")->isVisible(), IsPixelCommand(s.command));
            EXPECT_FALSE(Animation1(f)->isVisible());
            EXPECT_EQ(f.cursor().shape(), skinClick ? Qt::UpArrowCursor : Qt::ArrowCursor);
            EXPECT_TRUE(Picture2(f)->updatesEnabled());
            // The whole command, every pass of it, is one step.
            f.Action("mnuUndo")->trigger();
            EXPECT_EQ(FirstDifference(Picture1(f)->Picture(), Picture2(f)->Image()), "");
            f.Action("mnuRedo")->trigger();
            EXPECT_EQ(FirstDifference(expected, Picture2(f)->Image()), "");
        }
    }
    // the original is never written
    EXPECT_EQ(FirstDifference(original, Picture1(f)->Picture()), "");
}

TEST_F(MainWindowTest, RevertReturnsTheOriginalAndResetsScrolling) {
    const QImage original = GradientPicture(2200, 300);
    WritePicture(folder, "p.bmp", original);
    Form1& f = Retouch("p.bmp");
    HScroll1(f)->setValue(500);
    f.Action("mnuGamma")->trigger();
    f.Action("mnuChange")->trigger();
    f.Action("mnuback2")->trigger();
    EXPECT_EQ(FirstDifference(original, Picture2(f)->Image()), "");
    EXPECT_EQ(FirstDifference(original, Picture3(f)->Picture()), "");
    EXPECT_EQ(HScroll1(f)->value(), 0);
    EXPECT_EQ(Picture2(f)->pos(), QPoint(0, 0));
    EXPECT_EQ(f.windowTitle(), "sorvenal");
    EXPECT_TRUE(f.CircleModeOn());  // modes stay
}

TEST_F(MainWindowTest, SkinClickRetouchesOnlyWhileTheModeIsOn) {
    QImage face(40, 30, QImage::Format_RGB32);
    face.fill(QColor(200, 150, 120));
    WritePicture(folder, "face.bmp", face);
    Form1& f = Retouch("face.bmp");

    emit Picture2(f)->MouseDown(kLeftButton, 0, 10, 10);
    EXPECT_EQ(FirstDifference(Picture1(f)->Picture(), Picture2(f)->Image()), "");

    f.Action("mnuDefault")->trigger();
    EXPECT_EQ(f.Skin().Dw, 1);
    EXPECT_TRUE(f.Action("mnuWh")->isEnabled());
    f.Action("mnuClick")->trigger();
    EXPECT_TRUE(f.SkinClickModeOn());
    EXPECT_EQ(Picture2(f)->toolTip(), "　肌上でクリックすると、最適化されます");
    EXPECT_FALSE(f.Action("mnuClick")->isEnabled());

    f.Action("mnuSaveImage")->setVisible(false);
    QImage expected = Picture2(f)->Image().copy();
    SkinState state;
    state.Dw = 1;
    SkinClickRetouchPixels(ViewOf(expected), state, 10, 10);
    emit Picture2(f)->MouseDown(kRightButton, 0, 10, 10);  // any button
    EXPECT_EQ(FirstDifference(expected, Picture2(f)->Image()), "");
    EXPECT_EQ(f.Skin().R0, state.R0);
    EXPECT_EQ(f.Skin().M0, state.M0);
    EXPECT_EQ(f.windowTitle(), "sorvenal");
    EXPECT_EQ(f.cursor().shape(), Qt::UpArrowCursor);
    EXPECT_FALSE(f.Action("mnuSaveImage")->isVisible());  // the skin click leaves it alone

    f.Action("mnuClick2")->trigger();
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(Picture2(f)->toolTip(), "");
}

TEST_F(MainWindowTest, CircleMarkingDragReleaseAndErase) {
    WritePicture(folder, "p.bmp", GradientPicture(60, 50));
    Form1& f = Retouch("p.bmp");
    f.Action("mnuGamma")->trigger();
    f.Action("mnuChange")->trigger();
    EXPECT_TRUE(f.CircleModeOn());
    EXPECT_FALSE(f.SkinClickModeOn());
    EXPECT_TRUE(Shown("mnuSpecial"));
    EXPECT_FALSE(Shown("mnuRetouch"));
    EXPECT_EQ(f.windowTitle(), "円を設定してください");
    EXPECT_EQ(FirstDifference(Picture2(f)->Image(), Picture3(f)->Picture()), "");
    const QImage snapshot = Picture3(f)->Picture();

    emit Picture2(f)->MouseDown(kLeftButton, 0, 10, 10);
    emit Picture2(f)->MouseMove(kLeftButton, 0, 13, 14);
    emit Picture2(f)->MouseUp(kLeftButton, 0, 30, 30);  // the release point is not used
    EXPECT_EQ(f.MarkedCircle().rl, 5.0f);
    EXPECT_EQ(f.MarkedCircle().X1, 10.0f);
    EXPECT_NE(FirstDifference(snapshot, Picture2(f)->Image()), "");
    EXPECT_NE(Picture2(f)->Image().pixel(15, 10), snapshot.pixel(15, 10));

    emit Picture2(f)->MouseDown(kRightButton, 0, 40, 40);
    emit Picture2(f)->MouseUp(kRightButton, 0, 40, 40);
    EXPECT_EQ(FirstDifference(snapshot, Picture2(f)->Image()), "");  // erased
    EXPECT_EQ(f.MarkedCircle().rl, 5.0f);
    EXPECT_EQ(f.MarkedCircle().X1, 10.0f);

    // a press without a move reuses the last drag point
    emit Picture2(f)->MouseDown(kLeftButton, 0, 10, 10);
    emit Picture2(f)->MouseMove(kLeftButton, 0, 12, 12);
    emit Picture2(f)->MouseUp(kLeftButton, 0, 12, 12);
    EXPECT_EQ(f.MarkedCircle().rl, 2.0f);

    f.Action("mnuChange2")->trigger();
    EXPECT_FALSE(f.CircleModeOn());
    emit Picture2(f)->MouseDown(kLeftButton, 0, 30, 30);
    emit Picture2(f)->MouseUp(kLeftButton, 0, 30, 30);
    EXPECT_EQ(f.MarkedCircle().X1, 10.0f);  // both modes off: nothing happens

    f.Action("mnuChange")->trigger();
    EXPECT_EQ(f.MarkedCircle().rl, 0.0f);
    // the last drag point is forgotten too: a press without a move measures from (0, 0)
    emit Picture2(f)->MouseDown(kLeftButton, 0, 30, 40);
    emit Picture2(f)->MouseUp(kLeftButton, 0, 30, 40);
    EXPECT_EQ(f.MarkedCircle().rl, 50.0f);
    dialogs.yesNoAnswers = {true};  // the gamma step is unsaved work: let it go
    f.Action("mnuOpen4")->trigger();
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_FALSE(f.CircleModeOn());
    EXPECT_FALSE(Shown("mnuSpecial"));
    EXPECT_TRUE(File1(f)->isVisible());
    EXPECT_EQ(FirstDifference(Picture1(f)->Picture(), Picture2(f)->Image()), "");
}

TEST_F(MainWindowTest, NarrowWindowRule) {
    Form1& f = Open();
    f.SetOuterSizeTwips(2010, 3000);
    EXPECT_TRUE(Shown("mnuHelp"));
    f.SetOuterSizeTwips(1995, 3000);
    EXPECT_FALSE(Shown("mnuHelp"));
    f.SetOuterSizeTwips(6000, 3000);
    EXPECT_FALSE(Shown("mnuHelp"));  // only the commands show it again
}

}  // namespace
}  // namespace sorvenal
