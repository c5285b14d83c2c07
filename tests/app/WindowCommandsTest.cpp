#include <gtest/gtest.h>

#include "app/WindowCommands.h"

namespace trq::app {
namespace {

TEST(WindowCommandsTest, TrayMenuHasTheExactTextsAndIdsOfEachLanguage) {
    const auto english = TrayMenuEntries(1);
    EXPECT_EQ(english[0], (skin::MenuEntry{"Show Window", 32801}));
    EXPECT_EQ(english[1], (skin::MenuEntry{"Exit Driver", 32800}));
    const auto chinese = TrayMenuEntries(0);
    EXPECT_EQ(chinese[0], (skin::MenuEntry{"显示窗口   ", 32837}));
    EXPECT_EQ(chinese[1], (skin::MenuEntry{"关闭驱动", 32838}));
    // Any language other than 0 is English.
    EXPECT_EQ(TrayMenuEntries(2), english);
}

TEST(WindowCommandsTest, BothLanguagesCommandsActTheSame) {
    struct Case {
        std::int32_t id;
        WindowCommand command;
    };
    const Case cases[] = {
        {32801, WindowCommand::ShowWindow}, {32837, WindowCommand::ShowWindow},
        {32800, WindowCommand::ExitDriver}, {32838, WindowCommand::ExitDriver},
        {16, WindowCommand::About},         {0xF020, WindowCommand::Minimise},
        {0xF060, WindowCommand::Close},     {0, WindowCommand::None},
        {153, WindowCommand::None},         {-1, WindowCommand::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowCommandOf(c.id), c.command) << c.id;
}

TEST(WindowCommandsTest, WindowMenuEndsWithTheAboutBox) {
    for (const std::uint8_t language : {0, 1}) {
        const auto entries = WindowMenuEntries(language);
        EXPECT_EQ(WindowCommandOf(entries[0].id), WindowCommand::Minimise);
        EXPECT_EQ(WindowCommandOf(entries[1].id), WindowCommand::Close);
        EXPECT_EQ(entries[2].id, skin::kMenuSeparatorId);
        EXPECT_EQ(entries[3], (skin::MenuEntry{"About TRQ_GMouse...", 16}));
    }
}

}  // namespace
}  // namespace trq::app
