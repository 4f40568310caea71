#pragma once
// The pixel work of each retouch-menu command, as the window layer calls it.
#include <optional>
#include <span>
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
    Saturate,          // mnuShade
    Desaturate,        // mnuShade2
    Darken,            // mnuDark
    Lighten,           // mnulight
    ContrastUp,        // mnuContrast
    ContrastDown,      // mnuContrast2
};

// Per-pixel commands make the save entry visible; byte commands leave it alone.
bool IsPixelCommand(RetouchCommand command);
// What a menu command runs, in order: the command's own pass first, then each command after it
// in full, within the one before. The saturation commands end with the whole darken command.
std::span<const RetouchCommand> RetouchPasses(RetouchCommand command);

// The command's own pass alone.
void RunRetouchPass(const CanvasView& canvas, RetouchCommand command,
                    const Progress& progress = {});
// The whole pixel work of the command: every pass of RetouchPasses, folded where they can be.
void RunRetouchCommand(const CanvasView& canvas, RetouchCommand command,
                       const Progress& progress = {});

// The per-channel table of a command whose whole work is one such table; nothing for the
// others. Consecutive table commands chain into one pass.
std::optional<ChannelTables> RetouchCommandTables(RetouchCommand command);

// The command-line step names: "gamma", "backlight-special", "contrast-up", ...
std::optional<RetouchCommand> RetouchCommandFromName(std::string_view name);
std::string_view RetouchCommandName(RetouchCommand command);

}  // namespace sorvenal
