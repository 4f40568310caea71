// The show's own pieces; the show over real folders is driven through the main window in
// tests/app/form1_viewers_test.cpp.
#include "viewers/continuous_show.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTimer>

namespace sorvenal {
namespace {

TEST(ShowTest, StopWithNoShowRunningOnlyRepeatsItsAssignments) {
    QLabel Label8(QStringLiteral(" Start "));
    bool ShowCancel = false;
    int resets = 0, finishes = 0;
    ShowContext context;
    context.Label8 = &Label8;
    context.ShowCancel = &ShowCancel;
    context.ResetWorkingPicture = [&] { ++resets; };
    context.FolderFinish = [&] { ++finishes; };
    StopShow(context);
    EXPECT_TRUE(ShowCancel);
    EXPECT_EQ(Label8.palette().color(QPalette::Window), QColor(192, 255, 255));
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(finishes, 0);
}

TEST(ShowTest, BlockingPauseRunsItsFullTimeAndKeepsTimersGoing) {
    bool timerRan = false;
    QTimer::singleShot(5, [&] { timerRan = true; });
    EXPECT_TRUE(BlockingPause(30));
    EXPECT_TRUE(timerRan);
}

}  // namespace
}  // namespace sorvenal
