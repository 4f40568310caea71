#include "viewers/continuous_show.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/file_list.h"
#include "tests/support/test_pictures.h"

namespace sorvenal {
namespace {

// A stand-in for the main window's show panel: the file list, the two option buttons and the
// Start label, with a record of every entry displayed and every pause taken.
class ShowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        File1.SetPattern(QStringLiteral("*.bmp;*.jpg;*.gif"));
        Option1->setChecked(true);
        QObject::connect(&File1, &FileList::Click, [this] { shown.push_back(File1.ListIndex()); });
        context.File1 = &File1;
        context.Label8 = &Label8;
        context.Option1 = Option1;
        context.ShowCancel = &ShowCancel;
        context.FolderFinish = [this] { ++finishCalls; };
        context.ResetWorkingPicture = [this] { ++resets; };
        context.pause = [this](int ms) {
            EXPECT_EQ(ms, 1000);
            EXPECT_FALSE(ShowCancel);
            EXPECT_EQ(Back(), QColor(255, 0, 0));
            EXPECT_EQ(File1.cursor().shape(), Qt::WaitCursor);
            paused.push_back(File1.ListIndex());
            if (onPause) onPause(File1.ListIndex());
            return true;
        };
    }

    void Fill(int count) {
        for (int i = 0; i < count; ++i)
            test::WritePicture(folder.path(), QStringLiteral("p%1.bmp").arg(i),
                               test::GradientPicture(8 + i, 8));
        File1.SetPath(folder.path());
        ASSERT_EQ(File1.ListCount(), count);
    }

    QColor Back() const { return Label8.palette().color(QPalette::Window); }

    void ExpectEndedCleanly() {
        EXPECT_TRUE(ShowCancel);
        EXPECT_EQ(finishCalls, 1);
        EXPECT_EQ(resets, 1);
        EXPECT_EQ(Back(), QColor(192, 255, 255));
        EXPECT_EQ(File1.cursor().shape(), Qt::ArrowCursor);
    }

    QTemporaryDir folder;
    FileList File1;
    QLabel Label8{QStringLiteral(" Start ")};
    QWidget panel;  // the two options form one group
    QRadioButton* Option1 = new QRadioButton(QStringLiteral("最初から"), &panel);
    QRadioButton* Option2 = new QRadioButton(QStringLiteral("選択ファイルからスタート"), &panel);
    bool ShowCancel = true;
    ShowContext context;
    std::vector<int> shown;   // entries displayed, in order
    std::vector<int> paused;  // entry on screen at each pause
    std::function<void(int)> onPause;
    int finishCalls = 0;
    int resets = 0;
};

TEST_F(ShowTest, EmptyFolderEndsAtOnceAndRestoresEverything) {
    File1.SetPath(folder.path());
    RunShow(context);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(paused.empty());
    ExpectEndedCleanly();
}

TEST_F(ShowTest, FromTheFirstFileEvenWhenALaterOneIsSelected) {
    Fill(4);
    File1.SetListIndex(2);
    shown.clear();
    RunShow(context);
    // Entry 0 is selected by the start option and again by the loop.
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 3}));
    EXPECT_EQ(paused, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(File1.ListIndex(), 3);
    ExpectEndedCleanly();
}

TEST_F(ShowTest, FromTheSelectedFile) {
    Fill(4);
    Option2->setChecked(true);
    File1.SetListIndex(1);
    shown.clear();
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(paused, (std::vector<int>{1, 2, 3}));
    ExpectEndedCleanly();
}

TEST_F(ShowTest, FromTheLastFileShowsItOnceMore) {
    Fill(3);
    Option2->setChecked(true);
    File1.SetListIndex(2);
    shown.clear();
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{2}));
    EXPECT_EQ(paused.size(), 1u);
    ExpectEndedCleanly();
}

TEST_F(ShowTest, FromTheSelectedFileWithNoneSelectedWaitsOnceThenStartsAtZero) {
    Fill(2);
    Option2->setChecked(true);
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{0, 1}));
    EXPECT_EQ(paused, (std::vector<int>{-1, 0, 1}));
    ExpectEndedCleanly();
}

TEST_F(ShowTest, StopWhilePictureKIsShownEndsOnK) {
    Fill(5);
    // The stop is clicked during the pause; it reaches the show at the next pending-events
    // step, after the next entry has been displayed.
    onPause = [this](int index) {
        if (index == 2)
            QMetaObject::invokeMethod(
                &File1, [this] { StopShow(context); }, Qt::QueuedConnection);
    };
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 3, 2}));
    EXPECT_EQ(File1.ListIndex(), 2);
    EXPECT_TRUE(ShowCancel);
    EXPECT_EQ(finishCalls, 1);
    EXPECT_EQ(resets, 2);  // once by Stop, once by the show's end
    EXPECT_EQ(Back(), QColor(192, 255, 255));
    EXPECT_EQ(File1.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ShowTest, StopWhileTheLastPictureIsShownEndsThere) {
    Fill(3);
    onPause = [this](int index) {
        if (index == 2) StopShow(context);
    };
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2}));
    EXPECT_EQ(File1.ListIndex(), 2);
    EXPECT_TRUE(ShowCancel);
}

TEST_F(ShowTest, StopBeforeTheFirstPauseSelectsTheEntryBeforeTheStart) {
    Fill(3);
    // A stop already waiting when the show starts is seen at the first pending-events step.
    QMetaObject::invokeMethod(
        &File1, [this] { ShowCancel = true; }, Qt::QueuedConnection);
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{0, 0}));
    EXPECT_TRUE(paused.empty());
    EXPECT_EQ(File1.ListIndex(), -1);  // before entry 0 there is nothing
    ExpectEndedCleanly();

    Option2->setChecked(true);
    File1.SetListIndex(1);
    shown.clear();
    QMetaObject::invokeMethod(
        &File1, [this] { ShowCancel = true; }, Qt::QueuedConnection);
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{1, 0}));
    EXPECT_EQ(File1.ListIndex(), 0);
}

TEST_F(ShowTest, StopWithNoShowRunningOnlyRepeatsItsAssignments) {
    ShowCancel = false;
    Label8.setAutoFillBackground(true);
    StopShow(context);
    EXPECT_TRUE(ShowCancel);
    EXPECT_EQ(Back(), QColor(192, 255, 255));
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(finishCalls, 0);
}

TEST_F(ShowTest, FolderThatLosesFilesDuringTheShowEndsNormally) {
    Fill(5);
    onPause = [this](int index) {
        if (index != 1) return;
        for (int i = 2; i < 5; ++i)
            QFile::remove(folder.filePath(QStringLiteral("p%1.bmp").arg(i)));
        File1.Reread();
    };
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1}));
    // The count read at the start still bounds the loop; the missing entries are skipped.
    EXPECT_EQ(paused, (std::vector<int>{0, 1, -1, -1, -1}));
    ExpectEndedCleanly();
}

TEST_F(ShowTest, NestedStartEndsTheOuterShowOneEntryBack) {
    Fill(3);
    int depth = 0;
    onPause = [&](int index) {
        if (depth == 0 && index == 1) {
            ++depth;
            QMetaObject::invokeMethod(
                &File1, [this] { RunShow(context); }, Qt::QueuedConnection);
        }
    };
    RunShow(context);
    // Outer: 0 0 1 2 | nested: 0 0 1 2 | outer steps back from entry 2 to 1.
    EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 2, 0, 0, 1, 2, 1}));
    EXPECT_EQ(File1.ListIndex(), 1);
    EXPECT_TRUE(ShowCancel);
    EXPECT_EQ(finishCalls, 2);
    EXPECT_EQ(Back(), QColor(192, 255, 255));
}

TEST_F(ShowTest, PauseCutShortByQuittingEndsTheShow) {
    Fill(4);
    context.pause = [this](int) {
        paused.push_back(File1.ListIndex());
        return false;
    };
    RunShow(context);
    EXPECT_EQ(shown, (std::vector<int>{0, 0}));
    ExpectEndedCleanly();
}

TEST_F(ShowTest, ProcessWidePauseOverrideIsUsedWhenTheContextHasNone) {
    Fill(2);
    context.pause = nullptr;
    int calls = 0;
    SetShowPauseOverride([&](int ms) {
        EXPECT_EQ(ms, 1000);
        ++calls;
        return true;
    });
    RunShow(context);
    SetShowPauseOverride(nullptr);
    EXPECT_EQ(calls, 2);
    ExpectEndedCleanly();
}

TEST(BlockingPauseTest, RunsItsFullTimeAndKeepsTimersGoing) {
    bool timerRan = false;
    QTimer::singleShot(5, [&] { timerRan = true; });
    EXPECT_TRUE(BlockingPause(30));
    EXPECT_TRUE(timerRan);
}

}  // namespace
}  // namespace sorvenal
