#include "skin/LedPreview.h"

#include <algorithm>

namespace trq::skin {
namespace {

constexpr int kModeFast = 1;
constexpr int kModeSteady = 2;
constexpr int kModeOff = 3;
constexpr int kColors = 4;

std::uint8_t ColorOfLevel(int dpiLevel) {
    return static_cast<std::uint8_t>(std::clamp(dpiLevel, 0, kColors - 1));
}

}  // namespace

LedPreviewState StartLedPreview(LedPreview shown, int dpiLevel) {
    LedPreviewState state;
    state.shown = shown;
    state.shown.previewColor = ColorOfLevel(dpiLevel);
    state.level = state.shown.previewColor;
    return state;
}

LedPreviewStep NextLedPreview(const LedPreviewState& state, int appliedLedMode, int dpiLevel) {
    LedPreviewStep step;
    step.state = state;
    LedPreview& shown = step.state.shown;
    const std::uint8_t color = ColorOfLevel(dpiLevel);
    if (appliedLedMode == kModeOff) {
        shown = {color, true};
    } else if (appliedLedMode == kModeSteady) {
        shown = {color, false};
    } else if (color != state.level) {
        shown = {color, false};
        step.state.level = color;
        step.holdMs = kLedLevelHoldMs;
    } else if (shown.previewGray) {
        shown.previewGray = false;
    } else {
        shown.previewGray = true;
        shown.previewColor = static_cast<std::uint8_t>((shown.previewColor + 1) % kColors);
    }
    step.waitMs = appliedLedMode == kModeFast ? kLedFastPhaseMs : kLedSlowPhaseMs;
    return step;
}

}  // namespace trq::skin
