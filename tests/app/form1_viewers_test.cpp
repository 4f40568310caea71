#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "app/main_window.h"
#include "app/preview_image.h"
#include "platform/file_list.h"
#include "platform/picture_box.h"
#include "platform/twips.h"
#include "tests/support/fixed_screen.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"
#include "viewers/continuous_show.h"
#include "viewers/fullscreen_actual.h"
#include "viewers/fullscreen_fit.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

using test::FirstDifference;
using test::GradientPicture;

// Closes whatever modal window opens and remembers its name and the picture it showed, so a
// test never hangs on a view it did not expect.
class ModalWatcher {
public:
    ModalWatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            opened.push_back(modal->objectName());
            if (auto* view = qobject_cast<Form2*>(modal)) shown.push_back(view->Picture4->Image());
            if (auto* view = qobject_cast<Form3*>(modal)) shown.push_back(view->Picture7->Image());
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        timer_.start();
    }
    QStringList opened;
    std::vector<QImage> shown;

private:
    QTimer timer_;
};

// A typed key with its own timestamp, as the window system delivers them: the window sees a
// key once however far it travels up the parents.
void TypeKey(QWidget* widget, Qt::Key key, const QString& text) {
    static quint64 timestamp = 1;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    press.setTimestamp(++timestamp);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    release.setTimestamp(++timestamp);
    QApplication::sendEvent(widget, &release);
}

// Sizes differ so that every picture is recognisable by its size caption.
const QSize kSizes[] = {{40, 30}, {900, 700}, {50, 60}, {70, 20}};

class Form1ViewersTest : public ::testing::Test, public test::Form1Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (int i = 0; i < 4; ++i)
            Write(QStringLiteral("p%1.bmp").arg(i),
                  GradientPicture(kSizes[i].width(), kSizes[i].height()));
        Form1Options options;
        options.showPause = [this](int ms) {
            EXPECT_EQ(ms, 1000);
            paused.push_back(File1(*form)->ListIndex());
            if (onPause) onPause(File1(*form)->ListIndex());
            return pauseCompletes;
        };
        options.screenSize = test::FixedScreen(640, 480);
        Browse(std::move(options), test::Visibility::Hidden);
        ASSERT_EQ(File1(*form)->ListCount(), 4);
        QObject::connect(File1(*form), &FileList::Click,
                         [this] { shown.push_back(File1(*form)->ListIndex()); });
    }
    void TearDown() override { form.reset(); }

    void Select(int index) {
        Form1Session::Select(index);
        shown.clear();
    }
    // Input made during the pause reaches the window at the show's next pending-events step.
    void Later(std::function<void()> action) {
        QMetaObject::invokeMethod(form.get(), std::move(action), Qt::QueuedConnection);
    }
    QSize WorkingSize() const { return Picture2(*form)->PictureSize(); }

    std::vector<int> shown;
    std::vector<int> paused;
    std::function<void(int)> onPause;
    bool pauseCompletes = true;  // false: the pause is cut short, as when the program quits
};

TEST_F(Form1ViewersTest, PreviewClickOpensTheViewTheCheckBoxChooses) {
    Select(1);
    for (bool fit : {false, true}) {
        Check1(*form)->setChecked(fit);
        // A retouch on the working picture is dropped by the preview click.
        Picture2(*form)->View().row(0)[0] = 0xFF123456u;
        ModalWatcher watcher;
        QTest::mouseClick(Image1(*form), Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_EQ(watcher.opened, QStringList{fit ? "Form3" : "Form2"});
        EXPECT_EQ(FirstDifference(Picture1(*form)->Picture(), watcher.shown.at(0)), "");
    }
}

TEST_F(Form1ViewersTest, CharacterKeyOpensTheViewTheCheckBoxChooses) {
    Select(2);
    for (bool fit : {false, true}) {
        Check1(*form)->setChecked(fit);
        ModalWatcher watcher;
        TypeKey(File1(*form), Qt::Key_X, QStringLiteral("x"));
        EXPECT_EQ(watcher.opened, QStringList{fit ? "Form3" : "Form2"});
    }
}

TEST_F(Form1ViewersTest, FullScreenCommandShowsTheRetouchedPicture) {
    Select(1);
    test::Trigger(*form, "mnuReal");
    QAction* fullscreen = form->Action("mnuFullscreen");
    ASSERT_NE(fullscreen, nullptr);
    Picture2(*form)->View().row(3)[4] = 0xFF00FF00u;
    for (bool fit : {false, true}) {
        Check1(*form)->setChecked(fit);
        ModalWatcher watcher;
        fullscreen->trigger();
        ASSERT_EQ(watcher.opened, QStringList{fit ? "Form3" : "Form2"});
        EXPECT_EQ(FirstDifference(Picture2(*form)->Image(), watcher.shown.at(0)), "");
        EXPECT_EQ(watcher.shown.at(0).pixel(4, 3), 0xFF00FF00u);
    }
}

TEST_F(Form1ViewersTest, CtrlCCopiesThePictureWithoutTheOutlineAndOpensNoView) {
    Select(3);
    test::Trigger(*form, "mnuReal");
    test::Trigger(*form, "mnuWhite");
    const QImage retouched = Picture2(*form)->Image().copy();
    // Each menu has the entry right after its save entry.
    for (const auto& [menu, save, copy] :
         {std::tuple{"mnuRetouch", "mnuSaveImage", "mnuCopyImage"},
          std::tuple{"mnuSpecial", "mnuSaveImage2", "mnuCopyImage2"}}) {
        const QList<QAction*> entries = form->Action(menu)->menu()->actions();
        const qsizetype at = entries.indexOf(form->Action(save));
        ASSERT_GE(at, 0);
        EXPECT_EQ(entries.value(at + 1), form->Action(copy));
        EXPECT_EQ(form->Action(copy)->text(), QStringLiteral("クリップボードにコピー"));
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    const auto ctrlC = [this] { QTest::keyClick(Picture2(*form), Qt::Key_C, Qt::ControlModifier); };
    for (bool effects : {false, true}) {
        SCOPED_TRACE(effects ? "effects" : "retouch");
        clipboard->clear();
        if (effects) {
            test::Trigger(*form, "mnuChange");
            test::DragOnPicture(*form, {30, 10}, {34, 14});
            ASSERT_NE(FirstDifference(retouched, Picture2(*form)->Image()), "") << "no outline";
        }
        ModalWatcher watcher;
        ctrlC();
        EXPECT_TRUE(watcher.opened.isEmpty()) << watcher.opened.join(',').toStdString();
        EXPECT_EQ(
            FirstDifference(retouched, clipboard->image().convertToFormat(QImage::Format_RGB32)),
            "");
    }
    // Not in the browse state: there is no working picture on screen to copy.
    dialogs.yesNoAnswers = {true};  // the retouch is let go
    test::Trigger(*form, "mnuOpen4");
    clipboard->clear();
    ModalWatcher watcher;
    ctrlC();
    EXPECT_TRUE(clipboard->image().isNull());
    EXPECT_TRUE(watcher.opened.isEmpty());
}

TEST_F(Form1ViewersTest, ShowOnAnEmptyFolderRestoresEverything) {
    QTemporaryDir empty;
    File1(*form)->SetPath(empty.path());
    ASSERT_FALSE(form->ShowRunning());
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(paused.empty());
    EXPECT_FALSE(form->ShowRunning());
    EXPECT_EQ(Label8(*form)->palette().color(QPalette::Window), QColor(192, 255, 255));
    EXPECT_FALSE(File1(*form)->testAttribute(Qt::WA_SetCursor));
}

TEST_F(Form1ViewersTest, ShowFromTheFirstFileDisplaysEveryPicture) {
    Select(2);
    std::vector<QString> captions;
    onPause = [&](int) {
        EXPECT_EQ(Label8(*form)->palette().color(QPalette::Window), QColor(255, 0, 0));
        EXPECT_TRUE(form->ShowRunning());
        captions.push_back(Label5(*form)->text());
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 3}));
    EXPECT_EQ(paused, (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(captions.size(), 4u);
    EXPECT_EQ(captions[1], "    W X H = 900 X 700");
    EXPECT_EQ(WorkingSize(), kSizes[3]);
    EXPECT_FALSE(form->ShowRunning());
    EXPECT_EQ(Label8(*form)->palette().color(QPalette::Window), QColor(192, 255, 255));
}

TEST_F(Form1ViewersTest, ShowFromTheSelectedAndFromTheLastFile) {
    Option2(*form)->setChecked(true);
    Select(1);
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3}));

    Select(3);
    paused.clear();
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{3}));
    EXPECT_EQ(paused, (std::vector<int>{3}));
    EXPECT_FALSE(form->ShowRunning());
}

TEST_F(Form1ViewersTest, StopWhilePictureKIsShownEndsOnIt) {
    onPause = [this](int index) {
        if (index == 1) Later([this] { QTest::mouseClick(Label9(*form), Qt::LeftButton); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    test::WaitPreview(*form);
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 1}));
    EXPECT_EQ(File1(*form)->ListIndex(), 1);
    EXPECT_EQ(WorkingSize(), kSizes[1]);
    EXPECT_EQ(Label5(*form)->text(), "    W X H = 900 X 700");
    EXPECT_FALSE(form->ShowRunning());
}

TEST_F(Form1ViewersTest, CharacterKeyDuringTheShowStopsItWithoutOpeningTheViewer) {
    ModalWatcher watcher;
    onPause = [this](int index) {
        if (index == 2) Later([this] { TypeKey(File1(*form), Qt::Key_X, QStringLiteral("x")); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_TRUE(watcher.opened.isEmpty());
    EXPECT_EQ(File1(*form)->ListIndex(), 2);
    EXPECT_FALSE(form->ShowRunning());
    // The next key opens the viewer again.
    TypeKey(File1(*form), Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(watcher.opened, QStringList{"Form2"});
}

TEST_F(Form1ViewersTest, PreviewClickAndFullScreenCommandDuringTheShowOnlyStopIt) {
    ModalWatcher watcher;
    onPause = [this](int index) {
        if (index == 0)
            Later([this] { QTest::mouseClick(Image1(*form), Qt::LeftButton, {}, {3, 3}); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(File1(*form)->ListIndex(), 0);

    onPause = [this](int index) {
        if (index == 1) Later([this] { test::Trigger(*form, "mnuFullscreen"); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(File1(*form)->ListIndex(), 1);
    EXPECT_TRUE(watcher.opened.isEmpty());
    EXPECT_FALSE(form->ShowRunning());
}

TEST_F(Form1ViewersTest, NestedStartEndsTheOuterShowOneEntryBack) {
    bool nested = false;
    onPause = [&](int index) {
        if (!nested && index == 1) {
            nested = true;
            Later([this] { QTest::mouseClick(Label8(*form), Qt::LeftButton); });
        }
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    test::WaitPreview(*form);
    // Outer 0 0 1 2 | nested 0 0 1 2 3 | the outer steps back from 2 to 1.
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 0, 0, 1, 2, 3, 1}));
    EXPECT_EQ(File1(*form)->ListIndex(), 1);
    EXPECT_EQ(WorkingSize(), kSizes[1]);
    EXPECT_FALSE(form->ShowRunning());
    EXPECT_EQ(Label8(*form)->palette().color(QPalette::Window), QColor(192, 255, 255));
}

TEST_F(Form1ViewersTest, ShowEndsWithTheWorkingPictureAsLoaded) {
    onPause = [this](int index) {
        if (index == 3) Picture2(*form)->View().row(0)[0] = 0xFF000000u;
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(FirstDifference(Picture1(*form)->Picture(), Picture2(*form)->Image()), "");
}

TEST_F(Form1ViewersTest, ShowFromTheSelectedFileWithNoneSelectedWaitsOnceThenStartsAtZero) {
    Option2(*form)->setChecked(true);
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(paused, (std::vector<int>{-1, 0, 1, 2, 3}));
}

TEST_F(Form1ViewersTest, StopBeforeTheFirstPauseSelectsTheEntryBeforeTheStart) {
    // A stop already waiting when the show starts is seen at the first pending-events step.
    Later([this] { QTest::mouseClick(Label9(*form), Qt::LeftButton); });
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{0, 0}));
    EXPECT_TRUE(paused.empty());
    EXPECT_EQ(File1(*form)->ListIndex(), -1);  // before entry 0 there is nothing

    Option2(*form)->setChecked(true);
    Select(2);
    Later([this] { QTest::mouseClick(Label9(*form), Qt::LeftButton); });
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    test::WaitPreview(*form);
    EXPECT_EQ(shown, (std::vector<int>{2, 1}));
    EXPECT_EQ(WorkingSize(), kSizes[1]);
}

TEST_F(Form1ViewersTest, StopWhileTheLastPictureIsShownEndsThere) {
    onPause = [this](int index) {
        if (index == 3) Later([this] { QTest::mouseClick(Label9(*form), Qt::LeftButton); });
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 3}));
    EXPECT_EQ(File1(*form)->ListIndex(), 3);
}

TEST_F(Form1ViewersTest, FolderThatLosesFilesDuringTheShowEndsNormally) {
    onPause = [this](int index) {
        if (index != 1) return;
        for (int i = 2; i < 4; ++i) QFile::remove(dir.filePath(QStringLiteral("p%1.bmp").arg(i)));
        File1(*form)->Reread();
    };
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    // The count read at the start still bounds the loop; the missing entries are skipped.
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(paused, (std::vector<int>{0, 1, -1, -1}));
    EXPECT_FALSE(form->ShowRunning());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(Label8(*form)->palette().color(QPalette::Window), QColor(192, 255, 255));
}

TEST_F(Form1ViewersTest, PauseCutShortByQuittingEndsTheShow) {
    pauseCompletes = false;
    QTest::mouseClick(Label8(*form), Qt::LeftButton);
    EXPECT_EQ(shown, (std::vector<int>{0, 0}));
    EXPECT_FALSE(form->ShowRunning());
    EXPECT_EQ(Label8(*form)->palette().color(QPalette::Window), QColor(192, 255, 255));
}

}  // namespace
}  // namespace sorvenal
