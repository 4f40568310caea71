#pragma once
// The command line of sorvenal-retouch, parsed and checked before any file is touched.
#include <string>
#include <string_view>
#include <vector>

#include "effects/circle_effects.h"
#include "engine/retouch_commands.h"

namespace sorvenal {

// Exit codes of the tool.
enum RetouchExit {
    kExitOk = 0,
    kExitUsage = 2,        // usage, unknown step, malformed number
    kExitUnreadable = 3,   // IN cannot be read as a picture
    kExitExists = 4,       // OUT exists and --force was not given
    kExitWriteFailed = 5,  // OUT cannot be written
};

// Limits of step coordinates, in pixels.
inline constexpr int kMaxStepCoordinate = 1'000'000;
inline constexpr int kMaxStepRadius = 1'000'000;

struct RetouchStep {
    enum class Kind { Command, Skin, Circle };
    Kind kind = Kind::Command;
    std::string text;                                // the step as written, for messages
    RetouchCommand command = RetouchCommand::Gamma;  // Kind::Command
    bool skinNormal = false;                         // Kind::Skin: skin-normal (Dw 1)
    CircleEffect effect = CircleEffect::Light;       // Kind::Circle
    int x = 0, y = 0;                                // Kind::Skin and Kind::Circle
    int radius = 0;                                  // Kind::Circle, >= 1
};

struct RetouchArgs {
    bool help = false;     // --help: print the usage, touch nothing
    bool version = false;  // --version: print the version, touch nothing
    bool force = false;    // replace OUT when it exists
    int quality = -1;      // --quality N for a JPEG OUT; -1: the default
    std::string replay;    // --replay JOURNAL: the steps and the source come from the journal
    std::string in;
    std::string out;
    std::vector<RetouchStep> steps;
};

struct RetouchArgsResult {
    RetouchArgs args;
    std::string error;  // one line, empty when the command line is sound
    bool ok() const { return error.empty(); }
};

// The file type OUT is written as, by its extension (any case): .jpg and .jpeg JPEG, .png
// PNG, anything else a 24-bit BMP.
enum class OutputType { Bmp, Jpeg, Png };
OutputType OutputTypeOf(std::string_view out);

// args excludes the program name.
RetouchArgsResult ParseRetouchArgs(const std::vector<std::string>& args);
// One step as written on the command line ("gamma", "skin=10,20", "spotlight=5,6,7").
bool ParseRetouchStep(std::string_view text, RetouchStep& step, std::string& error);

// The text of an argument as a message shows it: control bytes as \xNN, so that an argument
// with a line break or an escape sequence still gives one plain line.
std::string ShownArgument(std::string_view text);

// The contract printed by --help and after a usage error's one line.
const char* RetouchUsage();

}  // namespace sorvenal
