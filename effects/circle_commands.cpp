#include "effects/circle_commands.h"

#include "platform/busy_indicator.h"
#include "platform/canvas_image.h"
#include "platform/dialog_service.h"
#include "platform/picture_box.h"
#include "platform/shared_texts.h"

namespace sorvenal {

bool RunCircleCommand(const CircleCommandContext& context, CircleEffect effect) {
    PictureBox& Picture2 = *context.Picture2;
    PictureBox& Picture3 = *context.Picture3;

    // Start from the snapshot: this also removes the outline of the marked circle.
    Picture2.SetPicture(Picture3.Picture());
    Picture2.Cls();

    if (!(context.circle.rl > 0)) {
        context.dialogs.Message(context.parent, kSetCircleText);
        return false;
    }

    context.busy.Run(kCircleDoneCaption, [&](const Progress& progress) {
        // The pass works in place on the snapshot's pixels. While it runs, the boxes let go of
        // them, so no copy of the whole picture is made; nothing repaints the canvas meanwhile.
        QImage work = Picture3.Picture();
        Picture2.ClearPicture();
        Picture3.ClearPicture();
        // Copies only when someone else still holds the pixels.
        const CanvasView canvas = ViewOf(work);
        RunCircleEffect(canvas, effect, context.circle, context.random, progress);

        // The result becomes the new snapshot, and the canvas shows it without any outline.
        Picture3.SetPicture(work);
        Picture2.SetPicture(work);
        Picture2.Refresh();
    });
    if (context.DefaultPointer) context.DefaultPointer();
    return true;
}

}  // namespace sorvenal
