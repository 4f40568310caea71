// Clicks on the working picture: the skin-click retouch and circle marking.
#include <cmath>

#include "app/form1_text.h"
#include "app/main_window.h"
#include "platform/busy_indicator.h"
#include "platform/picture_box.h"

namespace sorvenal {

void Form1::Picture2_MouseDown(int button, int /*shift*/, double x, double y) {
    if (SkinClickOn) RecordStep(false, [&] { SkinClickRetouch(x, y); });
    if (CircleMode && button == kLeftButton) {
        Picture2->SetPicture(Picture3->Picture());
        Picture2->Cls();
        circle.X1 = static_cast<float>(x);
        circle.Y1 = static_cast<float>(y);
    }
}

void Form1::Picture2_MouseMove(int button, int /*shift*/, double x, double y) {
    if (CircleMode && button == kLeftButton) {
        X2 = static_cast<float>(x);
        Y2 = static_cast<float>(y);
    }
}

void Form1::Picture2_MouseUp(int /*button*/, int /*shift*/, double /*x*/, double /*y*/) {
    if (!CircleMode) return;
    const double dx = static_cast<double>(X2) - circle.X1;
    const double dy = static_cast<double>(Y2) - circle.Y1;
    circle.rl = static_cast<float>(std::floor(std::sqrt(dx * dx + dy * dy)));
    Picture2->DrawCircleNotXor(circle.X1, circle.Y1, circle.rl);
}

void Form1::SkinClickRetouch(double x, double y) {
    setWindowTitle(kProgramCaption);
    BeginBusy();
    const Progress progress = [this](int done, int total) { Animation1->SetProgress(done, total); };
    RunBusyPass(
        [&](const CanvasView& view) { SkinClickRetouchPixels(view, skin, x, y, progress); });
    Picture2->Refresh();
    EndBusy(kProgramCaption);
    setWindowTitle(kProgramCaption);
}

}  // namespace sorvenal
