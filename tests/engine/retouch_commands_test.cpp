#include "engine/retouch_commands.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "engine/kernels.h"
#include "tests/support/reference_passes.h"
#include "tests/support/retouch_steps.h"
#include "tests/support/test_canvas.h"

namespace sorvenal {
namespace {

using test::RunByteEffect;
using test::RunPixelEffect;

TEST(RetouchCommands, NamesAndKinds) {
    for (const test::RetouchStepName& s : test::kRetouchSteps)
        EXPECT_EQ(RetouchCommandFromName(s.step), s.command);
    EXPECT_FALSE(RetouchCommandFromName("Gamma"));
    EXPECT_FALSE(RetouchCommandFromName(""));

    EXPECT_FALSE(IsPixelCommand(RetouchCommand::Darken));
    EXPECT_FALSE(IsPixelCommand(RetouchCommand::ContrastDown));
    EXPECT_TRUE(IsPixelCommand(RetouchCommand::Sharpen));
    EXPECT_TRUE(IsPixelCommand(RetouchCommand::Desaturate));
    using C = RetouchCommand;
    const auto passes = [](C command) {
        const std::span<const C> p = RetouchPasses(command);
        return std::vector<C>(p.begin(), p.end());
    };
    EXPECT_EQ(passes(C::Saturate), (std::vector<C>{C::Saturate, C::Darken}));
    EXPECT_EQ(passes(C::Desaturate), (std::vector<C>{C::Desaturate, C::Darken}));
    EXPECT_EQ(passes(C::Whiten), std::vector<C>{C::Whiten});
    EXPECT_EQ(passes(C::ContrastDown), std::vector<C>{C::ContrastDown});
}

struct Reference {
    const char* name;
    RetouchCommand command;
    ColorFunction colour;  // null for byte commands
    ByteFunction byte;     // the byte pass (after the colour pass, if any)
};

void PrintTo(const Reference& r, std::ostream* os) { *os << r.name; }

// The whole command done the defined way: the scalar colour pass, then any byte pass.
void RunReference(const CanvasView& canvas, const Reference& r) {
    if (r.colour) RunPixelEffect(canvas, r.colour);
    if (r.byte) RunByteEffect(canvas, r.byte);
}

const Reference kCommands[] = {
    {"Whiten", RetouchCommand::Whiten, &WhitenColor, nullptr},
    {"Gamma", RetouchCommand::Gamma, &GammaColor, nullptr},
    {"Backlight", RetouchCommand::Backlight, &BacklightColor, nullptr},
    {"BacklightSpecial", RetouchCommand::BacklightSpecial, &BacklightSpecialColor, nullptr},
    {"Saturate", RetouchCommand::Saturate, &SaturateColor, &DarkenByte},
    {"Desaturate", RetouchCommand::Desaturate, &DesaturateColor, &DarkenByte},
    {"Darken", RetouchCommand::Darken, nullptr, &DarkenByte},
    {"Lighten", RetouchCommand::Lighten, nullptr, &LightenByte},
    {"ContrastUp", RetouchCommand::ContrastUp, nullptr, &ContrastUpByte},
    {"ContrastDown", RetouchCommand::ContrastDown, nullptr, &ContrastDownByte},
};

class EveryColour : public ::testing::TestWithParam<Reference> {
protected:
    static void SetUpTestSuite() { all_ = new test::Picture(test::AllColours()); }
    static void TearDownTestSuite() { delete all_; }
    static test::Picture* all_;
};
test::Picture* EveryColour::all_ = nullptr;

TEST_P(EveryColour, FastCommandEqualsTheDefinitionForAllSixteenMillionColours) {
    const Reference& r = GetParam();
    test::Picture reference = *all_;
    test::Picture fast = *all_;
    RunReference(reference.view(), r);
    RunRetouchCommand(fast.view(), r.command);
    EXPECT_TRUE(test::SamePixels(reference, fast));

    // The passes one by one, as the window runs them, make what the folded command makes.
    test::Picture stepwise = *all_;
    for (RetouchCommand pass : RetouchPasses(r.command)) RunRetouchPass(stepwise.view(), pass);
    EXPECT_TRUE(test::SamePixels(fast, stepwise));

    if (RetouchPasses(r.command).size() > 1) {  // the pass alone, without the folded darken
        test::Picture passOnly = *all_;
        test::Picture scalarOnly = *all_;
        RunRetouchPass(passOnly.view(), r.command);
        RunPixelEffect(scalarOnly.view(), r.colour);
        EXPECT_TRUE(test::SamePixels(scalarOnly, passOnly));
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryColour, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RetouchCommands, FastPassesKeepPaddingAndHandleOddSizes) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {5, 1}, {1, 6}, {33, 17}};
    unsigned seed = 40;
    for (const Reference& r : kCommands) {
        for (const auto& [w, h] : sizes) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
            test::Picture reference = test::RandomPicture(w, h, ++seed, 2);
            test::Picture fast = reference;
            RunReference(reference.view(), r);
            RunRetouchCommand(fast.view(), r.command);
            EXPECT_TRUE(test::SamePixels(reference, fast));
        }
    }
    test::Picture empty(0, 0);
    RunRetouchCommand(empty.view(), RetouchCommand::Sharpen);
    RunRetouchCommand(empty.view(), RetouchCommand::Saturate);
}

TEST(RetouchCommands, FastSharpenEqualsTheNeighbourhoodPass) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {3, 3},   {1, 9},   {9, 1},
                                         {2, 7}, {7, 2}, {97, 61}, {640, 48}};
    unsigned seed = 100;
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        test::Picture reference = test::RandomPicture(w, h, ++seed, 1);
        // Flat patches and near-flat areas as well as noise, so the clamps and the ripple run.
        for (int y = 0; y < h / 2; ++y)
            for (int x = 0; x < w / 2; ++x) reference.at(x, y) = ToCanvasPixel(RGB(40, 250, 3));
        test::Picture fast = reference;
        RunPixelEffect(reference.view(), &SharpenPixel);
        RunRetouchCommand(fast.view(), RetouchCommand::Sharpen);
        EXPECT_TRUE(test::SamePixels(reference, fast));
    }
}

}  // namespace
}  // namespace sorvenal
