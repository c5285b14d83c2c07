#pragma once

// The Color page's LED preview as steps: it shows how the mouse's LED behaves in the applied
// LED mode, in the colour of the DPI level in use. A worker thread drives it:
//
//   state = StartLedPreview(shown, dpiLevel); publish state.shown
//   while the Color page is shown:
//       step = NextLedPreview(state, appliedLedMode, dpiLevel); state = step.state
//       publish state.shown
//       if step.holdMs > 0: request a repaint, wait step.holdMs
//       request a repaint, wait step.waitMs
//   clear the running flag
//
// Modes 0 and 1 alternate between a colour and gray (LED off), stepping to the next colour
// each time they go gray, 1200 ms or 800 ms per phase; mode 2 is steady, mode 3 off. A
// change of DPI level shows the new level's colour for 2 s first.

#include <cstdint>

namespace trq::skin {

// The two values the paint reads.
struct LedPreview {
    std::uint8_t previewColor = 0;  // 0 blue, 1 pink, 2 red, 3 purple (= DPI level 0..3)
    bool previewGray = false;
    friend bool operator==(const LedPreview&, const LedPreview&) = default;
};

struct LedPreviewState {
    LedPreview shown;
    int level = 0;  // the DPI level last seen
    friend bool operator==(const LedPreviewState&, const LedPreviewState&) = default;
};

inline constexpr int kLedLevelHoldMs = 2000;
inline constexpr int kLedFastPhaseMs = 800;   // mode 1
inline constexpr int kLedSlowPhaseMs = 1200;  // every other mode

// The start: the colour of the level in use; gray stays as it was shown last.
LedPreviewState StartLedPreview(LedPreview shown, int dpiLevel);

struct LedPreviewStep {
    LedPreviewState state;
    int holdMs = 0;  // > 0: repaint and wait this long before the phase wait
    int waitMs = 0;
    friend bool operator==(const LedPreviewStep&, const LedPreviewStep&) = default;
};

// One phase for the applied LED mode and the DPI level in use. Levels outside 0..3 are
// clamped; modes other than 1, 2, 3 behave as mode 0.
LedPreviewStep NextLedPreview(const LedPreviewState& state, int appliedLedMode, int dpiLevel);

}  // namespace trq::skin
