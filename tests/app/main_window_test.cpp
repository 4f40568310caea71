// The main window driven by its controls and menu entries, on real files in temporary folders.
#include "app/main_window.h"

#include <gtest/gtest.h>

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
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"
#include "platform/busy_indicator.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;
using test::WriteGarbage;
using test::WritePicture;

CanvasView ViewOf(QImage& image) {
    return {reinterpret_cast<std::uint32_t*>(image.bits()), image.width(), image.height(),
            image.bytesPerLine() / 4};
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = QDir::cleanPath(dir.path());
    }
    void TearDown() override { form.reset(); }

    Form1& Open() {
        form = std::make_unique<Form1>(&dialogs, nullptr, folder,
                                       Form1Options{.screenSize = test::FixedScreen(1920, 1080)});
        form->SetQuitHook([this] { ++quits; });
        form->show();
        return *form;
    }
    // Browse state with the named file selected.
    Form1& Select(const QString& name) {
        Form1& f = form ? *form : Open();
        if (f.Action("mnuOpen")->isVisible()) f.Action("mnuOpen")->trigger();
        f.File1->Reread();
        for (int i = 0; i < f.File1->ListCount(); ++i)
            if (f.File1->List(i) == name) f.File1->SetListIndex(i);
        return f;
    }
    Form1& Retouch(const QString& name) {
        Form1& f = Select(name);
        f.Action("mnuReal")->trigger();
        return f;
    }
    bool Shown(const char* name) const { return form->Action(name)->isVisible(); }

    QTemporaryDir dir;
    QString folder;
    ScriptedDialogService dialogs;
    std::unique_ptr<Form1> form;
    int quits = 0;
};

TEST_F(MainWindowTest, StartScreen) {
    WritePicture(folder, "a.bmp", GradientPicture(8, 8));
    WritePicture(folder, "notes.txt", GradientPicture(2, 2));
    Form1& f = Open();
    EXPECT_EQ(f.windowTitle(), "sorvenal");
    EXPECT_EQ(f.Dir1->Path(), folder);
    EXPECT_EQ(f.File1->ListCount(), 1);  // listed already, though hidden
    EXPECT_FALSE(f.File1->isVisible());
    EXPECT_TRUE(f.Image2->isVisible());
    EXPECT_FALSE(f.Image3->isVisible());
    EXPECT_FALSE(f.Image4->isVisible());
    EXPECT_EQ(f.Label3->text(), "&");
    EXPECT_TRUE(f.DirCancel);
    EXPECT_TRUE(f.ShowCancel);
    EXPECT_FALSE(f.CircleMode);
    EXPECT_EQ(f.skin.Dw, 0);
    EXPECT_EQ(f.frameGeometry().width(), TwipsToPixels(6700));
    EXPECT_EQ(f.Surface()->BackColor(), QColor(128, 128, 255));
    EXPECT_EQ(f.Surface()->Layer().pixelColor(2, 2), QColor(0, 0, 255));  // the 10-wide outline
    EXPECT_EQ(f.Surface()->Layer().pixelColor(100, 100).alpha(), 0);
    EXPECT_EQ(f.Picture2->BackColor(), QColor(80, 90, 100));

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
    EXPECT_TRUE(f.Image3->isVisible());
    EXPECT_FALSE(f.Image2->isVisible());
    QApplication::sendEvent(f.Image3, &move);
    EXPECT_TRUE(f.Image2->isVisible());
    QApplication::sendEvent(f.Image2, &move);
    EXPECT_TRUE(f.Image4->isVisible());
    QApplication::sendEvent(f.Label3, &move);
    EXPECT_EQ(f.Label3->text(), "And");
    QApplication::sendEvent(f.Surface(), &move);
    EXPECT_EQ(f.Label3->text(), "&");
    EXPECT_FALSE(f.Image4->isVisible());
}

TEST_F(MainWindowTest, UnreadableStartFolderFallsBack) {
    folder = dir.filePath("missing");
    Form1& f = Open();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(folder));
    EXPECT_NE(f.Dir1->Path(), folder);
    EXPECT_FALSE(f.Dir1->Path().isEmpty());
}

TEST_F(MainWindowTest, OpenCommandShowsTheBrowser) {
    Form1& f = Open();
    f.Action("mnuOpen")->trigger();
    for (QWidget* w :
         std::initializer_list<QWidget*>{f.Dir1, f.File1, f.Check1, f.Frame3, f.Label5, f.Label6})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{f.Label1, f.Label2, f.Label3, f.Label4,
                                                      f.Picture2, f.Image1})
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
    EXPECT_EQ(f.Check1->text(), "全画面表示はスクリーンに合わせ縮小");
    EXPECT_EQ(f.Label8->text(), " Start ");
    EXPECT_EQ(f.Label8->parentWidget(), f.Frame3);
    EXPECT_EQ(f.Label8->geometry(), TwipsRect(5160, 360, 870, 300));
    EXPECT_TRUE(f.Option1->isChecked());
    EXPECT_EQ(f.File1->Pattern(), "*.bmp;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.png;*.webp");
}

TEST_F(MainWindowTest, SelectionLoadsPreviewOriginalAndWorkingPicture) {
    const QImage wide = GradientPicture(640, 480);
    WritePicture(folder, "wide.bmp", wide);
    WritePicture(folder, "tall.jpg", GradientPicture(300, 500));
    WritePicture(folder, "square.gif", GradientPicture(64, 64));
    WritePicture(folder, "line.bmp", GradientPicture(400, 1));

    Form1& f = Select("wide.bmp");
    EXPECT_EQ(f.Label5->text(), "    W X H = 640 X 480");
    EXPECT_EQ(f.Image1->geometry(), QRect(16, 30, 160, 120));
    EXPECT_TRUE(f.Image1->isVisible());
    EXPECT_TRUE(Shown("mnuFile"));
    EXPECT_EQ(FirstDifference(wide, f.Picture1->Picture()), "");
    EXPECT_EQ(FirstDifference(wide, f.Picture2->Image()), "");
    // one decode shared by the three holders
    EXPECT_EQ(f.Picture2->Picture().constBits(), f.Picture1->Picture().constBits());
    EXPECT_EQ(f.Image1->Picture().constBits(), f.Picture1->Picture().constBits());

    Select("tall.jpg");
    EXPECT_EQ(f.Label5->text(), "    W X H = 300 X 500");
    EXPECT_EQ(f.Image1->geometry(), QRect(96 - 48, 10, 96, 160));

    Select("square.gif");
    EXPECT_EQ(f.Label5->text(), "    W X H = 64 X 64");
    EXPECT_EQ(f.Image1->geometry(), QRect(16, 10, 160, 160));

    Select("line.bmp");
    EXPECT_EQ(f.Image1->geometry(), QRect(16, 90, 160, 0));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindowTest, BrokenFileClearsInsteadOfPosingAsTheOldPicture) {
    WritePicture(folder, "good.bmp", GradientPicture(40, 30));
    WriteGarbage(folder, "broken.jpg");
    Form1& f = Select("good.bmp");
    Select("broken.jpg");
    EXPECT_EQ(f.Label5->text(), "    この画像は開けません");
    EXPECT_FALSE(f.Image1->HasPicture());
    EXPECT_FALSE(f.Image1->isVisible());
    EXPECT_FALSE(f.Picture1->HasPicture());
    EXPECT_FALSE(f.Picture2->HasPicture());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // nothing to retouch: the command leaves the browser as it is
    f.Action("mnuReal")->trigger();
    EXPECT_TRUE(f.File1->isVisible());
    EXPECT_FALSE(f.Picture2->isVisible());
}

TEST_F(MainWindowTest, FolderChangeClearsOnlyWhenDirCancel) {
    WritePicture(folder, "a.bmp", GradientPicture(40, 30));
    QDir(folder).mkdir("sub");
    const QString sub = folder + "/sub";
    WritePicture(sub, "a.bmp", GradientPicture(40, 30));
    Form1& f = Select("a.bmp");

    f.DirCancel = false;
    ASSERT_TRUE(f.Dir1->SetPath(sub));
    EXPECT_EQ(f.File1->Path(), sub);
    EXPECT_TRUE(f.Picture1->HasPicture());
    EXPECT_EQ(f.Label5->text(), "    W X H = 40 X 30");

    f.DirCancel = true;
    ASSERT_TRUE(f.Dir1->SetPath(folder));
    EXPECT_EQ(f.File1->Path(), folder);
    EXPECT_FALSE(f.Picture1->HasPicture());
    EXPECT_FALSE(f.Picture2->HasPicture());
    EXPECT_FALSE(f.Image1->HasPicture());
    EXPECT_EQ(f.Label5->text(), "");
    EXPECT_EQ(f.Picture2->geometry(), QRect(50, 50, 50, 50));

    emit f.Dir1->PathRefused("/nowhere/x");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], "フォルダーを開けません: /nowhere/x");
    EXPECT_EQ(f.Dir1->Path(), folder);
}

TEST_F(MainWindowTest, RetouchWindowForSmallWideTallAndHugePictures) {
    WritePicture(folder, "small.bmp", GradientPicture(50, 40));
    WritePicture(folder, "wide.bmp", GradientPicture(1950, 30));
    WritePicture(folder, "tall.bmp", GradientPicture(30, 1100));
    WritePicture(folder, "huge.bmp", GradientPicture(6000, 20));

    Form1& f = Retouch("small.bmp");
    EXPECT_TRUE(f.Picture2->isVisible());
    EXPECT_EQ(f.Picture2->pos(), QPoint(0, 0));
    EXPECT_FALSE(f.File1->isVisible());
    EXPECT_EQ(f.frameGeometry().width(), TwipsToPixels(1680));
    EXPECT_FALSE(f.HScroll1->isVisible());
    EXPECT_FALSE(f.VScroll1->isVisible());
    EXPECT_FALSE(f.Command1->isVisible());
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
    EXPECT_TRUE(f.HScroll1->isVisible());
    EXPECT_FALSE(f.VScroll1->isVisible());
    EXPECT_TRUE(f.Command1->isVisible());
    EXPECT_EQ(f.HScroll1->maximum(), 1950 * 15 - 28800 + 240);
    EXPECT_EQ(f.HScroll1->pageStep(), f.HScroll1->maximum());
    EXPECT_EQ(f.HScroll1->singleStep(), f.HScroll1->maximum() / 25);
    EXPECT_TRUE(Shown("mnuFullscreen"));

    f.Action("mnuOpen2")->trigger();
    Select("tall.bmp");
    f.Action("mnuReal")->trigger();
    EXPECT_TRUE(f.VScroll1->isVisible());
    EXPECT_FALSE(f.HScroll1->isVisible());
    EXPECT_EQ(f.VScroll1->maximum(), 1100 * 15 - (16200 - 250) + 990);
    EXPECT_EQ(f.VScroll1->geometry().right(), f.Surface()->width() - 1);

    // 90000 twips wide: beyond the 16-bit range, yet the whole picture is reachable
    f.Action("mnuOpen2")->trigger();
    Select("huge.bmp");
    f.Action("mnuReal")->trigger();
    ASSERT_TRUE(f.HScroll1->isVisible());
    EXPECT_LE(f.HScroll1->maximum(), 32767);
    EXPECT_GT(f.HScrollUnit(), 1);
    f.HScroll1->setValue(f.HScroll1->maximum());
    const int hiddenPixels = 6000 - TwipsToPixels(28800 - 120) + 8;
    EXPECT_LE(f.Picture2->x(), -hiddenPixels);
    EXPECT_GT(f.Picture2->x(), -hiddenPixels - 2);
}

TEST_F(MainWindowTest, ArrowKeysScrollWithinTheRange) {
    WritePicture(folder, "big.bmp", GradientPicture(2200, 1200));
    Form1& f = Retouch("big.bmp");
    ASSERT_TRUE(f.HScroll1->isVisible());
    ASSERT_TRUE(f.VScroll1->isVisible());
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(f.VScroll1->value(), 150);
    EXPECT_EQ(f.Picture2->y(), -10);
    QTest::keyClick(&f, Qt::Key_Down);
    EXPECT_EQ(f.VScroll1->value(), 0);
    QTest::keyClick(&f, Qt::Key_Down);
    EXPECT_EQ(f.VScroll1->value(), 0);
    f.VScroll1->setValue(f.VScroll1->maximum() - 150);
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(f.VScroll1->value(), f.VScroll1->maximum());
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(f.VScroll1->value(), f.VScroll1->maximum());
    QTest::keyClick(&f, Qt::Key_Left);
    EXPECT_EQ(f.HScroll1->value(), 150);
    QTest::keyClick(f.Picture2, Qt::Key_Right);  // keys reach the window from the focused control
    EXPECT_EQ(f.HScroll1->value(), 0);
    EXPECT_EQ(quits, 0);
}

TEST_F(MainWindowTest, EscEndsTheProgramInAnyState) {
    WritePicture(folder, "a.bmp", GradientPicture(40, 30));
    Form1& f = Open();
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_EQ(quits, 1);
    Retouch("a.bmp");
    QTest::keyClick(f.Picture2, Qt::Key_Escape);
    EXPECT_EQ(quits, 2);
    f.Action("mnuEnd")->trigger();
    f.Action("mnuEnd2")->trigger();
    EXPECT_EQ(quits, 4);
}

TEST_F(MainWindowTest, EachRetouchCommandMatchesItsEngineFunction) {
    const QImage original = GradientPicture(61, 47);
    WritePicture(folder, "p.bmp", original);
    Form1& f = Retouch("p.bmp");
    const std::pair<const char*, RetouchCommand> commands[] = {
        {"mnuWhite", RetouchCommand::Whiten},
        {"mnuSharp", RetouchCommand::Sharpen},
        {"mnuGamma", RetouchCommand::Gamma},
        {"mnubackbright2", RetouchCommand::Backlight},
        {"mnubackbright", RetouchCommand::BacklightSpecial},
        {"mnuShade", RetouchCommand::Saturate},
        {"mnuShade2", RetouchCommand::Desaturate},
        {"mnuDark", RetouchCommand::Darken},
        {"mnulight", RetouchCommand::Lighten},
        {"mnuContrast", RetouchCommand::ContrastUp},
        {"mnuContrast2", RetouchCommand::ContrastDown},
    };
    for (bool skinClick : {false, true}) {
        f.Action(skinClick ? "mnuClick" : "mnuClick2")->trigger();
        for (const auto& [name, command] : commands) {
            SCOPED_TRACE(name);
            f.Action("mnuback")->trigger();
            f.Action("mnuSaveImage")->setVisible(false);
            QImage expected = f.Picture1->Picture().copy();
            RunRetouchCommand(ViewOf(expected), command);
            f.Action(name)->trigger();
            EXPECT_EQ(FirstDifference(expected, f.Picture2->Image()), "");
            EXPECT_EQ(f.windowTitle(), "sorvenal");
            EXPECT_EQ(f.Action("mnuSaveImage")->isVisible(), IsPixelCommand(command));
            EXPECT_FALSE(f.Animation1->isVisible());
            EXPECT_EQ(f.cursor().shape(), skinClick ? Qt::UpArrowCursor : Qt::ArrowCursor);
            EXPECT_TRUE(f.Picture2->updatesEnabled());
        }
    }
    // the original is never written
    EXPECT_EQ(FirstDifference(original, f.Picture1->Picture()), "");
}

TEST_F(MainWindowTest, RevertReturnsTheOriginalAndResetsScrolling) {
    const QImage original = GradientPicture(2200, 300);
    WritePicture(folder, "p.bmp", original);
    Form1& f = Retouch("p.bmp");
    f.HScroll1->setValue(500);
    f.Action("mnuGamma")->trigger();
    f.Action("mnuChange")->trigger();
    f.Action("mnuback2")->trigger();
    EXPECT_EQ(FirstDifference(original, f.Picture2->Image()), "");
    EXPECT_EQ(FirstDifference(original, f.Picture3->Picture()), "");
    EXPECT_EQ(f.HScroll1->value(), 0);
    EXPECT_EQ(f.Picture2->pos(), QPoint(0, 0));
    EXPECT_EQ(f.windowTitle(), "sorvenal");
    EXPECT_TRUE(f.CircleMode);  // modes stay
}

TEST_F(MainWindowTest, SkinClickRetouchesOnlyWhileTheModeIsOn) {
    QImage face(40, 30, QImage::Format_RGB32);
    face.fill(QColor(200, 150, 120));
    WritePicture(folder, "face.bmp", face);
    Form1& f = Retouch("face.bmp");

    emit f.Picture2->MouseDown(kLeftButton, 0, 10, 10);
    EXPECT_EQ(FirstDifference(f.Picture1->Picture(), f.Picture2->Image()), "");

    f.Action("mnuDefault")->trigger();
    EXPECT_EQ(f.skin.Dw, 1);
    EXPECT_TRUE(f.Action("mnuWh")->isEnabled());
    f.Action("mnuClick")->trigger();
    EXPECT_TRUE(f.SkinClickOn);
    EXPECT_EQ(f.Picture2->toolTip(), "　肌上でクリックすると、最適化されます");
    EXPECT_FALSE(f.Action("mnuClick")->isEnabled());

    f.Action("mnuSaveImage")->setVisible(false);
    QImage expected = f.Picture2->Image().copy();
    SkinState state;
    state.Dw = 1;
    SkinClickRetouchPixels(ViewOf(expected), state, 10, 10);
    emit f.Picture2->MouseDown(kRightButton, 0, 10, 10);  // any button
    EXPECT_EQ(FirstDifference(expected, f.Picture2->Image()), "");
    EXPECT_EQ(f.skin.R0, state.R0);
    EXPECT_EQ(f.skin.M0, state.M0);
    EXPECT_EQ(f.windowTitle(), "sorvenal");
    EXPECT_EQ(f.cursor().shape(), Qt::UpArrowCursor);
    EXPECT_FALSE(f.Action("mnuSaveImage")->isVisible());  // the skin click leaves it alone

    f.Action("mnuClick2")->trigger();
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(f.Picture2->toolTip(), "");
}

TEST_F(MainWindowTest, CircleMarkingDragReleaseAndErase) {
    WritePicture(folder, "p.bmp", GradientPicture(60, 50));
    Form1& f = Retouch("p.bmp");
    f.Action("mnuGamma")->trigger();
    f.Action("mnuChange")->trigger();
    EXPECT_TRUE(f.CircleMode);
    EXPECT_FALSE(f.SkinClickOn);
    EXPECT_TRUE(Shown("mnuSpecial"));
    EXPECT_FALSE(Shown("mnuRetouch"));
    EXPECT_EQ(f.windowTitle(), "円を設定してください");
    EXPECT_EQ(FirstDifference(f.Picture2->Image(), f.Picture3->Picture()), "");
    const QImage snapshot = f.Picture3->Picture();

    emit f.Picture2->MouseDown(kLeftButton, 0, 10, 10);
    emit f.Picture2->MouseMove(kLeftButton, 0, 13, 14);
    emit f.Picture2->MouseUp(kLeftButton, 0, 30, 30);  // the release point is not used
    EXPECT_EQ(f.circle.rl, 5.0f);
    EXPECT_EQ(f.circle.X1, 10.0f);
    EXPECT_NE(FirstDifference(snapshot, f.Picture2->Image()), "");
    EXPECT_NE(f.Picture2->Image().pixel(15, 10), snapshot.pixel(15, 10));

    emit f.Picture2->MouseDown(kRightButton, 0, 40, 40);
    emit f.Picture2->MouseUp(kRightButton, 0, 40, 40);
    EXPECT_EQ(FirstDifference(snapshot, f.Picture2->Image()), "");  // erased
    EXPECT_EQ(f.circle.rl, 5.0f);
    EXPECT_EQ(f.circle.X1, 10.0f);

    // a press without a move reuses the last drag point
    emit f.Picture2->MouseDown(kLeftButton, 0, 10, 10);
    emit f.Picture2->MouseMove(kLeftButton, 0, 12, 12);
    emit f.Picture2->MouseUp(kLeftButton, 0, 12, 12);
    EXPECT_EQ(f.circle.rl, 2.0f);

    f.Action("mnuChange2")->trigger();
    EXPECT_FALSE(f.CircleMode);
    emit f.Picture2->MouseDown(kLeftButton, 0, 30, 30);
    emit f.Picture2->MouseUp(kLeftButton, 0, 30, 30);
    EXPECT_EQ(f.circle.X1, 10.0f);  // both modes off: nothing happens

    f.Action("mnuChange")->trigger();
    EXPECT_EQ(f.circle.rl, 0.0f);
    EXPECT_EQ(f.X2, 0.0f);
    f.Action("mnuOpen4")->trigger();
    EXPECT_FALSE(f.CircleMode);
    EXPECT_FALSE(Shown("mnuSpecial"));
    EXPECT_TRUE(f.File1->isVisible());
    EXPECT_EQ(FirstDifference(f.Picture1->Picture(), f.Picture2->Image()), "");
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
