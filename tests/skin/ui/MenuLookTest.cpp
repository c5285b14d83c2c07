#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "skin/MenuLook.h"

namespace trq::skin {
namespace {

TEST(MenuLook, MeasuresEightPixelsPerCharacterAndTwentyHigh) {
    struct Case {
        MenuEntry entry;
        MenuItemSize size;
    };
    const Case cases[] = {
        {{"Delete", 32781}, {48, 20}},
        {{"Show Window", 32801}, {88, 20}},
        // Characters, not bytes: seven (three of them trailing blanks), each 3 bytes or 1.
        {{"显示窗口   ", 32837}, {56, 20}},
        {{"", kMenuSeparatorId}, {0, 1}},
        {{"Add Forward", kMenuSubmenuId}, {88, 20}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MeasureMenuEntry(c.entry), c.size) << c.entry.text;
    }
}

TEST(MenuLook, GradientOfATwentyPixelEntryStopsShortOfCyan) {
    const std::vector<MenuRgb> rows = MenuGradientRows(18);
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows.front(), (MenuRgb{0, 0, 255}));
    EXPECT_EQ(rows[1], (MenuRgb{0, 14, 255}));
    EXPECT_EQ(rows.back(), (MenuRgb{0, 238, 255}));
}

TEST(MenuLook, GradientStepTruncatesTowardZeroBothWays) {
    // 255 / 18 = 14.17 and -255 / 18 = -14.17: flooring would give -15 on the way down.
    const std::vector<MenuRgb> down = MenuGradientRows(18, {255, 255, 0}, {0, 255, 0});
    ASSERT_EQ(down.size(), 18u);
    EXPECT_EQ(down[1], (MenuRgb{241, 255, 0}));
    EXPECT_EQ(down.back(), (MenuRgb{255 - 14 * 17, 255, 0}));

    // A step below one pixel's worth is zero: the gradient stays flat.
    const std::vector<MenuRgb> flat = MenuGradientRows(300, {0, 0, 255}, {0, 255, 255});
    EXPECT_EQ(flat.back(), (MenuRgb{0, 0, 255}));
}

TEST(MenuLook, GradientOfNoRowsIsEmpty) {
    EXPECT_TRUE(MenuGradientRows(0).empty());
    EXPECT_TRUE(MenuGradientRows(-3).empty());
    EXPECT_EQ(MenuGradientRows(1), (std::vector<MenuRgb>{{0, 0, 255}}));
}

TEST(MenuLook, SeparatorFrameIsIndentedRedThenBlue) {
    using ::testing::ElementsAre;
    EXPECT_THAT(SeparatorFrame({0, 10, 100, 4}),
                ElementsAre(MenuFill{{25, 10, 74, 1}, kSeparatorTopLeft},
                            MenuFill{{25, 10, 1, 3}, kSeparatorTopLeft},
                            MenuFill{{99, 10, 1, 4}, kSeparatorBottomRight},
                            MenuFill{{25, 13, 75, 1}, kSeparatorBottomRight}));
    // One pixel high: the bottom line is drawn last over the top one.
    const std::vector<MenuFill> thin = SeparatorFrame({0, 10, 100, 1});
    ASSERT_FALSE(thin.empty());
    EXPECT_EQ(thin.back(), (MenuFill{{25, 10, 75, 1}, kSeparatorBottomRight}));
    // Narrower than the indent: nothing to draw.
    EXPECT_TRUE(SeparatorFrame({0, 0, 25, 1}).empty());
    EXPECT_TRUE(SeparatorFrame({0, 0, 10, 1}).empty());
}

}  // namespace
}  // namespace trq::skin
