// Two screens side by side (ctest gives the offscreen platform two_screens.json): the window
// rules and the full-screen views use the screen that holds the main window, not the first.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include "app/main_window.h"
#include "platform/file_list.h"
#include "tests/support/form1_controls.h"
#include "tests/support/form1_fixture.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_pictures.h"
#include "viewers/fullscreen_view.h"

namespace sorvenal {
namespace {

using namespace test::form1;  // the main window's controls by name

TEST(ScreensTest, WindowAndViewsStayOnTheScreenHoldingTheWindow) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2) << "run with the offscreen platform's two_screens.json";
    QScreen* second = screens[1];
    const QRect area = second->geometry();
    test::Form1Session session;
    session.Write(QStringLiteral("p.bmp"), test::GradientPicture(300, 200));
    Form1& form = session.Open({}, test::Visibility::Hidden);
    form.move(area.topLeft() + QPoint(50, 50));
    form.show();
    ASSERT_EQ(form.screen(), second);

    test::Trigger(form, "mnuOpen");  // centred on the screen that holds it
    EXPECT_EQ(form.screen(), second);
    EXPECT_EQ(form.ScreenSize().width, PixelsToTwips(area.width()));
    EXPECT_EQ(form.ScreenSize().height, PixelsToTwips(area.height()));
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - area.center().x()), 1);

    File1(form)->SetListIndex(0);
    for (bool fit : {false, true}) {
        Check1(form)->setChecked(fit);
        QRect viewArea;
        QTimer::singleShot(0, [&] {
            auto* view = qobject_cast<FullScreenView*>(QApplication::activeModalWidget());
            ASSERT_NE(view, nullptr);
            viewArea = view->geometry();
            view->CloseView();
        });
        form.OpenFullScreenView();
        EXPECT_EQ(viewArea, area) << (fit ? "fit view" : "actual-size view");
    }
}

}  // namespace
}  // namespace sorvenal
