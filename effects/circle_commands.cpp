#include "effects/circle_commands.h"

#include "platform/busy_indicator.h"
#include "platform/dialog_service.h"
#include "platform/picture_box.h"

namespace sorvenal {

bool RunCircleCommand(const CircleCommandContext& context, CircleEffect effect) {
    PictureBox& Picture2 = *context.Picture2;
    PictureBox& Picture3 = *context.Picture3;

    // Start from the snapshot: this also removes the outline of the marked circle.
    Picture2.SetPicture(Picture3.Picture());
    Picture2.Cls();

    if (!(context.circle.rl > 0)) {
        context.dialogs.Message(context.parent, kCircleMissingMessage);
        return false;
    }

    if (context.BeginBusy) context.BeginBusy();

    // The view is taken here, on the user-interface thread, so the image detaches from the
    // picture before the worker writes into it.
    const CanvasView canvas = Picture2.View();
    Progress progress;
    if (BusyIndicator* busy = context.Animation1)
        progress = [busy](int done, int total) { busy->SetProgress(done, total); };
    const Circle circle = context.circle;
    RandomSequence& random = context.random;
    RunBusyWork([&] { RunCircleEffect(canvas, effect, circle, random, progress); });
    Picture2.Refresh();

    // The result becomes the new snapshot, and the canvas shows it without any outline.
    Picture3.SetPicture(Picture2.Image());
    Picture2.ClearPicture();
    Picture2.SetPicture(Picture3.Picture());
    Picture2.Refresh();

    if (context.EndBusy) context.EndBusy(kCircleDoneCaption);
    if (context.DefaultPointer) context.DefaultPointer();
    return true;
}

}  // namespace sorvenal
