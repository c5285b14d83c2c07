#pragma once

// The three hover indices of the main window and when a pointer movement repaints.

#include <cstdint>

#include "skin/HitTest.h"
#include "skin/Page.h"
#include "skin/SkinLayout.h"

namespace trq::skin {

// Item under the pointer at the last movement, per layout (kNoItem = none), and the value
// each had when it last caused a repaint. mainHover starts at 0, so main item 0 looks
// hovered until the pointer first moves over the window.
struct HoverState {
    std::uint8_t mainHover = 0;
    std::uint8_t advancedHover = kNoItem;
    std::uint8_t colorHover = kNoItem;

    std::uint8_t lastMain = kNoItem;
    std::uint8_t lastAdvanced = kNoItem;
    std::uint8_t lastColor = kNoItem;
};

// What a pointer movement asks the window to repaint, at once (synchronously).
enum class HoverRepaint : std::uint8_t {
    None,
    HoverRegion,  // Advanced page: the window without the name edit and the two lists
    Window,       // the whole client area
};

// On every pointer movement, whatever the page: sets the three hover indices from the
// point, and where one differs from its last acted value, remembers it and asks for a
// repaint. All three layouts are tested on every page, so e.g. colour areas repaint the
// Main page when colorHover changes. One repaint covers any number of changed indices,
// since all three are updated before it. Never fails; layouts of any size are accepted.
HoverRepaint TrackHover(SkinPoint point, Page page, const SkinLayouts& layouts, HoverState& state);

}  // namespace trq::skin
