// The main window in the sequences a person runs into: keys around modal views, closing or
// commanding during a show, the circle outline and saving, empty selections, double-clicks,
// keyboard browsing and the wheel.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/form_surface.h"
#include "app/main_window.h"
#include "app/preview_image.h"
#include "fileops/file_dialogs.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/picture_io.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"
#include "viewers/continuous_show.h"

namespace sorvenal {
namespace {

using test::FirstDifference;
using test::GradientPicture;
using test::WritePicture;

// Counts the modal windows that open and closes each with Esc.
class ModalCounter {
public:
    ModalCounter() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++opened;
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
        timer_.start();
    }
    int opened = 0;

private:
    QTimer timer_;
};

class Form1RealUseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        WritePicture(dir.path(), QStringLiteral("a.bmp"), GradientPicture(40, 30));
        WritePicture(dir.path(), QStringLiteral("b.bmp"), GradientPicture(900, 700));
        WritePicture(dir.path(), QStringLiteral("c.bmp"), GradientPicture(50, 60));
        Form1Options options;
        options.showPause = [this](int) {
            if (onPause) onPause(form->File1->ListIndex());
            ++pauses;
            return true;
        };
        options.screenSize = test::FixedScreen(640, 480);
        form = std::make_unique<Form1>(&dialogs, nullptr, dir.path(), std::move(options));
        form->SetQuitHook([this] { ++quits; });
        form->show();
        form->mnuOpen_Click();
    }
    void TearDown() override { form.reset(); }
    void Later(std::function<void()> action) {
        QMetaObject::invokeMethod(form.get(), std::move(action), Qt::QueuedConnection);
    }
    void Retouch(int index) {
        form->File1->SetListIndex(index);
        form->Action("mnuReal")->trigger();
    }
    void DragCircle(QPoint from, QPoint to) {
        QTest::mousePress(form->Picture2, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, form->Picture2->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form->Picture2, &move);
        QTest::mouseRelease(form->Picture2, Qt::LeftButton, {}, to);
    }

    QTemporaryDir dir;
    ScriptedDialogService dialogs;
    std::unique_ptr<Form1> form;
    std::function<void(int)> onPause;
    int pauses = 0;
    int quits = 0;
};

TEST_F(Form1RealUseTest, AKeyThatOpensAViewIsSeenOnceWhereverItIsSent) {
    form->File1->SetListIndex(0);
    // Check1 ignores x, so the key travels on to the parents after the view has closed.
    for (QWidget* target : {static_cast<QWidget*>(form->Check1), static_cast<QWidget*>(form->File1),
                            static_cast<QWidget*>(form.get())}) {
        ModalCounter counter;
        QTest::keyClick(target, Qt::Key_X);
        QTest::keyClick(target, Qt::Key_Space);
        EXPECT_EQ(counter.opened, 2) << target->objectName().toStdString();
        EXPECT_EQ(quits, 0);
    }
    // The key that opened the view ends there: the check box is not toggled by it.
    EXPECT_FALSE(form->Check1->isChecked());
}

TEST_F(Form1RealUseTest, KeysReachTheFocusedControlAfterTheWindowAndScrollOnce) {
    Retouch(1);
    ASSERT_TRUE(form->HScroll1->isVisible());
    QTest::keyClick(form->Picture2, Qt::Key_Left);
    EXPECT_EQ(form->HScroll1->value(), 150);
    QTest::keyClick(form->Surface(), Qt::Key_Left);  // passed on to the window: seen once
    EXPECT_EQ(form->HScroll1->value(), 300);
}

TEST_F(Form1RealUseTest, ClosingTheWindowDuringAShowEndsTheShowAndTheProgram) {
    onPause = [this](int index) {
        if (index == 1) Later([this] { form->close(); });
    };
    form->Option1->setChecked(true);
    QTest::mouseClick(form->Label8, Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(pauses, 2);  // no pause after the window closed
    EXPECT_TRUE(form->Ending());
    EXPECT_TRUE(form->ShowCancel);
}

TEST_F(Form1RealUseTest, CommandsDuringAShowStopItAndActOnThePictureOnScreen) {
    form->Option1->setChecked(true);
    // Given while b.bmp (900 x 700) is on screen, delivered when c.bmp has been selected.
    onPause = [this](int index) {
        if (index == 1) Later([this] { form->Action("mnuReal")->trigger(); });
    };
    QTest::mouseClick(form->Label8, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->ShowCancel);
    EXPECT_EQ(form->File1->ListIndex(), 1);
    EXPECT_EQ(form->Picture2->PictureSize(), QSize(900, 700));
    EXPECT_TRUE(form->Picture2->isVisible());
    EXPECT_FALSE(form->File1->isVisible());
    EXPECT_FALSE(form->Image1->isVisible());
    EXPECT_FALSE(form->Action("mnuFile")->isVisible());

    // A file command given during a show works on the file that was on screen too.
    form->Action("mnuOpen2")->trigger();
    dialogs.yesNoAnswers = {false};
    onPause = [this](int index) {
        if (index == 1) Later([this] { form->Action("mnuDelete")->trigger(); });
    };
    QTest::mouseClick(form->Label8, Qt::LeftButton);
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.questions.at(0).startsWith(QStringLiteral("b.bmp")));
}

TEST_F(Form1RealUseTest, ThePauseIsNeverShorterThanAsked) {
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(BlockingPause(40));
        EXPECT_GE(clock.nsecsElapsed(), 40'000'000);
    }
}

TEST_F(Form1RealUseTest, TheCircleOutlineIsNeverPartOfTheSavedOrRetouchedPicture) {
    Retouch(1);
    const QImage original = form->Picture1->Picture();
    form->Action("mnuChange")->trigger();
    DragCircle({100, 100}, {150, 100});
    const QImage marked = form->Picture2->Image();
    ASSERT_NE(FirstDifference(marked, original), "");  // the ring is on screen

    dialogs.saveAnswers = {dir.filePath(QStringLiteral("ring"))};
    form->Action("mnuSaveImage2")->trigger();
    const ReadResult saved = ReadPicture(dir.filePath(QStringLiteral("ring.BMP")));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(FirstDifference(saved.image, original), "");
    EXPECT_EQ(FirstDifference(form->Picture2->Image(), marked), "");  // still on screen

    // Back to the retouch menu: the ring stays behind and is not carried into the snapshot.
    form->Action("mnuChange2")->trigger();
    EXPECT_EQ(FirstDifference(form->Picture2->Image(), original), "");
    form->Action("mnuDark")->trigger();
    const QImage darkened = form->Picture2->Image();
    form->Action("mnuChange")->trigger();
    EXPECT_EQ(FirstDifference(form->Picture3->Picture(), darkened), "");
}

TEST_F(Form1RealUseTest, WithNothingSelectedTheFileCommandsDoNothing) {
    form->File1->SetListIndex(0);
    dialogs.yesNoAnswers = {true};
    form->Action("mnuDelete")->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1);
    ASSERT_EQ(form->File1->ListCount(), 2);

    // The list takes the focus as it does when a menu closes: nothing becomes selected.
    int clicks = 0;
    QObject::connect(form->File1, &FileList::Click, [&] { ++clicks; });
    QFocusEvent focus(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(form->File1, &focus);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(form->File1->FileName(), QString());
    EXPECT_FALSE(form->Picture1->HasPicture());

    for (const char* command : {"mnuRename", "mnuMove", "mnuCopysave", "mnuDelete"})
        form->Action(command)->trigger();
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->File1->ListCount(), 2);
}

TEST_F(Form1RealUseTest, ADoubleClickIsOnePress) {
    Retouch(0);
    int presses = 0;
    QObject::connect(form->Picture2, &PictureBox::MouseDown, [&] { ++presses; });
    const QPoint at(10, 10);
    QTest::mouseClick(form->Picture2, Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, form->Picture2->mapToGlobal(at),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->Picture2, &dbl);
    QTest::mouseRelease(form->Picture2, Qt::LeftButton, {}, at);
    EXPECT_EQ(presses, 1);
}

TEST_F(Form1RealUseTest, TheFileListKeepsTheFocusSoTheArrowKeysBrowse) {
    QApplication::setActiveWindow(form.get());
    form->File1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->File1->hasFocus(); }));
    QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                      form->File1->visualItemRect(form->File1->item(0)).center());
    ASSERT_EQ(form->File1->ListIndex(), 0);
    EXPECT_TRUE(form->File1->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(form->File1->ListIndex(), 1);
    EXPECT_EQ(form->Picture1->PictureSize(), QSize(900, 700));
    EXPECT_TRUE(form->File1->hasFocus());
}

TEST_F(Form1RealUseTest, TheWheelScrollsAsTheArrowKeysDo) {
    Retouch(1);
    auto wheel = [this](QPoint delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(20, 20);
        QWheelEvent event(at, form->Picture2->mapToGlobal(at), QPoint(), delta, Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->Picture2, &event);
    };
    wheel({0, -240}, Qt::NoModifier);  // two notches towards the user
    EXPECT_EQ(form->VScroll1->value(), 300);
    wheel({0, 120}, Qt::NoModifier);
    EXPECT_EQ(form->VScroll1->value(), 150);
    wheel({0, -120}, Qt::ShiftModifier);
    EXPECT_EQ(form->HScroll1->value(), 150);
    wheel({120, 0}, Qt::NoModifier);
    EXPECT_EQ(form->HScroll1->value(), 0);
    wheel({0, -60}, Qt::NoModifier);  // half a notch waits for the other half
    EXPECT_EQ(form->VScroll1->value(), 150);
    wheel({0, -60}, Qt::NoModifier);
    EXPECT_EQ(form->VScroll1->value(), 300);
    for (int i = 0; i < 100; ++i) wheel({0, -120}, Qt::NoModifier);
    EXPECT_EQ(form->VScroll1->value(), form->VScroll1->maximum());
}

TEST(FileDialogsTest, EnterPressesOkAndTheNewFolderNameIsReplacedByTyping) {
    Form7 rename(QStringLiteral("photo.bmp"));
    EXPECT_TRUE(rename.Command2->isDefault());
    Form5 folder(QStringLiteral("/tmp/x"), QStringLiteral("/tmp"));
    EXPECT_TRUE(folder.Command12->isDefault());

    Form6 destination(QDir::tempPath().toLocal8Bit());
    destination.Text2->show();
    destination.Command13->show();
    destination.show();
    EXPECT_TRUE(destination.Command13->isDefault());
    destination.Text2->deselect();
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(destination.Text2, &focus);
    QCoreApplication::processEvents();
    EXPECT_EQ(destination.Text2->selectedText(), QStringLiteral("新フォルダー名"));
}

TEST(SaveDialogTest, WithNoNameOfItsOwnTheDialogProposesTheLastChosen) {
    QTemporaryDir dir;
    QtDialogService service;
    QStringList proposed;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            proposed << dialog->findChild<QLineEdit*>()->text();
            dialog->selectFile(dir.filePath(QStringLiteral("first")));
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    timer.start();
    SaveFileRequest request;
    request.initialDir = dir.path();
    request.fileName = QStringLiteral("photo");
    EXPECT_EQ(service.AskSaveFileName(nullptr, request), dir.filePath(QStringLiteral("first")));
    request.fileName.clear();
    service.AskSaveFileName(nullptr, request);
    ASSERT_EQ(proposed.size(), 2);
    EXPECT_EQ(proposed.at(0), QStringLiteral("photo"));
    EXPECT_EQ(proposed.at(1), QStringLiteral("first"));
}

}  // namespace
}  // namespace sorvenal
