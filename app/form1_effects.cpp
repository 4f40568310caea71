// Wiring of the circle effects and the bitmap save: the window lends its boxes, circle and
// busy feedback to the commands of effects/ and savehelp/.
#include "app/main_window.h"
#include "effects/circle_commands.h"
#include "savehelp/save_bitmap.h"

namespace sorvenal {

void Form1::RunCircleMenuCommand(CircleEffect effect) {
    working_->RunCircleCommand(
        CircleCommandContext{
            .Picture2 = nullptr,  // the working picture's own
            .Picture3 = nullptr,
            .circle = circle,
            .random = random,
            .dialogs = dialogs(),
            .parent = this,
            .busy = busy_,
            .DefaultPointer = [this] { unsetCursor(); },
        },
        effect);
}

void Form1::mnuCirclelight_Click() { RunCircleMenuCommand(CircleEffect::Light); }
void Form1::mnuCirclered_Click() { RunCircleMenuCommand(CircleEffect::Red); }
void Form1::mnuEyeblue_Click() { RunCircleMenuCommand(CircleEffect::EyeBlue); }
void Form1::mnuSpotlight_Click() { RunCircleMenuCommand(CircleEffect::Spotlight); }
void Form1::mnuCircle_Click() { RunCircleMenuCommand(CircleEffect::Picture); }

void Form1::mnuSaveImage_Click() {
    if (SaveImageAsBitmap(
            SaveImageContext{DirCancel, Dir1, File1, working_->Saved(), dialogs(), this}))
        working_->MarkSaved();
}

}  // namespace sorvenal
