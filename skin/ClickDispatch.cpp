#include "skin/ClickDispatch.h"

#include "skin/SkinIndexMap.h"

namespace trq::skin {
namespace {

PressAction Kind(PressKind kind, int value = 0, int index = 0) {
    PressAction action;
    action.kind = kind;
    action.value = value;
    action.index = index;
    return action;
}

PressAction GoTo(Page page) {
    PressAction action = Kind(PressKind::GoToPage);
    action.page = page;
    return action;
}

bool Within(int item, int first, int last) {
    return item >= first && item <= last;
}

PressAction OnMainPage(int main) {
    using namespace mainitem;
    switch (main) {
        case kTabAdvanced:
            return GoTo(Page::Advanced);
        case kTabColor:
            return GoTo(Page::Color);
        case kImportProfile:
            return Kind(PressKind::ImportProfile);
        case kExportProfile:
            return Kind(PressKind::ExportProfile);
        case kSave:
            return Kind(PressKind::SaveProfile);
        case kWheelStatus0:
            return Kind(PressKind::SetWheelStatus, 0);
        case kWheelStatus1:
            return Kind(PressKind::SetWheelStatus, 1);
        case kNoItem:
            return Kind(PressKind::DragWindow);
        default:
            break;
    }
    if (Within(main, kFirstSlot, kLastSlot)) {
        return Kind(PressKind::OpenFunctionMenu, main - kFirstSlot);
    }
    if (Within(main, DpiEnable(0), DpiEnable(kDpiLevels - 1))) {
        return Kind(PressKind::ToggleDpiLevelEnabled, main - kFirstDpiEnable);
    }
    if (Within(main, DpiSelector(0), DpiSelector(kDpiLevels - 1))) {
        return Kind(PressKind::SelectDpiLevel, main - kFirstDpiSelector);
    }
    if (Within(main, kFirstDpiBar, kLastDpiBar)) {
        const int bar = main - kFirstDpiBar;
        return Kind(PressKind::SetDpiValue, bar / kDpiBarsPerLevel, bar % kDpiBarsPerLevel);
    }
    return {};
}

PressAction OnAdvancedPage(int main, int advanced, const SkinLayouts& layouts) {
    using namespace advanceditem;
    if (main == mainitem::kTabMain) return GoTo(Page::Main);
    if (main == mainitem::kTabColor) return GoTo(Page::Color);
    switch (advanced) {
        case kImportMacros:
            return Kind(PressKind::ImportMacros);
        case kExportMacros:
            return Kind(PressKind::ExportMacros);
        case kNewMacro:
            return Kind(PressKind::NewMacro);
        case kDeleteMacro:
            return Kind(PressKind::DeleteMacro);
        case kRecord:
            return Kind(PressKind::ToggleRecording);
        case kSaveMacro:
            return Kind(PressKind::SaveMacroSettings);
        case kRepeatMode:
            return Kind(PressKind::ToggleRepeatMode);
        case kLoopWhileHeld:
            return Kind(PressKind::ToggleLoopWhileHeld);
        case kFireUp:
            return Kind(PressKind::IncrementFireTime);
        case kFireDown:
            return Kind(PressKind::DecrementFireTime);
        case kFireTrack: {
            PressAction action = Kind(PressKind::SetFireTimeFromSlider);
            if (static_cast<std::size_t>(kFireTrack) < layouts.advanced.areas.size()) {
                action.sliderLeft = layouts.advanced.areas[kFireTrack].x;
                action.sliderWidth = layouts.advanced.areas[kFireTrack].width;
            }
            return action;
        }
        case kNoItem:
            return main == kNoItem ? Kind(PressKind::DragWindow) : PressAction{};
        default:
            break;
    }
    if (Within(advanced, PointerSpeed(0), PointerSpeed(kSpeedSteps - 1))) {
        return Kind(PressKind::SetDpiSpeed, advanced - kFirstPointerSpeed);
    }
    if (Within(advanced, WheelSpeed(0), WheelSpeed(kSpeedSteps - 1))) {
        return Kind(PressKind::SetWheelSpeed, advanced - kFirstWheelSpeed);
    }
    return {};
}

PressAction OnColorPage(int main, int color) {
    using namespace coloritem;
    if (main == mainitem::kTabMain) return GoTo(Page::Main);
    if (main == mainitem::kTabAdvanced) return GoTo(Page::Advanced);
    if (Within(color, kFirstLedMode, kFirstLedMode + kLedModes - 1)) {
        return Kind(PressKind::SetLedStatus, color - kFirstLedMode);
    }
    if (color == kNoItem && main == kNoItem) return Kind(PressKind::DragWindow);
    return {};
}

}  // namespace

PressAction OnPress(Page page, const HoverState& hover, bool functionMenuOpen, SkinPoint click,
                    const SkinLayouts& layouts) {
    PressAction action;
    switch (page) {
        case Page::Main:
            action = OnMainPage(hover.mainHover);
            break;
        case Page::Advanced:
            action = OnAdvancedPage(hover.mainHover, hover.advancedHover, layouts);
            break;
        case Page::Color:
            action = OnColorPage(hover.mainHover, hover.colorHover);
            break;
    }
    action.holdButton =
        hover.mainHover != kNoItem || hover.colorHover != kNoItem || hover.advancedHover != kNoItem;
    action.closeFunctionMenu = page == Page::Main && functionMenuOpen;
    action.point = click;
    return action;
}

ReleaseAction OnRelease(std::uint8_t mainHover) {
    using namespace mainitem;
    ReleaseAction action;
    const int item = mainHover;
    if (Within(item, kFirstProfile, kLastProfile)) {
        action.kind = ReleaseKind::PickProfile;
        action.value = item - kProfileBase;
        return action;
    }
    switch (item) {
        case kHide:
            action.kind = ReleaseKind::HideDroppingChanges;
            action.clearMainHover = true;
            break;
        case kApply:
            action.kind = ReleaseKind::Apply;
            break;
        case kMinimise:
            action.kind = ReleaseKind::Minimise;
            action.clearMainHover = true;
            break;
        case kClose:
            action.kind = ReleaseKind::HideToTray;
            action.clearMainHover = true;
            break;
        case kReset:
            action.kind = ReleaseKind::ResetToDefaults;
            break;
        case kChinese:
            action.kind = ReleaseKind::SwitchLanguage;
            action.value = 0;
            break;
        case kEnglish:
            action.kind = ReleaseKind::SwitchLanguage;
            action.value = 1;
            break;
        case kWebLink:
            action.kind = ReleaseKind::OpenWebLink;
            break;
        default:
            break;
    }
    return action;
}

PageChange ChangePage(Page from, Page to) {
    PageChange change;
    change.to = to;
    change.destroyMacroControls = from == Page::Advanced && to != Page::Advanced;
    change.startLedPreview = to == Page::Color;
    change.repaint = to == Page::Advanced ? HoverRepaint::HoverRegion : HoverRepaint::Window;
    change.createMacroControls = to == Page::Advanced && from != Page::Advanced;
    return change;
}

bool ApplySettingsEdit(const PressAction& action, settings::DeviceSettings& s) {
    switch (action.kind) {
        case PressKind::SetWheelStatus:
            settings::SetWheelStatus(s, action.value);
            return true;
        case PressKind::ToggleDpiLevelEnabled:
            settings::ToggleDpiLevelEnabled(s, action.value);
            return true;
        case PressKind::SelectDpiLevel:
            settings::SelectDpiLevel(s, action.value);
            return true;
        case PressKind::SetDpiValue:
            settings::SetDpiValue(s, action.value, action.index);
            return true;
        case PressKind::SetDpiSpeed:
            settings::SetDpiSpeed(s, action.value);
            return true;
        case PressKind::SetWheelSpeed:
            settings::SetWheelSpeed(s, action.value);
            return true;
        case PressKind::SetFireTimeFromSlider:
            settings::SetFireTimeFromSlider(s, action.point.x, action.sliderLeft,
                                            action.sliderWidth);
            return true;
        case PressKind::IncrementFireTime:
            settings::IncrementFireTime(s);
            return true;
        case PressKind::DecrementFireTime:
            settings::DecrementFireTime(s);
            return true;
        case PressKind::SetLedStatus:
            settings::SetLedStatus(s, action.value);
            return true;
        default:
            return false;
    }
}

}  // namespace trq::skin
