// The command line of sorvenal-retouch: what is accepted, and every malformed form refused.
#include "tools/retouch_args.h"

#include <gtest/gtest.h>

#include "tests/support/retouch_steps.h"

namespace sorvenal {
namespace {

RetouchArgsResult Parse(const std::vector<std::string>& args) { return ParseRetouchArgs(args); }

TEST(RetouchArgsTest, ReadsFilesForceAndStepsInOrder) {
    const RetouchArgsResult r = Parse({"--force", "in.jpg", "out.bmp", "gamma", "skin=10,-20",
                                       "skin-normal=0,0", "circle-red=-5,6,7", "contrast-down"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_TRUE(r.args.force);
    EXPECT_FALSE(r.args.help);
    EXPECT_EQ(r.args.in, "in.jpg");
    EXPECT_EQ(r.args.out, "out.bmp");
    ASSERT_EQ(r.args.steps.size(), 5u);
    EXPECT_EQ(r.args.steps[0].kind, RetouchStep::Kind::Command);
    EXPECT_EQ(r.args.steps[0].command, RetouchCommand::Gamma);
    EXPECT_EQ(r.args.steps[1].kind, RetouchStep::Kind::Skin);
    EXPECT_FALSE(r.args.steps[1].skinNormal);
    EXPECT_EQ(r.args.steps[1].x, 10);
    EXPECT_EQ(r.args.steps[1].y, -20);
    EXPECT_TRUE(r.args.steps[2].skinNormal);
    EXPECT_EQ(r.args.steps[3].kind, RetouchStep::Kind::Circle);
    EXPECT_EQ(r.args.steps[3].effect, CircleEffect::Red);
    EXPECT_EQ(r.args.steps[3].x, -5);
    EXPECT_EQ(r.args.steps[3].y, 6);
    EXPECT_EQ(r.args.steps[3].radius, 7);
    EXPECT_EQ(r.args.steps[4].command, RetouchCommand::ContrastDown);
    EXPECT_EQ(r.args.steps[4].text, "contrast-down");

    EXPECT_FALSE(Parse({"a", "b", "gamma"}).args.force);
    // After "--" a name that looks like an option is a file.
    const RetouchArgsResult dashed = Parse({"--", "-in.jpg", "out.bmp", "gamma"});
    ASSERT_TRUE(dashed.ok()) << dashed.error;
    EXPECT_EQ(dashed.args.in, "-in.jpg");
}

TEST(RetouchArgsTest, EveryStepNameIsKnown) {
    for (const test::RetouchStepName& s : test::kRetouchSteps) {
        RetouchStep step;
        std::string error;
        ASSERT_TRUE(ParseRetouchStep(s.step, step, error)) << s.step << ": " << error;
        EXPECT_EQ(step.kind, RetouchStep::Kind::Command) << s.step;
        EXPECT_EQ(step.command, s.command) << s.step;
    }
    const std::pair<const char*, CircleEffect> effects[] = {
        {"circle-light=1,2,3", CircleEffect::Light},
        {"circle-red=1,2,3", CircleEffect::Red},
        {"eye-blue=1,2,3", CircleEffect::EyeBlue},
        {"spotlight=1,2,3", CircleEffect::Spotlight},
        {"circle-picture=1,2,3", CircleEffect::Picture}};
    for (const auto& [text, effect] : effects) {
        RetouchStep step;
        std::string error;
        ASSERT_TRUE(ParseRetouchStep(text, step, error)) << text << ": " << error;
        EXPECT_EQ(step.kind, RetouchStep::Kind::Circle) << text;
        EXPECT_EQ(step.effect, effect) << text;
    }
}

TEST(RetouchArgsTest, NumbersAtTheirLimitsAreAccepted) {
    RetouchStep step;
    std::string error;
    ASSERT_TRUE(ParseRetouchStep("spotlight=-1000000,1000000,1000000", step, error)) << error;
    EXPECT_EQ(step.x, -1000000);
    EXPECT_EQ(step.y, 1000000);
    EXPECT_EQ(step.radius, 1000000);
    ASSERT_TRUE(ParseRetouchStep("circle-light=0,0,1", step, error)) << error;
    EXPECT_EQ(step.radius, 1);
}

TEST(RetouchArgsTest, MalformedStepsAreRefusedWithTheirText) {
    const char* malformed[] = {"",
                               "gama",
                               "Gamma",
                               "gamma=",
                               "gamma=1",
                               "skin",
                               "skin=",
                               "skin=1",
                               "skin=1,2,3",
                               "skin=1,",
                               "skin=,1",
                               "skin=1,,2",
                               "skin= 1,2",
                               "skin=1 ,2",
                               "skin=+1,2",
                               "skin=1.5,2",
                               "skin=1e3,2",
                               "skin=0x10,2",
                               "skin=1,2x",
                               "skin=--1,2",
                               "skin=-,2",
                               "skin=1000001,0",
                               "skin=0,-1000001",
                               "skin=99999999999999999999,0",
                               "skin=0,-9223372036854775808",
                               "circle-red=-9223372036854775808,2,3",
                               "skin-normal=1",
                               "circle-red=1,2",
                               "circle-red=1,2,3,4",
                               "circle-red=1,2,0",
                               "circle-red=1,2,-3",
                               "circle-red=1,2,1000001",
                               "spotlight=a,b,c",
                               "eye-blue=1;2;3",
                               "circle-picture=1,2,3 ",
                               "circle-light"};
    for (const char* text : malformed) {
        RetouchStep step;
        std::string error;
        EXPECT_FALSE(ParseRetouchStep(text, step, error)) << '"' << text << '"';
        EXPECT_NE(error.find(text), std::string::npos) << '"' << text << "\": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(RetouchArgsTest, MalformedCommandLinesAreRefused) {
    const std::vector<std::vector<std::string>> malformed = {
        {},
        {"in.jpg"},
        {"in.jpg", "out.bmp"},
        {"--force", "in.jpg", "out.bmp"},
        {"--bogus", "in.jpg", "out.bmp", "gamma"},
        {"-f", "in.jpg", "out.bmp", "gamma"},
        {"", "out.bmp", "gamma"},
        {"in.jpg", "", "gamma"},
        {"in.jpg", "out.bmp", "gamma", "nope"},  // every step is checked, not just the first
        {"in.jpg", "out.bmp", "gamma", "--force"},
    };
    for (const auto& args : malformed) {
        const RetouchArgsResult r = Parse(args);
        std::string joined;
        for (const auto& a : args) joined += "[" + a + "]";
        EXPECT_FALSE(r.ok()) << joined;
        EXPECT_FALSE(r.args.help) << joined;
    }
    EXPECT_TRUE(Parse({"--help"}).args.help);
    EXPECT_TRUE(Parse({"--force", "-h", "whatever"}).args.help);
    // --version wins over what follows and leaves help alone.
    const RetouchArgsResult v = Parse({"--version", "--bogus"});
    EXPECT_TRUE(v.ok()) << v.error;
    EXPECT_TRUE(v.args.version);
    EXPECT_FALSE(v.args.help);
    EXPECT_FALSE(Parse({"in.bmp", "out.bmp", "gamma"}).args.version);
    EXPECT_NE(std::string(RetouchUsage()).find("[--force] IN OUT STEP [STEP...]"),
              std::string::npos);
}

TEST(RetouchArgsTest, QualityIsForJpegOutputOnlyAndWithinRange) {
    EXPECT_EQ(Parse({"--quality", "75", "in.jpg", "out.JPG", "gamma"}).args.quality, 75);
    EXPECT_EQ(Parse({"--quality=100", "in.jpg", "out.jpeg", "gamma"}).args.quality, 100);
    EXPECT_EQ(Parse({"in.jpg", "out.jpg", "gamma"}).args.quality, -1);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--quality", "49", "in.jpg", "out.jpg", "gamma"},
             {"--quality", "101", "in.jpg", "out.jpg", "gamma"},
             {"--quality", "9x", "in.jpg", "out.jpg", "gamma"},
             {"--quality=", "in.jpg", "out.jpg", "gamma"},
             {"--quality"},
             {"--quality", "80", "in.jpg", "out.png", "gamma"},
             {"--quality", "80", "in.jpg", "out.jpg.bmp", "gamma"},
         }) {
        SCOPED_TRACE(args.front() + " " + args.at(args.size() > 1 ? 1 : 0));
        EXPECT_FALSE(Parse(args).ok());
    }
    EXPECT_EQ(OutputTypeOf("a/b.c/photo.JPEG"), OutputType::Jpeg);
    EXPECT_EQ(OutputTypeOf("photo.Png"), OutputType::Png);
    EXPECT_EQ(OutputTypeOf("dir.jpg/photo"), OutputType::Bmp);
    EXPECT_EQ(OutputTypeOf("photo.bmp"), OutputType::Bmp);
}

// The message is one line even when an argument holds a line break (it would be printed as two).
TEST(RetouchArgsTest, ControlCharactersInArgumentsAreShownEscaped) {
    const RetouchArgsResult option = Parse({"-\nforce", "in.jpg", "out.bmp", "gamma"});
    EXPECT_EQ(option.error, "不明なオプションです: -\\x0Aforce");
    const RetouchArgsResult step = Parse({"in.jpg", "out.bmp", "skin=1,\t2\x7f"});
    EXPECT_EQ(step.error.find('\t'), std::string::npos) << step.error;
    EXPECT_NE(step.error.find("\"\\x092\\x7F\""), std::string::npos) << step.error;
    // Japanese names pass through untouched.
    EXPECT_EQ(Parse({"a", "b", "写真"}).error, "不明なステップです: 写真");
}

}  // namespace
}  // namespace sorvenal
