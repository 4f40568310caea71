// The busy indicator keeps playing while a command holds the user-interface thread.
#include "platform/busy_indicator.h"

#include <gtest/gtest.h>

#include <QThread>
#include <thread>

namespace sorvenal {
namespace {

TEST(BusyIndicatorTest, ProgressOnItsOwnThreadStepsTheAnimationAtTheTimerPace) {
    BusyIndicator busy;
    busy.resize(200, 40);
    busy.Start();
    ASSERT_TRUE(busy.isVisible());
    const int first = busy.Frame();
    busy.SetProgress(1, 64);  // too soon after the start for a new frame
    EXPECT_EQ(busy.Frame(), first);
    QThread::msleep(120);
    busy.SetProgress(2, 64);
    EXPECT_EQ(busy.Frame(), first + 1);

    // Reports from a pass's helper thread only store the figure.
    QThread::msleep(120);
    std::thread helper([&] { busy.SetProgress(3, 64); });
    helper.join();
    EXPECT_EQ(busy.Frame(), first + 1);

    busy.Stop();
    EXPECT_FALSE(busy.isVisible());
    QThread::msleep(120);
    busy.SetProgress(4, 64);  // a stopped indicator stays still
    EXPECT_EQ(busy.Frame(), first + 1);
}

}  // namespace
}  // namespace sorvenal
