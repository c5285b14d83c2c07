#pragma once

// The role of every layout entry. The index of an entry in its layout is its role: painting,
// hover tests and clicks address entries by these numbers, and a skin places its areas
// accordingly. Entries without a role here are the skin's own (labels, headings) or unused.

#include <cstdint>

namespace trq::skin {

namespace mainitem {

// Common strip, shown and hover-tested on all three pages.
inline constexpr int kSave = 0;
inline constexpr int kHide = 2;  // hide to the tray, dropping changes not applied
inline constexpr int kApply = 3;
inline constexpr int kFirstProfile = 4;  // profile p (1..5) is item 3 + p
inline constexpr int kLastProfile = 8;
inline constexpr int kProfileBase = 3;
inline constexpr int kTabMain = 9;  // the shown page's tab is 9 + page
inline constexpr int kTabAdvanced = 10;
inline constexpr int kTabColor = 11;
inline constexpr int kMinimise = 12;
inline constexpr int kClose = 13;
inline constexpr int kImportProfile = 14;
inline constexpr int kExportProfile = 15;
inline constexpr int kReset = 16;
inline constexpr int kChinese = 17;
inline constexpr int kEnglish = 18;
inline constexpr int kWebLink = 19;
inline constexpr int kStripCount = 20;  // items 0..19
inline constexpr int kLastStrip = 19;

// Main page.
inline constexpr int kSlotCount = 7;
inline constexpr int kFirstSlot = 25;  // button slot K0..K6; text replaced by the function's name
inline constexpr int kLastSlot = 31;
inline constexpr int kWheelStatus0 = 41;
inline constexpr int kWheelStatus1 = 42;
inline constexpr int kDpiLevels = 4;
inline constexpr int kFirstDpiEnable = 46;    // 46 + level: the level's enable box
inline constexpr int kFirstDpiSelector = 54;  // 54 + level: selects the level in use
inline constexpr int kDpiBarsPerLevel = 12;
inline constexpr int kFirstDpiBar = 66;  // 66 + 12 * level + value index
inline constexpr int kLastDpiBar = 113;
inline constexpr int kFirstHint = 115;  // 115 + slot: lit while the slot is hovered
inline constexpr int kLastHint = 121;
inline constexpr int kHintOffset = kFirstHint - kFirstSlot;  // 90

// Texts: items 0..53 are drawn on the Main page, 54..123 are read but never drawn.
inline constexpr int kMainPageTextCount = 54;
// Hover-tested items: 0..114 on the Main page, the strip only on the other pages.
inline constexpr int kLastHoverMainPage = 114;
inline constexpr int kLastHoverOtherPages = kLastStrip;

constexpr int Profile(int profile) {
    return kProfileBase + profile;
}
constexpr int Tab(int page) {
    return kTabMain + page;
}
constexpr int Slot(int slot) {
    return kFirstSlot + slot;
}
constexpr int Hint(int slot) {
    return kFirstHint + slot;
}
constexpr int DpiEnable(int level) {
    return kFirstDpiEnable + level;
}
constexpr int DpiSelector(int level) {
    return kFirstDpiSelector + level;
}
constexpr int DpiBar(int level, int valueIndex) {
    return kFirstDpiBar + kDpiBarsPerLevel * level + valueIndex;
}

static_assert(DpiBar(kDpiLevels - 1, kDpiBarsPerLevel - 1) == kLastDpiBar);
static_assert(Slot(kSlotCount - 1) == kLastSlot && Hint(kSlotCount - 1) == kLastHint);
static_assert(Profile(5) == kLastProfile);

}  // namespace mainitem

namespace advanceditem {

inline constexpr int kImportMacros = 0;
inline constexpr int kExportMacros = 1;
inline constexpr int kNewMacro = 2;
inline constexpr int kDeleteMacro = 3;
inline constexpr int kRecord = 4;  // text "Record"/"Stop" by the recorder's state
inline constexpr int kSaveMacro = 5;
inline constexpr int kRepeatMode = 6;     // pressed while the macro repeats a count
inline constexpr int kLoopWhileHeld = 7;  // pressed while macroMode2 is on
inline constexpr int kSpeedSteps = 10;
inline constexpr int kFirstPointerSpeed = 8;  // 8 + dpiSpeed
inline constexpr int kFirstWheelSpeed = 18;   // 18 + wheelSpeed
inline constexpr int kFireTrack = 30;         // fire-time slider
inline constexpr int kFireUp = 31;
inline constexpr int kFireDown = 32;
inline constexpr int kFireLabel = 33;     // text replaced by "<fireTime>ms"
inline constexpr int kPressCount = 43;    // text replaced by "[↓]" + press steps
inline constexpr int kReleaseCount = 44;  // text replaced by "[↑]" + release steps
inline constexpr int kLastHover = 37;
inline constexpr int kPageTextCount = 72;  // strip texts 0..19, then advanced 0..51

constexpr int PointerSpeed(int step) {
    return kFirstPointerSpeed + step;
}
constexpr int WheelSpeed(int step) {
    return kFirstWheelSpeed + step;
}

}  // namespace advanceditem

namespace coloritem {

inline constexpr int kLedModes = 4;
inline constexpr int kFirstLedMode = 0;  // item ledStatus is pressed
inline constexpr int kDpiNumber = 9;     // text replaced by the DPI of the level in use
inline constexpr int kPreview = 11;      // LED preview area
inline constexpr int kLastHover = 4;
inline constexpr int kPageTextCount = 33;  // strip texts 0..19, then colour 0..12

}  // namespace coloritem

namespace warningitem {

inline constexpr int kGoOn = 0;    // result 1: open the function menu
inline constexpr int kCancel = 1;  // result 2
inline constexpr int kMessage = 2;

}  // namespace warningitem

// Rows of the two function-menu pictures: the row height is the picture height divided by these.
inline constexpr int kFunctionMenuRows = 10;
inline constexpr int kSubMenuRows = 12;

}  // namespace trq::skin
