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
#include <QSpinBox>
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
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"
#include "viewers/continuous_show.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

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

class Form1RealUseTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Write(QStringLiteral("a.bmp"), GradientPicture(40, 30));
        Write(QStringLiteral("b.bmp"), GradientPicture(900, 700));
        Write(QStringLiteral("c.bmp"), GradientPicture(50, 60));
        Form1Options options;
        options.showPause = [this](int) {
            if (onPause) onPause(File1(*form)->ListIndex());
            ++pauses;
            return true;
        };
        options.screenSize = test::FixedScreen(640, 480);
        Browse(std::move(options)).SetQuitHook([this] { ++quits; });
    }
    void TearDown() override { form.reset(); }
    void Later(std::function<void()> action) {
        QMetaObject::invokeMethod(form.get(), std::move(action), Qt::QueuedConnection);
    }

    std::function<void(int)> onPause;
    int pauses = 0;
    int quits = 0;
};

TEST_F(Form1RealUseTest, AKeyThatOpensAViewIsSeenOnceWhereverItIsSent) {
    File1(*form)->SetListIndex(0);
    // Check1 ignores x, so the key travels on to the parents after the view has closed.
    for (QWidget* target :
         {static_cast<QWidget*>(Check1(*form)), static_cast<QWidget*>(File1(*form)),
          static_cast<QWidget*>(form.get())}) {
        ModalCounter counter;
        QTest::keyClick(target, Qt::Key_X);
        QTest::keyClick(target, Qt::Key_Space);
        EXPECT_EQ(counter.opened, 2) << target->objectName().toStdString();
        EXPECT_EQ(quits, 0);
    }
    // The key that opened the view ends there: the check box is not toggled by it.
    EXPECT_FALSE(Check1(*form)->isChecked());
}

TEST_F(Form1RealUseTest, KeysReachTheFocusedControlAfterTheWindowAndScrollOnce) {
    Retouch(1);
    ASSERT_TRUE(HScroll1(*form)->isVisible());
    QTest::keyClick(Picture2(*form), Qt::Key_Left);
    EXPECT_EQ(HScroll1(*form)->value(), 150);
    QTest::keyClick(form->Surface(), Qt::Key_Left);  // passed on to the window: seen once
    EXPECT_EQ(HScroll1(*form)->value(), 300);
}

TEST_F(Form1RealUseTest, ClosingTheWindowDuringAShowEndsTheShowAndTheProgram) {
    onPause = [this](int index) {
        if (index == 1) Later([this] { form->close(); });
    };
    Option1(*form)->setChecked(true);
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(pauses, 2);  // no pause after the window closed
    EXPECT_TRUE(form->Ending());
    EXPECT_FALSE(form->ShowRunning());
}

TEST_F(Form1RealUseTest, CommandsDuringAShowStopItAndActOnThePictureOnScreen) {
    Option1(*form)->setChecked(true);
    // Given while b.bmp (900 x 700) is on screen, delivered when c.bmp has been selected.
    onPause = [this](int index) {
        if (index == 1) Later([this] { form->Action("mnuReal")->trigger(); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->ShowRunning());
    EXPECT_EQ(File1(*form)->ListIndex(), 1);
    EXPECT_EQ(Picture2(*form)->PictureSize(), QSize(900, 700));
    EXPECT_TRUE(Picture2(*form)->isVisible());
    EXPECT_FALSE(File1(*form)->isVisible());
    EXPECT_FALSE(Image1(*form)->isVisible());
    EXPECT_FALSE(form->Action("mnuFile")->isVisible());

    // A file command given during a show works on the file that was on screen too.
    form->Action("mnuOpen2")->trigger();
    dialogs.yesNoAnswers = {false};
    onPause = [this](int index) {
        if (index == 1) Later([this] { form->Action("mnuDelete")->trigger(); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
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
    const QImage original = Picture1(*form)->Picture();
    form->Action("mnuChange")->trigger();
    test::DragOnPicture(*form, {100, 100}, {150, 100});
    const QImage marked = Picture2(*form)->Image();
    ASSERT_NE(FirstDifference(marked, original), "");  // the ring is on screen

    dialogs.saveAnswers = {dir.filePath(QStringLiteral("ring"))};
    form->Action("mnuSaveImage2")->trigger();
    const ReadResult saved = ReadPicture(dir.filePath(QStringLiteral("ring.BMP")));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(FirstDifference(saved.image, original), "");
    EXPECT_EQ(FirstDifference(Picture2(*form)->Image(), marked), "");  // still on screen

    // Back to the retouch menu: the ring stays behind and is not carried into the snapshot.
    form->Action("mnuChange2")->trigger();
    EXPECT_EQ(FirstDifference(Picture2(*form)->Image(), original), "");
    form->Action("mnuDark")->trigger();
    const QImage darkened = Picture2(*form)->Image();
    form->Action("mnuChange")->trigger();
    EXPECT_EQ(FirstDifference(Picture3(*form)->Picture(), darkened), "");
}

TEST_F(Form1RealUseTest, WithNothingSelectedTheFileCommandsDoNothing) {
    File1(*form)->SetListIndex(0);
    dialogs.yesNoAnswers = {true};
    form->Action("mnuDelete")->trigger();
    ASSERT_EQ(dialogs.questions.size(), 1);
    ASSERT_EQ(File1(*form)->ListCount(), 2);

    // The list takes the focus as it does when a menu closes: nothing becomes selected.
    int clicks = 0;
    QObject::connect(File1(*form), &FileList::Click, [&] { ++clicks; });
    QFocusEvent focus(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(File1(*form), &focus);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(File1(*form)->FileName(), QString());
    EXPECT_FALSE(Picture1(*form)->HasPicture());

    for (const char* command : {"mnuRename", "mnuMove", "mnuCopysave", "mnuDelete"})
        form->Action(command)->trigger();
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(File1(*form)->ListCount(), 2);
}

TEST_F(Form1RealUseTest, ADoubleClickIsOnePress) {
    Retouch(0);
    int presses = 0;
    QObject::connect(Picture2(*form), &PictureBox::MouseDown, [&] { ++presses; });
    const QPoint at(10, 10);
    QTest::mouseClick(Picture2(*form), Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, Picture2(*form)->mapToGlobal(at),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Picture2(*form), &dbl);
    QTest::mouseRelease(Picture2(*form), Qt::LeftButton, {}, at);
    EXPECT_EQ(presses, 1);
}

TEST_F(Form1RealUseTest, TheFileListKeepsTheFocusSoTheArrowKeysBrowse) {
    QApplication::setActiveWindow(form.get());
    File1(*form)->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return File1(*form)->hasFocus(); }));
    QTest::mouseClick(File1(*form)->viewport(), Qt::LeftButton, {},
                      File1(*form)->visualItemRect(File1(*form)->item(0)).center());
    ASSERT_EQ(File1(*form)->ListIndex(), 0);
    EXPECT_TRUE(File1(*form)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    test::WaitPreview(*form);
    EXPECT_EQ(File1(*form)->ListIndex(), 1);
    EXPECT_EQ(Picture1(*form)->PictureSize(), QSize(900, 700));
    EXPECT_TRUE(File1(*form)->hasFocus());
}

TEST_F(Form1RealUseTest, TheWheelScrollsAsTheArrowKeysDo) {
    Retouch(1);
    auto wheel = [this](QPoint delta, Qt::KeyboardModifiers modifiers) {
        const QPointF at(20, 20);
        QWheelEvent event(at, Picture2(*form)->mapToGlobal(at), QPoint(), delta, Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Picture2(*form), &event);
    };
    wheel({0, -240}, Qt::NoModifier);  // two notches towards the user
    EXPECT_EQ(VScroll1(*form)->value(), 300);
    wheel({0, 120}, Qt::NoModifier);
    EXPECT_EQ(VScroll1(*form)->value(), 150);
    wheel({0, -120}, Qt::ShiftModifier);
    EXPECT_EQ(HScroll1(*form)->value(), 150);
    wheel({120, 0}, Qt::NoModifier);
    EXPECT_EQ(HScroll1(*form)->value(), 0);
    wheel({0, -60}, Qt::NoModifier);  // half a notch waits for the other half
    EXPECT_EQ(VScroll1(*form)->value(), 150);
    wheel({0, -60}, Qt::NoModifier);
    EXPECT_EQ(VScroll1(*form)->value(), 300);
    for (int i = 0; i < 100; ++i) wheel({0, -120}, Qt::NoModifier);
    EXPECT_EQ(VScroll1(*form)->value(), VScroll1(*form)->maximum());
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

TEST(SaveDialogTest, OffersTheThreeTypesAndAsksNothingAboutTheTypedName) {
    QTemporaryDir dir;
    QtDialogService service;
    QStringList filters;
    QString proposed;
    bool asksToReplace = true;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            filters = dialog->nameFilters();
            proposed = dialog->selectedNameFilter();
            asksToReplace = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->selectNameFilter(filters.last());
            dialog->selectFile(dir.filePath(QStringLiteral("face")));
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    timer.start();
    SaveFileRequest request;
    request.filterLabels = {QStringLiteral("BMP ﾌｧｲﾙ"), QStringLiteral("JPEG ﾌｧｲﾙ"),
                            QStringLiteral("PNG ﾌｧｲﾙ")};
    request.filterLabel = QStringLiteral("JPEG ﾌｧｲﾙ");
    request.initialDir = dir.path();
    const std::optional<SaveFileChoice> choice = service.AskSaveFileName(nullptr, request);
    ASSERT_TRUE(choice);
    EXPECT_EQ(filters, (QStringList{QStringLiteral("BMP ﾌｧｲﾙ (*)"), QStringLiteral("JPEG ﾌｧｲﾙ (*)"),
                                    QStringLiteral("PNG ﾌｧｲﾙ (*)")}));
    EXPECT_EQ(proposed, QStringLiteral("JPEG ﾌｧｲﾙ (*)"));
    EXPECT_FALSE(asksToReplace);
    EXPECT_EQ(choice->path, dir.filePath(QStringLiteral("face")));
    EXPECT_EQ(choice->filterLabel, QStringLiteral("PNG ﾌｧｲﾙ"));
}

TEST(SaveDialogTest, QualityBoxShowsTheEstimateAndGivesTheChosenQuality) {
    QtDialogService service;
    std::vector<int> estimated;
    QString shown;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || box->objectName() != QStringLiteral("JpegQualityBox")) return;
        shown = box->findChild<QLabel*>(QStringLiteral("JpegSizeEstimate"))->text();
        auto* spin = box->findChild<QSpinBox*>(QStringLiteral("JpegQuality"));
        if (spin->value() != 70) {
            spin->setValue(70);
            return;  // the estimate follows once the value settles
        }
        if (estimated.back() == 70) static_cast<QDialog*>(box)->accept();
    });
    timer.start();
    const std::optional<int> quality =
        service.AskJpegQuality(nullptr, 92, [&estimated](int q) -> qint64 {
            estimated.push_back(q);
            return 2'400'000;
        });
    EXPECT_EQ(quality, 70);
    ASSERT_GE(estimated.size(), 2u);
    EXPECT_EQ(estimated.front(), 92);
    EXPECT_EQ(shown, QStringLiteral("推定ファイルサイズ: 約 2.4 MB"));
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
    EXPECT_EQ(service.AskSaveFileName(nullptr, request)->path,
              dir.filePath(QStringLiteral("first")));
    request.fileName.clear();
    service.AskSaveFileName(nullptr, request);
    ASSERT_EQ(proposed.size(), 2);
    EXPECT_EQ(proposed.at(0), QStringLiteral("photo"));
    EXPECT_EQ(proposed.at(1), QStringLiteral("first"));
}

}  // namespace
}  // namespace sorvenal
