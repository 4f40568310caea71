// Wiring of the circle effects and the bitmap save: the window lends its boxes, circle and
// busy feedback to the commands of effects/ and savehelp/.
#include "app/main_window.h"
#include "effects/circle_commands.h"
#include "platform/busy_indicator.h"
#include "savehelp/save_bitmap.h"

namespace sorvenal {

namespace {

void RunCircleMenuCommand(Form1& form, CircleEffect effect) {
    const CircleCommandContext context{
        .Picture2 = form.Picture2,
        .Picture3 = form.Picture3,
        .circle = form.circle,
        .random = form.random,
        .dialogs = form.dialogs(),
        .parent = &form,
        .Animation1 = form.Animation1,
        .BeginBusy = [&form] { form.BeginBusy(); },
        .EndBusy = [&form](const QString& caption) { form.EndBusy(caption); },
        .DefaultPointer = [&form] { form.unsetCursor(); },
    };
    RunCircleCommand(context, effect);
}

}  // namespace

void Form1::mnuCirclelight_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(*this, CircleEffect::Light); });
}

void Form1::mnuCirclered_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(*this, CircleEffect::Red); });
}

void Form1::mnuEyeblue_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(*this, CircleEffect::EyeBlue); });
}

void Form1::mnuSpotlight_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(*this, CircleEffect::Spotlight); });
}

void Form1::mnuCircle_Click() {
    RecordStep(true, [this] { RunCircleMenuCommand(*this, CircleEffect::Picture); });
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
