#include <gtest/gtest.h>

#include <map>

#include "app/AppOptions.h"

namespace trq::app {
namespace {

TEST(AppOptionsTest, ReadsTheToolsOptions) {
    const AppParseResult r = ParseAppOptions(
        {"--home", "/h", "--virtual-mouse", "--trace", "/t.log", "--control", "/pipe"});
    ASSERT_TRUE(r.options) << r.error;
    EXPECT_EQ(r.options->home, std::filesystem::path("/h"));
    EXPECT_TRUE(r.options->virtualMouse);
    EXPECT_EQ(r.options->trace, std::filesystem::path("/t.log"));
    EXPECT_EQ(r.options->control, std::filesystem::path("/pipe"));
    EXPECT_FALSE(r.options->help);

    const AppParseResult none = ParseAppOptions({});
    ASSERT_TRUE(none.options);
    EXPECT_FALSE(none.options->home);
    EXPECT_FALSE(none.options->virtualMouse);
}

TEST(AppOptionsTest, RefusesBadCommandLinesWithOneLine) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"--home"}, "--home needs a value"},
        {{"--home", ""}, "--home needs a value"},
        {{"--trace", "/t"}, "--trace and --control need --virtual-mouse"},
        {{"--control", "/p"}, "--trace and --control need --virtual-mouse"},
        {{"--frobnicate"}, "unknown option '--frobnicate'"},
        {{"run"}, "unexpected argument 'run'"},
    };
    for (const Case& c : cases) {
        const AppParseResult r = ParseAppOptions(c.args);
        EXPECT_FALSE(r.options) << c.error;
        EXPECT_EQ(r.error, c.error);
    }
    // Help wins over what follows it, not over a mistake before it.
    EXPECT_TRUE(ParseAppOptions({"-h", "--bogus"}).options->help);
    EXPECT_FALSE(ParseAppOptions({"--bogus", "--help"}).options);
}

TEST(AppOptionsTest, AsksForXcbOnlyOnWaylandWithAnXServerAndNoChoiceOfTheUser) {
    using Env = std::map<std::string, std::string>;
    struct Case {
        const char* what;
        Env env;
        std::vector<std::string> args;
        std::optional<std::string> platform;
    };
    const Case cases[] = {
        {"X11 session", {{"DISPLAY", ":0"}}, {}, std::nullopt},
        {"Wayland with XWayland", {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, {}, "xcb"},
        {"session type says Wayland",
         {{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}},
         {},
         "xcb"},
        {"Wayland without an X server", {{"WAYLAND_DISPLAY", "wayland-0"}}, {}, std::nullopt},
        {"user set QT_QPA_PLATFORM",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}},
         {},
         std::nullopt},
        {"user passed -platform",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
         {"-platform", "wayland"},
         std::nullopt},
        {"user passed --platform=",
         {{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}},
         {"--virtual-mouse", "--platform=wayland"},
         std::nullopt},
        {"no display at all", {}, {}, std::nullopt},
    };
    for (const Case& c : cases) {
        const EnvReader env = [&c](const char* name) {
            const auto it = c.env.find(name);
            return it == c.env.end() ? std::string() : it->second;
        };
        EXPECT_EQ(ForcedQtPlatform(env, c.args), c.platform) << c.what;
    }
}

}  // namespace
}  // namespace trq::app
