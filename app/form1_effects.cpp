// Wiring of the circle effects, the save and the copy to the clipboard: the window lends its
// boxes, circle and busy feedback to the commands of effects/ and savehelp/.
#include "app/main_window.h"
#include "effects/circle_commands.h"
#include "platform/picture_box.h"
#include "savehelp/save_image.h"

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
    if (SaveImage(SaveImageContext{DirCancel, Dir1, File1, working_->Saved(), dialogs(), this,
                                   selected_->Path(), saveChoice_}))
        working_->MarkSaved();
}

// The picture as the steps left it: in the effects state without the circle's outline.
void Form1::mnuCopyImage_Click() { CopyImageToClipboard(working_->Saved()->Image()); }
void Form1::mnuCopyImage2_Click() { mnuCopyImage_Click(); }

}  // namespace sorvenal
