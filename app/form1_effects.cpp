// Wiring of the circle effects and the bitmap save: the window lends its boxes, circle and
// busy feedback to the commands of effects/ and savehelp/.
#include "app/main_window.h"
#include "effects/circle_commands.h"
#include "platform/busy_indicator.h"
#include "savehelp/save_bitmap.h"

namespace sorvenal {

void Form1::RunCircleMenuCommand(CircleEffect effect) {
    const CircleCommandContext context{
        .Picture2 = Picture2,
        .Picture3 = Picture3,
        .circle = circle,
        .random = random,
        .dialogs = dialogs(),
        .parent = this,
        .Animation1 = Animation1,
        .BeginBusy = [this] { BeginBusy(); },
        .EndBusy = [this](const QString& caption) { EndBusy(caption); },
        .DefaultPointer = [this] { unsetCursor(); },
    };
    RunCircleCommand(context, effect);
}

void Form1::mnuCirclelight_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(CircleEffect::Light); });
}

void Form1::mnuCirclered_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(CircleEffect::Red); });
}

void Form1::mnuEyeblue_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(CircleEffect::EyeBlue); });
}

void Form1::mnuSpotlight_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(CircleEffect::Spotlight); });
}

void Form1::mnuCircle_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(CircleEffect::Picture); });
}

void Form1::mnuSaveImage_Click() {
    if (RunAfterShow(&Form1::mnuSaveImage_Click)) return;
    WaitForFullPicture();
    // In the effects state the picture without the circle outline is the snapshot: the outline
    // is only a mark on the screen and never part of what is saved.
    PictureBox* saved = CircleMode ? Picture3 : Picture2;
    SaveImageAsBitmap(SaveImageContext{DirCancel, Dir1, File1, saved, dialogs(), this});
}

}  // namespace sorvenal
