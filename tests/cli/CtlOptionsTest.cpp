#include <gtest/gtest.h>

#include "cli/CtlOptions.h"

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

TEST(CtlOptions, DoubleDashEndsTheOptions) {
    struct Case {
        std::vector<std::string> args;
        Command command;
        const char* file;
    };
    const Case cases[] = {
        {{"export-profile", "--", "-p.ini"}, Command::ExportProfile, "-p.ini"},
        {{"--home", "/h", "--", "import-macros", "--virtual-mouse"},
         Command::ImportMacros,
         "--virtual-mouse"},
        {{"--", "import-profile", "--"}, Command::ImportProfile, "--"},
    };
    for (const Case& c : cases) {
        const ParseResult r = ParseCtlOptions(c.args);
        ASSERT_TRUE(r.options) << c.file << ": " << r.error;
        EXPECT_EQ(r.options->command, c.command);
        EXPECT_EQ(r.options->file, std::filesystem::path(c.file));
        EXPECT_FALSE(r.options->virtualMouse);
    }
    EXPECT_FALSE(ParseCtlOptions({"--", "--help"}).options) << "no command named --help";
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
        {"status", "--virtual-mouse", "--control", "p"},  // the pipe is the resident copy's
        {"--home"},
    };
    for (const auto& args : bad) {
        const ParseResult r = ParseCtlOptions(args);
        EXPECT_FALSE(r.options) << (args.empty() ? "(none)" : args.front());
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

}  // namespace
}  // namespace trq::cli
