#pragma once
// Every retouch command by its step name (the command line's) and its menu entry's name.
#include "engine/retouch_commands.h"

namespace sorvenal::test {

struct RetouchStepName {
    const char* step;
    const char* menu;
    RetouchCommand command;
};

inline constexpr RetouchStepName kRetouchSteps[] = {
    {"backlight", "mnubackbright2", RetouchCommand::Backlight},
    {"backlight-special", "mnubackbright", RetouchCommand::BacklightSpecial},
    {"lighten", "mnulight", RetouchCommand::Lighten},
    {"darken", "mnuDark", RetouchCommand::Darken},
    {"contrast-up", "mnuContrast", RetouchCommand::ContrastUp},
    {"contrast-down", "mnuContrast2", RetouchCommand::ContrastDown},
    {"saturate", "mnuShade", RetouchCommand::Saturate},
    {"desaturate", "mnuShade2", RetouchCommand::Desaturate},
    {"gamma", "mnuGamma", RetouchCommand::Gamma},
    {"whiten", "mnuWhite", RetouchCommand::Whiten},
    {"sharpen", "mnuSharp", RetouchCommand::Sharpen},
};

}  // namespace sorvenal::test
