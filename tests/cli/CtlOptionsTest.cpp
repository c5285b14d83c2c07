#include <gtest/gtest.h>

#include "cli/CtlOptions.h"
#include "cli/VirtualMouseConsole.h"

namespace trq::cli {
namespace {

ParseResult Parse(std::initializer_list<std::string> args) {
    return ParseCtlOptions(args);
}

TEST(CtlOptions, AcceptsEveryCommandWithOptionsAnywhere) {
    const ParseResult a = Parse({"--home", "/opt/x", "apply", "--profile", "3"});
    ASSERT_TRUE(a.options) << a.error;
    EXPECT_EQ(a.options->command, Command::Apply);
    EXPECT_EQ(a.options->home, std::filesystem::path("/opt/x"));
    EXPECT_EQ(a.options->profile, 3);

    const ParseResult r = Parse({"run", "--virtual-mouse", "--trace", "t.log", "--control", "p"});
    ASSERT_TRUE(r.options) << r.error;
    EXPECT_EQ(r.options->command, Command::Run);
    EXPECT_TRUE(r.options->virtualMouse);
    EXPECT_EQ(r.options->trace, std::filesystem::path("t.log"));
    EXPECT_EQ(r.options->control, std::filesystem::path("p"));

    const ParseResult e = Parse({"import-macros", "my.dat"});
    ASSERT_TRUE(e.options) << e.error;
    EXPECT_EQ(e.options->command, Command::ImportMacros);
    EXPECT_EQ(e.options->file, std::filesystem::path("my.dat"));
}

TEST(CtlOptions, RejectsBadCommandLinesWithOneClearLine) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"status", "--bogus"},
        {"apply", "--profile"},
        {"apply", "--profile", "0"},
        {"apply", "--profile", "6"},
        {"apply", "--profile", "2x"},
        {"status", "--profile", "2"},
        {"export-profile"},
        {"export-profile", "a", "b"},
        {"status", "extra"},
        {"run", "--trace", "t.log"},
        {"--home"},
    };
    for (const auto& args : bad) {
        const ParseResult r = ParseCtlOptions(args);
        EXPECT_FALSE(r.options) << (args.empty() ? "(none)" : args.front());
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(VirtualMouseConsole, TraceLinesShowTimeDirectionAndBytes) {
    const device::VirtualMouse::Record record{device::VirtualMouse::Direction::Feature,
                                              std::chrono::microseconds(12345),
                                              {0x07, 0x10, 0x01, 0x01, 0, 0, 0, 0xAB}};
    EXPECT_EQ(FormatTraceLine(record), "12.345 feature 07 10 01 01 00 00 00 ab");
}

TEST(VirtualMouseConsole, ControlLines) {
    device::VirtualMouse mouse;
    EXPECT_EQ(RunControlLine(mouse, "input 06 c8 01"), "");
    EXPECT_EQ(mouse.Records().back().bytes, (std::vector<std::uint8_t>{0x06, 0xC8, 0x01}));
    EXPECT_EQ(RunControlLine(mouse, "unplug"), "");
    EXPECT_FALSE(mouse.IsPlugged());
    EXPECT_EQ(RunControlLine(mouse, "plug"), "");
    EXPECT_TRUE(mouse.IsPlugged());
    for (const char* bad : {"press", "press 0", "press 16", "press x", "input", "input zz",
                            "input 100", "wiggle", "unplug now"}) {
        EXPECT_NE(RunControlLine(mouse, bad), "") << bad;
    }
}

}  // namespace
}  // namespace trq::cli
