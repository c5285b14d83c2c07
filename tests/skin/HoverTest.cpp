#include <gtest/gtest.h>

#include "skin/HitTest.h"
#include "skin/HoverTracker.h"
#include "tests/skin/GridSkin.h"

namespace trq::skin {
namespace {

using testing::AdvancedPoint;
using testing::ColorPoint;
using testing::GridSkin;
using testing::MainPoint;

SkinLayout Areas(std::vector<SkinRect> areas) {
    SkinLayout layout(areas.size());
    layout.areas = std::move(areas);
    return layout;
}

TEST(HitTestLayout, FindsTheLowestItemUpToLast) {
    // 0: (10,10) 10x10; 1 overlaps 0 and reaches further; 2 is empty; 3 negative-sized.
    const SkinLayout layout =
        Areas({{10, 10, 10, 10}, {15, 15, 10, 10}, {40, 40, 0, 5}, {60, 60, -5, -5}});
    struct Case {
        const char* what;
        SkinPoint point;
        int last;
        std::uint8_t want;
    };
    const Case cases[] = {
        {"top-left corner is inside", {10, 10}, 3, 0},
        {"right and bottom edges are outside", {20, 12}, 0, kNoItem},
        {"last pixel is inside", {19, 19}, 3, 0},
        {"overlap resolves to the lower index", {16, 16}, 3, 0},
        {"only the higher item reaches here", {22, 22}, 3, 1},
        {"items past last are not tested", {22, 22}, 0, kNoItem},
        {"zero-sized area holds no point", {40, 40}, 3, kNoItem},
        {"negative-sized area holds no point", {58, 58}, 3, kNoItem},
        {"last beyond the layout stops at its end", {22, 22}, 200, 1},
        {"negative last tests nothing", {10, 10}, -1, kNoItem},
        {"nothing there", {0, 0}, 3, kNoItem},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTestLayout(c.point, layout, c.last), c.want) << c.what;
    }
    EXPECT_EQ(HitTestLayout({0, 0}, SkinLayout{}, 114), kNoItem) << "empty layout";
}

TEST(HitTestLayout, NeverAnswersNoItemForARealHit) {
    SkinLayout layout(300);
    layout.areas[254] = {0, 0, 5, 5};
    layout.areas[255] = {10, 0, 5, 5};
    EXPECT_EQ(HitTestLayout({1, 1}, layout, 299), 254);
    EXPECT_EQ(HitTestLayout({11, 1}, layout, 299), kNoItem);
}

TEST(HoverState, StartsWithMainItemZeroHovered) {
    const HoverState state;
    EXPECT_EQ(state.mainHover, 0);
    EXPECT_EQ(state.advancedHover, kNoItem);
    EXPECT_EQ(state.colorHover, kNoItem);
    EXPECT_EQ(state.lastMain, kNoItem);
    EXPECT_EQ(state.lastAdvanced, kNoItem);
    EXPECT_EQ(state.lastColor, kNoItem);
}

// A walk of pointer movements: each row is one movement and what it must leave behind.
TEST(TrackHover, RepaintsOnlyWhenAnIndexChanges) {
    const SkinLayouts layouts = GridSkin();
    struct Move {
        const char* what;
        Page page;
        SkinPoint point;
        HoverRepaint want;
        std::uint8_t main, advanced, color;
    };
    const Move walk[] = {
        {"first move onto item 0 still repaints (last acted is 255)", Page::Main, MainPoint(0),
         HoverRepaint::Window, 0, kNoItem, kNoItem},
        {"same item again", Page::Main, {1, 1}, HoverRepaint::None, 0, kNoItem, kNoItem},
        {"deep main item on the Main page", Page::Main, MainPoint(114), HoverRepaint::Window, 114,
         kNoItem, kNoItem},
        {"hint areas are never hover targets", Page::Main, MainPoint(115), HoverRepaint::Window,
         kNoItem, kNoItem, kNoItem},
        {"colour areas repaint the Main page too", Page::Main, ColorPoint(4), HoverRepaint::Window,
         kNoItem, kNoItem, 4},
        {"colour item 5 is not tested", Page::Main, ColorPoint(5), HoverRepaint::Window, kNoItem,
         kNoItem, kNoItem},
        {"advanced areas are tested on the Main page", Page::Main, AdvancedPoint(37),
         HoverRepaint::Window, kNoItem, 37, kNoItem},
        {"advanced item 38 is not tested", Page::Main, AdvancedPoint(38), HoverRepaint::Window,
         kNoItem, kNoItem, kNoItem},
        {"on the Advanced page only the hover region repaints", Page::Advanced, AdvancedPoint(3),
         HoverRepaint::HoverRegion, kNoItem, 3, kNoItem},
        {"only the strip is tested off the Main page", Page::Advanced, MainPoint(20),
         HoverRepaint::HoverRegion, kNoItem, kNoItem, kNoItem},
        {"strip item on the Color page", Page::Color, MainPoint(19), HoverRepaint::Window, 19,
         kNoItem, kNoItem},
        {"no change on the Color page",
         Page::Color,
         {testing::kCell * 19 + 7, 7},
         HoverRepaint::None,
         19,
         kNoItem,
         kNoItem},
    };
    HoverState state;
    for (const Move& m : walk) {
        EXPECT_EQ(TrackHover(m.point, m.page, layouts, state), m.want) << m.what;
        EXPECT_EQ(state.mainHover, m.main) << m.what;
        EXPECT_EQ(state.advancedHover, m.advanced) << m.what;
        EXPECT_EQ(state.colorHover, m.color) << m.what;
        EXPECT_EQ(state.lastMain, m.main) << m.what;
        EXPECT_EQ(state.lastAdvanced, m.advanced) << m.what;
        EXPECT_EQ(state.lastColor, m.color) << m.what;
    }
}

TEST(TrackHover, ComparesWithTheValueLastActedOnNotTheCurrentOne) {
    // A release on Hide sets mainHover to 255 without a movement; the next movement over the
    // same item finds it unchanged from the value last acted on, so nothing repaints.
    const SkinLayouts layouts = GridSkin();
    HoverState state;
    TrackHover(MainPoint(2), Page::Main, layouts, state);
    state.mainHover = kNoItem;
    EXPECT_EQ(TrackHover(MainPoint(2), Page::Main, layouts, state), HoverRepaint::None);
    EXPECT_EQ(state.mainHover, 2);
}

TEST(TrackHover, AcceptsEmptyLayouts) {
    SkinLayouts empty;
    empty.main = empty.color = empty.advanced = SkinLayout{};
    HoverState state;
    EXPECT_EQ(TrackHover({5, 5}, Page::Main, empty, state), HoverRepaint::None);
    EXPECT_EQ(state.mainHover, kNoItem);
}

}  // namespace
}  // namespace trq::skin
