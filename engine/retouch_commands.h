#pragma once
// The pixel work of each retouch-menu command, as the window layer calls it.
#include <optional>
#include <string_view>

#include "engine/canvas_view.h"
#include "engine/pixel_pipeline.h"

namespace sorvenal {

enum class RetouchCommand {
    Whiten,            // mnuWhite
    Sharpen,           // mnuSharp
    Gamma,             // mnuGamma
    Backlight,         // mnubackbright2
    BacklightSpecial,  // mnubackbright
    Saturate,          // mnuShade (its pass, then the full darken command)
    Desaturate,        // mnuShade2 (likewise)
    Darken,            // mnuDark
    Lighten,           // mnulight
    ContrastUp,        // mnuContrast
    ContrastDown,      // mnuContrast2
};

// Per-pixel commands make the save entry visible; byte commands leave it alone.
bool IsPixelCommand(RetouchCommand command);
// The saturation commands run the darken command after their own pass.
bool EndsWithDarken(RetouchCommand command);

// One pass of the command (for the saturation commands: their own pass only).
void RunRetouchPass(const CanvasView& canvas, RetouchCommand command,
                    const Progress& progress = {});
// The whole pixel work of the command (for the saturation commands: pass, then darken pass).
void RunRetouchCommand(const CanvasView& canvas, RetouchCommand command,
                       const Progress& progress = {});

// The command-line step names: "gamma", "backlight-special", "contrast-up", ...
std::optional<RetouchCommand> RetouchCommandFromName(std::string_view name);

}  // namespace sorvenal
