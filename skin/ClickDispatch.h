#pragma once

// What a left-button press or release on the main window does. A click acts on the items
// hovered at the last pointer movement; its position only matters for the window drag and
// the fire-time slider. The window carries out the returned action.

#include <cstdint>

#include "settings/DeviceSettings.h"
#include "skin/HitTest.h"
#include "skin/HoverTracker.h"
#include "skin/Page.h"
#include "skin/SkinLayout.h"

namespace trq::skin {

enum class PressKind : std::uint8_t {
    None,
    GoToPage,          // page: follow ChangePage(shown, page)
    ImportProfile,     // Main page only
    ExportProfile,     // Main page only
    SaveProfile,       // Main page only: save the current profile, repaint
    OpenFunctionMenu,  // value: button slot 0..6 (main item 25 + slot)
    DragWindow,        // point: move the window as if its caption were grabbed
    // Settings edits (ApplySettingsEdit carries them out):
    SetWheelStatus,         // value: 0 or 1
    ToggleDpiLevelEnabled,  // value: level 0..3
    SelectDpiLevel,         // value: level 0..3
    SetDpiValue,            // value: level 0..3, index: DPI value index 0..11
    SetDpiSpeed,            // value: step 0..9
    SetWheelSpeed,          // value: step 0..9
    SetFireTimeFromSlider,  // point.x, sliderLeft, sliderWidth
    IncrementFireTime,
    DecrementFireTime,
    SetLedStatus,  // value: mode 0..3
    // Macro page actions (Advanced page items 0..7):
    ImportMacros,
    ExportMacros,
    NewMacro,
    DeleteMacro,
    ToggleRecording,  // start or stop the recorder
    SaveMacroSettings,
    ToggleRepeatMode,
    ToggleLoopWhileHeld,
};

struct PressAction {
    // First, before anything else: set leftButtonHeld and repaint the whole window. True
    // when the press lands on any item of any of the three layouts.
    bool holdButton = false;
    // Then, on the Main page: destroy the open function menu before acting.
    bool closeFunctionMenu = false;
    PressKind kind = PressKind::None;
    Page page = Page::Main;
    int value = 0;
    int index = 0;
    SkinPoint point;  // the click
    std::int32_t sliderLeft = 0;
    std::int32_t sliderWidth = 0;

    friend bool operator==(const PressAction&, const PressAction&) = default;
};

// The action of a press on the shown page, by the hover indices in `hover` (first match
// of the page's rules wins). Strip items that act on release, the tab of the shown page
// and items without a role give kind None; a press on no item at all gives DragWindow
// (on the Advanced and Color pages only when no strip item is hit either).
PressAction OnPress(Page page, const HoverState& hover, bool functionMenuOpen, SkinPoint click,
                    const SkinLayouts& layouts);

enum class ReleaseKind : std::uint8_t {
    None,
    HideDroppingChanges,  // save dpiLevel into the applied snapshot, reload it, hide to tray
    Apply,
    PickProfile,  // value: profile 1..5; load it into the window, nothing sent
    Minimise,     // minimise only, no tray icon
    HideToTray,
    ResetToDefaults,
    SwitchLanguage,  // value: 0 Chinese, 1 English
    OpenWebLink,
};

struct ReleaseAction {
    // Every release first clears leftButtonHeld and repaints the whole window.
    ReleaseKind kind = ReleaseKind::None;
    int value = 0;
    bool clearMainHover = false;  // mainHover := kNoItem before acting (hide and minimise)

    friend bool operator==(const ReleaseAction&, const ReleaseAction&) = default;
};

// The action of a release, the same on every page, by the main item under the pointer at
// the last movement (not where the press was).
ReleaseAction OnRelease(std::uint8_t mainHover);

// What the window does when the page changes, in this order:
//   destroyMacroControls - leaving Advanced: destroy the repeat-count edit, the name edit,
//                          the macro name list and the step list, in this order;
//   startLedPreview      - entering Color: start the LED preview unless it runs (it ends
//                          by itself once the page is left);
//   repaint              - HoverRegion entering Advanced, else the whole window;
//   createMacroControls  - entering Advanced: create the four controls, paint at once,
//                          refresh the macro name list, paint at once.
struct PageChange {
    Page to = Page::Main;
    bool destroyMacroControls = false;
    bool startLedPreview = false;
    HoverRepaint repaint = HoverRepaint::Window;
    bool createMacroControls = false;

    friend bool operator==(const PageChange&, const PageChange&) = default;
};

PageChange ChangePage(Page from, Page to);

// Carries out a press that only edits the settings in memory (the kinds between
// SetWheelStatus and SetLedStatus) and returns true; the window then repaints. Any other
// kind changes nothing and gives false.
bool ApplySettingsEdit(const PressAction& action, settings::DeviceSettings& settings);

}  // namespace trq::skin
