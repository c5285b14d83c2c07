#include <gtest/gtest.h>

#include "skin/ClickDispatch.h"
#include "tests/skin/GridSkin.h"

namespace trq::skin {
namespace {

using testing::GridSkin;
using K = PressKind;

constexpr std::uint8_t N = kNoItem;

struct PressCase {
    const char* what;
    Page page;
    std::uint8_t main, advanced, color;
    bool menuOpen;
    K kind;
    int value = 0;
    int index = 0;
    Page to = Page::Main;  // for GoToPage
};

void Check(const PressCase& c, const SkinLayouts& layouts) {
    HoverState hover;
    hover.mainHover = c.main;
    hover.advancedHover = c.advanced;
    hover.colorHover = c.color;
    const PressAction a = OnPress(c.page, hover, c.menuOpen, {7, 9}, layouts);
    EXPECT_EQ(a.kind, c.kind) << c.what;
    EXPECT_EQ(a.value, c.value) << c.what;
    EXPECT_EQ(a.index, c.index) << c.what;
    if (c.kind == K::GoToPage) {
        EXPECT_EQ(a.page, c.to) << c.what;
    }
    EXPECT_EQ(a.holdButton, c.main != N || c.advanced != N || c.color != N) << c.what;
    EXPECT_EQ(a.closeFunctionMenu, c.menuOpen && c.page == Page::Main) << c.what;
    EXPECT_EQ(a.point, (SkinPoint{7, 9})) << c.what;
}

TEST(OnPress, MainPage) {
    const PressCase cases[] = {
        {"Advanced tab", Page::Main, 10, N, N, false, K::GoToPage, 0, 0, Page::Advanced},
        {"Color tab", Page::Main, 11, N, N, false, K::GoToPage, 0, 0, Page::Color},
        {"own tab does nothing", Page::Main, 9, N, N, false, K::None},
        {"import profile", Page::Main, 14, N, N, false, K::ImportProfile},
        {"export profile", Page::Main, 15, N, N, false, K::ExportProfile},
        {"save", Page::Main, 0, N, N, false, K::SaveProfile},
        {"first slot", Page::Main, 25, N, N, false, K::OpenFunctionMenu, 0},
        {"last slot", Page::Main, 31, N, N, false, K::OpenFunctionMenu, 6},
        {"wheel option 0", Page::Main, 41, N, N, false, K::SetWheelStatus, 0},
        {"wheel option 1", Page::Main, 42, N, N, false, K::SetWheelStatus, 1},
        {"first enable box", Page::Main, 46, N, N, false, K::ToggleDpiLevelEnabled, 0},
        {"last enable box", Page::Main, 49, N, N, false, K::ToggleDpiLevelEnabled, 3},
        {"first selector", Page::Main, 54, N, N, false, K::SelectDpiLevel, 0},
        {"last selector", Page::Main, 57, N, N, false, K::SelectDpiLevel, 3},
        {"first bar", Page::Main, 66, N, N, false, K::SetDpiValue, 0, 0},
        {"last bar of level 0", Page::Main, 77, N, N, false, K::SetDpiValue, 0, 11},
        {"first bar of level 1", Page::Main, 78, N, N, false, K::SetDpiValue, 1, 0},
        {"bar of level 2", Page::Main, 101, N, N, false, K::SetDpiValue, 2, 11},
        {"last bar", Page::Main, 113, N, N, false, K::SetDpiValue, 3, 11},
        {"no item drags", Page::Main, N, N, N, false, K::DragWindow},
        {"a colour area does not stop the drag", Page::Main, N, N, 2, false, K::DragWindow},
        // Items that act on release or have no role.
        {"profile acts on release", Page::Main, 4, N, N, false, K::None},
        {"apply acts on release", Page::Main, 3, N, N, false, K::None},
        {"item 1", Page::Main, 1, N, N, false, K::None},
        {"item 32", Page::Main, 32, N, N, false, K::None},
        {"item 45", Page::Main, 45, N, N, false, K::None},
        {"item 50", Page::Main, 50, N, N, false, K::None},
        {"item 58", Page::Main, 58, N, N, false, K::None},
        {"item 65", Page::Main, 65, N, N, false, K::None},
        {"item 114", Page::Main, 114, N, N, false, K::None},
        // With the function menu open: close it, then act as usual.
        {"menu open, other slot", Page::Main, 26, N, N, true, K::OpenFunctionMenu, 1},
        {"menu open, empty place", Page::Main, N, N, N, true, K::DragWindow},
        {"menu open, plain item", Page::Main, 50, N, N, true, K::None},
    };
    for (const PressCase& c : cases)
        Check(c, GridSkin());
}

TEST(OnPress, AdvancedPage) {
    const PressCase cases[] = {
        {"Main tab", Page::Advanced, 9, N, N, false, K::GoToPage, 0, 0, Page::Main},
        {"Color tab", Page::Advanced, 11, N, N, false, K::GoToPage, 0, 0, Page::Color},
        {"own tab", Page::Advanced, 10, N, N, false, K::None},
        {"tab wins over an advanced item", Page::Advanced, 9, 5, N, false, K::GoToPage, 0, 0,
         Page::Main},
        {"save acts on the Main page only", Page::Advanced, 0, N, N, false, K::None},
        {"import acts on the Main page only", Page::Advanced, 14, N, N, false, K::None},
        {"strip item: no drag", Page::Advanced, 4, N, N, false, K::None},
        {"import macros", Page::Advanced, N, 0, N, false, K::ImportMacros},
        {"export macros", Page::Advanced, N, 1, N, false, K::ExportMacros},
        {"new macro", Page::Advanced, N, 2, N, false, K::NewMacro},
        {"delete macro", Page::Advanced, N, 3, N, false, K::DeleteMacro},
        {"record", Page::Advanced, N, 4, N, false, K::ToggleRecording},
        {"save macro settings", Page::Advanced, N, 5, N, false, K::SaveMacroSettings},
        {"repeat mode", Page::Advanced, N, 6, N, false, K::ToggleRepeatMode},
        {"loop while held", Page::Advanced, N, 7, N, false, K::ToggleLoopWhileHeld},
        {"first pointer speed", Page::Advanced, N, 8, N, false, K::SetDpiSpeed, 0},
        {"last pointer speed", Page::Advanced, N, 17, N, false, K::SetDpiSpeed, 9},
        {"first wheel speed", Page::Advanced, N, 18, N, false, K::SetWheelSpeed, 0},
        {"last wheel speed", Page::Advanced, N, 27, N, false, K::SetWheelSpeed, 9},
        {"item 28", Page::Advanced, N, 28, N, false, K::None},
        {"item 29", Page::Advanced, N, 29, N, false, K::None},
        {"slider", Page::Advanced, N, 30, N, false, K::SetFireTimeFromSlider},
        {"fire time up", Page::Advanced, N, 31, N, false, K::IncrementFireTime},
        {"fire time down", Page::Advanced, N, 32, N, false, K::DecrementFireTime},
        {"item 33", Page::Advanced, N, 33, N, false, K::None},
        {"item 37", Page::Advanced, N, 37, N, false, K::None},
        {"no item drags", Page::Advanced, N, N, N, false, K::DragWindow},
        {"colour area: drag all the same", Page::Advanced, N, N, 1, false, K::DragWindow},
    };
    for (const PressCase& c : cases)
        Check(c, GridSkin());
}

TEST(OnPress, ColorPage) {
    const PressCase cases[] = {
        {"Main tab", Page::Color, 9, N, N, false, K::GoToPage, 0, 0, Page::Main},
        {"Advanced tab", Page::Color, 10, N, N, false, K::GoToPage, 0, 0, Page::Advanced},
        {"own tab", Page::Color, 11, N, N, false, K::None},
        {"first LED mode", Page::Color, N, N, 0, false, K::SetLedStatus, 0},
        {"last LED mode", Page::Color, N, N, 3, false, K::SetLedStatus, 3},
        {"colour item 4 neither acts nor drags", Page::Color, N, N, 4, false, K::None},
        {"strip item: no drag", Page::Color, 12, N, N, false, K::None},
        {"save acts on the Main page only", Page::Color, 0, N, N, false, K::None},
        {"no item drags", Page::Color, N, N, N, false, K::DragWindow},
        {"advanced area: drag all the same", Page::Color, N, 3, N, false, K::DragWindow},
    };
    for (const PressCase& c : cases)
        Check(c, GridSkin());
}

TEST(OnPress, SliderCarriesTheTrackAndTheClick) {
    SkinLayouts layouts = GridSkin();
    layouts.advanced.areas[30] = {120, 100, 200, 10};
    HoverState hover;
    hover.mainHover = N;
    hover.advancedHover = 30;
    const PressAction a = OnPress(Page::Advanced, hover, false, {220, 104}, layouts);
    EXPECT_EQ(a.sliderLeft, 120);
    EXPECT_EQ(a.sliderWidth, 200);
    settings::DeviceSettings s = settings::DefaultSettings(0);
    EXPECT_TRUE(ApplySettingsEdit(a, s));
    EXPECT_EQ(s.fireTime, 150);

    layouts.advanced = SkinLayout{};  // no track at all: the click changes nothing
    const PressAction none = OnPress(Page::Advanced, hover, false, {220, 104}, layouts);
    s.fireTime = 42;
    ApplySettingsEdit(none, s);
    EXPECT_EQ(s.fireTime, 42);
}

TEST(OnRelease, ActsOnTheItemUnderThePointerOnEveryPage) {
    using R = ReleaseKind;
    struct Case {
        std::uint8_t item;
        R kind;
        int value;
        bool clearHover;
    };
    const Case cases[] = {
        {0, R::None, 0, false},
        {1, R::None, 0, false},
        {2, R::HideDroppingChanges, 0, true},
        {3, R::Apply, 0, false},
        {4, R::PickProfile, 1, false},
        {6, R::PickProfile, 3, false},
        {8, R::PickProfile, 5, false},
        {9, R::None, 0, false},
        {11, R::None, 0, false},
        {12, R::Minimise, 0, true},
        {13, R::HideToTray, 0, true},
        {14, R::None, 0, false},
        {15, R::None, 0, false},
        {16, R::ResetToDefaults, 0, false},
        {17, R::SwitchLanguage, 0, false},
        {18, R::SwitchLanguage, 1, false},
        {19, R::OpenWebLink, 0, false},
        {25, R::None, 0, false},
        {N, R::None, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OnRelease(c.item), (ReleaseAction{c.kind, c.value, c.clearHover})) << int{c.item};
    }
}

TEST(ChangePage, SaysWhatToCreateDestroyAndStart) {
    struct Case {
        Page from, to;
        bool destroy, led;
        HoverRepaint repaint;
        bool create;
    };
    const Case cases[] = {
        {Page::Main, Page::Advanced, false, false, HoverRepaint::HoverRegion, true},
        {Page::Color, Page::Advanced, false, false, HoverRepaint::HoverRegion, true},
        {Page::Advanced, Page::Main, true, false, HoverRepaint::Window, false},
        {Page::Advanced, Page::Color, true, true, HoverRepaint::Window, false},
        {Page::Main, Page::Color, false, true, HoverRepaint::Window, false},
        {Page::Color, Page::Main, false, false, HoverRepaint::Window, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ChangePage(c.from, c.to),
                  (PageChange{c.to, c.destroy, c.led, c.repaint, c.create}))
            << static_cast<int>(c.from) << "->" << static_cast<int>(c.to);
    }
}

TEST(ApplySettingsEdit, EditsOnlyForSettingsKinds) {
    struct Case {
        const char* what;
        PressAction action;
        bool edits;
        void (*expect)(settings::DeviceSettings&);
    };
    auto press = [](K kind, int value = 0, int index = 0) {
        PressAction a;
        a.kind = kind;
        a.value = value;
        a.index = index;
        return a;
    };
    const Case cases[] = {
        {"DPI value", press(K::SetDpiValue, 2, 7), true,
         [](settings::DeviceSettings& s) { s.dpiSet[2] = 7; }},
        {"select a disabled level: nothing", press(K::SelectDpiLevel, 1), true,
         [](settings::DeviceSettings&) {}},
        {"select an enabled level", press(K::SelectDpiLevel, 3), true,
         [](settings::DeviceSettings& s) { s.dpiLevel = 3; }},
        {"switch a level off", press(K::ToggleDpiLevelEnabled, 3), true,
         [](settings::DeviceSettings& s) { s.dpiSetEnabled[3] = 0; }},
        {"wheel option", press(K::SetWheelStatus, 1), true,
         [](settings::DeviceSettings& s) { s.wheelStatus = 1; }},
        {"pointer speed", press(K::SetDpiSpeed, 9), true,
         [](settings::DeviceSettings& s) { s.dpiSpeed = 9; }},
        {"wheel speed", press(K::SetWheelSpeed, 0), true,
         [](settings::DeviceSettings& s) { s.wheelSpeed = 0; }},
        {"fire time up", press(K::IncrementFireTime), true,
         [](settings::DeviceSettings& s) { s.fireTime = 51; }},
        {"fire time down", press(K::DecrementFireTime), true,
         [](settings::DeviceSettings& s) { s.fireTime = 49; }},
        {"LED mode", press(K::SetLedStatus, 3), true,
         [](settings::DeviceSettings& s) { s.ledStatus = 3; }},
        {"save is not an edit", press(K::SaveProfile), false, [](settings::DeviceSettings&) {}},
        {"loop while held is the macro page's", press(K::ToggleLoopWhileHeld), false,
         [](settings::DeviceSettings&) {}},
        {"drag", press(K::DragWindow), false, [](settings::DeviceSettings&) {}},
    };
    for (const Case& c : cases) {
        settings::DeviceSettings s = settings::DefaultSettings(0);
        s.dpiSetEnabled = {1, 0, 1, 1};
        settings::DeviceSettings want = s;
        c.expect(want);
        EXPECT_EQ(ApplySettingsEdit(c.action, s), c.edits) << c.what;
        EXPECT_EQ(s, want) << c.what;
    }
}

}  // namespace
}  // namespace trq::skin
