// Clicks on the working picture: the skin-click retouch and circle marking.
#include <cmath>

#include "app/form1_text.h"
#include "app/main_window.h"
#include "platform/busy_indicator.h"
#include "platform/picture_box.h"

namespace sorvenal {

void Form1::Picture2_MouseDown(int button, int /*shift*/, double x, double y) {
    if (SkinClickOn) {
        setWindowTitle(kProgramCaption);
        working_->RunSkinClick(skin, x, y, busy_, kProgramCaption);
    }
    if (working_->CircleMode() && button == kLeftButton) {
        working_->BeginCircle();
        circle.X1 = static_cast<float>(x);
        circle.Y1 = static_cast<float>(y);
        // Shown from the press on, over the picture: the pixels get the outline on release.
        Picture2->SetLiveOutline(circle.X1, circle.Y1, 0);
    }
}

void Form1::Picture2_MouseMove(int button, int /*shift*/, double x, double y) {
    if (working_->CircleMode() && button == kLeftButton) {
        X2 = static_cast<float>(x);
        Y2 = static_cast<float>(y);
        const double dx = static_cast<double>(X2) - circle.X1;
        const double dy = static_cast<double>(Y2) - circle.Y1;
        Picture2->SetLiveOutline(circle.X1, circle.Y1, std::floor(std::sqrt(dx * dx + dy * dy)));
    }
}

void Form1::Picture2_MouseUp(int /*button*/, int /*shift*/, double /*x*/, double /*y*/) {
    if (!working_->CircleMode()) return;
    Picture2->ClearLiveOutline();
    const double dx = static_cast<double>(X2) - circle.X1;
    const double dy = static_cast<double>(Y2) - circle.Y1;
    circle.rl = static_cast<float>(std::floor(std::sqrt(dx * dx + dy * dy)));
    working_->DrawCircle(circle);
}

}  // namespace sorvenal
