#include "engine/retouch_commands.h"

#include <array>
#include <memory>
#include <utility>

#include "engine/kernels.h"

namespace sorvenal {

namespace {

long long PixelCount(const CanvasView& canvas) {
    return static_cast<long long>(canvas.width) * canvas.height;
}

// Whitening reads only red and green, so 65536 entries hold every answer, as whole pixels.
const std::uint32_t* WhitenTable() {
    static const std::unique_ptr<std::uint32_t[]> table = [] {
        auto t = std::make_unique<std::uint32_t[]>(65536);
        for (int r = 0; r < 256; ++r)
            for (int g = 0; g < 256; ++g)
                t[(r << 8) | g] = ToCanvasPixel(WhitenColor(RGB(r, g, 0)));
        return t;
    }();
    return table.get();
}

void RunWhitenPass(const CanvasView& canvas, const Progress& progress) {
    const std::uint32_t* table = WhitenTable();
    ForEachRowBand(
        canvas.height, PixelCount(canvas),
        [&canvas, table](int begin, int end) {
            for (int y = begin; y < end; ++y) {
                std::uint32_t* row = canvas.row(y);
                for (int x = 0; x < canvas.width; ++x) row[x] = table[(row[x] >> 8) & 0xFFFFu];
            }
        },
        progress);
}

// The saturation functions change the two smaller components, each from itself and the largest
// one, by a rule that depends on which component is largest. One table per case, indexed
// [largest][other], filled from the scalar function; `post` is a byte curve folded in after it.
struct SaturationTables {
    std::uint8_t redLargest[256][256];
    std::uint8_t greenLargest[256][256];
    std::uint8_t blueLargest[256][256];
    std::uint8_t post[256];
};

std::unique_ptr<SaturationTables> MakeSaturationTables(ColorFunction fn, ByteFunction post) {
    auto t = std::make_unique<SaturationTables>();
    for (int v = 0; v < 256; ++v) t->post[v] = static_cast<std::uint8_t>(post ? post(v) : v);
    for (int m = 0; m < 256; ++m) {
        for (int o = 0; o < 256; ++o) {
            // Entries with o above m (or equal, where red does not win ties) are never looked up.
            t->redLargest[m][o] = t->post[GreenOf(fn(RGB(m, o, 0)))];
            t->greenLargest[m][o] = t->post[RedOf(fn(RGB(o, m, 0)))];
            t->blueLargest[m][o] = t->post[GreenOf(fn(RGB(0, o, m)))];
        }
    }
    return t;
}

void RunSaturationPass(const CanvasView& canvas, const SaturationTables& t,
                       const Progress& progress) {
    ForEachRowBand(
        canvas.height, PixelCount(canvas),
        [&canvas, &t](int begin, int end) {
            for (int y = begin; y < end; ++y) {
                std::uint32_t* row = canvas.row(y);
                for (int x = 0; x < canvas.width; ++x) {
                    const std::uint32_t p = row[x];
                    const unsigned r = (p >> 16) & 0xFFu, g = (p >> 8) & 0xFFu, b = p & 0xFFu;
                    unsigned r2, g2, b2;
                    if (r >= g && r >= b) {
                        r2 = t.post[r];
                        g2 = t.redLargest[r][g];
                        b2 = t.redLargest[r][b];
                    } else if (g > b) {  // red lost, so green beats red as well
                        r2 = t.greenLargest[g][r];
                        g2 = t.post[g];
                        b2 = t.greenLargest[g][b];
                    } else if (b > g) {
                        r2 = t.blueLargest[b][r];
                        g2 = t.blueLargest[b][g];
                        b2 = t.post[b];
                    } else {  // green equals blue, both above red: no test matches
                        r2 = t.post[r];
                        g2 = t.post[g];
                        b2 = t.post[b];
                    }
                    row[x] = 0xFF000000u | (r2 << 16) | (g2 << 8) | b2;
                }
            }
        },
        progress);
}

// Built on first use: each costs about 200 000 scalar calls.
const SaturationTables& SaturationTablesFor(RetouchCommand command, bool withDarken) {
    if (command == RetouchCommand::Desaturate) {
        if (withDarken) {
            static const auto t = MakeSaturationTables(&DesaturateColor, &DarkenByte);
            return *t;
        }
        static const auto t = MakeSaturationTables(&DesaturateColor, nullptr);
        return *t;
    }
    if (withDarken) {
        static const auto t = MakeSaturationTables(&SaturateColor, &DarkenByte);
        return *t;
    }
    static const auto t = MakeSaturationTables(&SaturateColor, nullptr);
    return *t;
}

// Components in 16-bit lanes (blue 0-15, green 16-31, red 32-47) so that nine reads add up
// without unpacking each one.
inline std::uint64_t Lanes(std::uint32_t p) {
    return (p & 0xFFu) | ((p & 0xFF00u) << 8) | (std::uint64_t{p & 0xFF0000u} << 16);
}

// Interior result from lane value 17 * centre + 2040 - (sum of the eight neighbours).
inline unsigned SharpenLane(unsigned lane) {
    if (lane <= 2040) return 0;
    const unsigned v = (lane - 2040) / 9;
    return v > 255 ? 255 : v;
}

void SharpenRow(const CanvasView& canvas, int y) {
    std::uint32_t* cur = canvas.row(y);
    const int w = canvas.width;
    const bool interiorRow = y > 0 && y < canvas.height - 1 && w >= 3;
    if (!interiorRow) {
        for (int x = 0; x < w; ++x) cur[x] = ToCanvasPixel(SharpenPixel(canvas, x, y));
        return;
    }
    // The row above is final, the row below untouched; only the left neighbour changes as we go.
    const std::uint32_t* up = canvas.row(y - 1);
    const std::uint32_t* down = canvas.row(y + 1);
    constexpr std::uint64_t kBias =
        2040u | (std::uint64_t{2040} << 16) | (std::uint64_t{2040} << 32);

    cur[0] = ToCanvasPixel(SharpenPixel(canvas, 0, y));
    std::uint64_t left = Lanes(cur[0]);
    std::uint64_t colPrev = Lanes(up[0]) + Lanes(down[0]);
    std::uint64_t colCur = Lanes(up[1]) + Lanes(down[1]);
    std::uint64_t centre = Lanes(cur[1]);
    for (int x = 1; x < w - 1; ++x) {
        const std::uint64_t colNext = Lanes(up[x + 1]) + Lanes(down[x + 1]);
        const std::uint64_t right = Lanes(cur[x + 1]);
        const std::uint64_t fixed = centre * 17 + kBias - (colPrev + colCur + colNext + right);
        const std::uint64_t lanes = fixed - left;
        const unsigned b = SharpenLane(static_cast<unsigned>(lanes & 0xFFFFu));
        const unsigned g = SharpenLane(static_cast<unsigned>((lanes >> 16) & 0xFFFFu));
        const unsigned r = SharpenLane(static_cast<unsigned>((lanes >> 32) & 0xFFFFu));
        cur[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        left = b | (std::uint64_t{g} << 16) | (std::uint64_t{r} << 32);
        colPrev = colCur;
        colCur = colNext;
        centre = right;
    }
    cur[w - 1] = ToCanvasPixel(SharpenPixel(canvas, w - 1, y));
}

// Sharpen reads its own earlier output, so it keeps the defined order on one thread.
void RunSharpenPass(const CanvasView& canvas, const Progress& progress) {
    for (int y = 0; y < canvas.height; ++y) {
        SharpenRow(canvas, y);
        if (progress && ((y & 31) == 31 || y == canvas.height - 1)) progress(y + 1, canvas.height);
    }
}

const ChannelTables& TablesFor(RetouchCommand command) {
    static const ChannelTables gamma = TablesFromChannelFunction(&GammaColor);
    static const ChannelTables backlight = TablesFromChannelFunction(&BacklightColor);
    static const ChannelTables special = TablesFromChannelFunction(&BacklightSpecialColor);
    static const ChannelTables darken = TablesFromByteFunction(&DarkenByte);
    static const ChannelTables lighten = TablesFromByteFunction(&LightenByte);
    static const ChannelTables up = TablesFromByteFunction(&ContrastUpByte);
    static const ChannelTables down = TablesFromByteFunction(&ContrastDownByte);
    switch (command) {
        case RetouchCommand::Gamma:
            return gamma;
        case RetouchCommand::Backlight:
            return backlight;
        case RetouchCommand::BacklightSpecial:
            return special;
        case RetouchCommand::Lighten:
            return lighten;
        case RetouchCommand::ContrastUp:
            return up;
        case RetouchCommand::ContrastDown:
            return down;
        case RetouchCommand::Darken:
            return darken;
        case RetouchCommand::Whiten:
        case RetouchCommand::Sharpen:
        case RetouchCommand::Saturate:
        case RetouchCommand::Desaturate:
            break;  // passes of their own, never tables
    }
    return darken;
}

void RunPass(const CanvasView& canvas, RetouchCommand command, bool withDarken,
             const Progress& progress) {
    if (canvas.empty()) return;
    switch (command) {
        case RetouchCommand::Whiten:
            RunWhitenPass(canvas, progress);
            return;
        case RetouchCommand::Sharpen:
            RunSharpenPass(canvas, progress);
            return;
        case RetouchCommand::Saturate:
        case RetouchCommand::Desaturate:
            RunSaturationPass(canvas, SaturationTablesFor(command, withDarken), progress);
            return;
        case RetouchCommand::Gamma:
        case RetouchCommand::Backlight:
        case RetouchCommand::BacklightSpecial:
        case RetouchCommand::Darken:
        case RetouchCommand::Lighten:
        case RetouchCommand::ContrastUp:
        case RetouchCommand::ContrastDown:
            RunTablePass(canvas, TablesFor(command), progress);
            return;
    }
}

// Every command once, in the order of the enum: its step name on the command line, whether it
// makes the save entry visible (per-pixel commands do, byte commands do not), and what it runs.
struct CommandEntry {
    std::string_view name;
    RetouchCommand command;
    bool pixel;
    std::uint8_t passCount;
    std::array<RetouchCommand, 2> passes;
};
using C = RetouchCommand;
constexpr CommandEntry kCommands[] = {
    {"whiten", C::Whiten, true, 1, {C::Whiten}},
    {"sharpen", C::Sharpen, true, 1, {C::Sharpen}},
    {"gamma", C::Gamma, true, 1, {C::Gamma}},
    {"backlight", C::Backlight, true, 1, {C::Backlight}},
    {"backlight-special", C::BacklightSpecial, true, 1, {C::BacklightSpecial}},
    {"saturate", C::Saturate, true, 2, {C::Saturate, C::Darken}},
    {"desaturate", C::Desaturate, true, 2, {C::Desaturate, C::Darken}},
    {"darken", C::Darken, false, 1, {C::Darken}},
    {"lighten", C::Lighten, false, 1, {C::Lighten}},
    {"contrast-up", C::ContrastUp, false, 1, {C::ContrastUp}},
    {"contrast-down", C::ContrastDown, false, 1, {C::ContrastDown}},
};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < std::size(kCommands); ++i)
        if (static_cast<std::size_t>(kCommands[i].command) != i) return false;
    return std::size(kCommands) == static_cast<std::size_t>(C::ContrastDown) + 1;
}
static_assert(InEnumOrder(), "one entry per command, in the order of the enum");

const CommandEntry& EntryOf(RetouchCommand command) {
    return kCommands[static_cast<std::size_t>(command)];
}

}  // namespace

bool IsPixelCommand(RetouchCommand command) { return EntryOf(command).pixel; }

std::span<const RetouchCommand> RetouchPasses(RetouchCommand command) {
    const CommandEntry& entry = EntryOf(command);
    return {entry.passes.data(), entry.passCount};
}

void RunRetouchPass(const CanvasView& canvas, RetouchCommand command, const Progress& progress) {
    RunPass(canvas, command, false, progress);
}

void RunRetouchCommand(const CanvasView& canvas, RetouchCommand command, const Progress& progress) {
    // A darken that ends a command is folded into its tables.
    const std::span<const RetouchCommand> passes = RetouchPasses(command);
    RunPass(canvas, command, passes.size() == 2 && passes[1] == RetouchCommand::Darken, progress);
}

std::optional<ChannelTables> RetouchCommandTables(RetouchCommand command) {
    switch (command) {
        case RetouchCommand::Whiten:
        case RetouchCommand::Sharpen:
        case RetouchCommand::Saturate:
        case RetouchCommand::Desaturate:
            return std::nullopt;
        case RetouchCommand::Gamma:
        case RetouchCommand::Backlight:
        case RetouchCommand::BacklightSpecial:
        case RetouchCommand::Darken:
        case RetouchCommand::Lighten:
        case RetouchCommand::ContrastUp:
        case RetouchCommand::ContrastDown:
            break;
    }
    return TablesFor(command);
}

std::string_view RetouchCommandName(RetouchCommand command) { return EntryOf(command).name; }

std::optional<RetouchCommand> RetouchCommandFromName(std::string_view name) {
    for (const CommandEntry& entry : kCommands)
        if (entry.name == name) return entry.command;
    return std::nullopt;
}

}  // namespace sorvenal
