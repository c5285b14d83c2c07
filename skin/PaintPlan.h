#pragma once

// What one paint of the main window draws, as data: the ordered copies from the page's
// pictures, the DPI bar fills and the texts. The window executes the plan in order on a
// canvas that starts as the page's normal picture, then shows the canvas in one step.
// Building the plan needs no display; only measuring and drawing the texts does.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "macros/MacroTables.h"
#include "settings/DeviceSettings.h"
#include "skin/HitTest.h"
#include "skin/Page.h"
#include "skin/SkinLayout.h"

namespace trq::skin {

// The pictures a plan copies from. Normal, Over and Down are the shown page's three state
// pictures; Gray and Blue are the Color page's extra LED preview pictures.
enum class Picture : std::uint8_t { Normal, Over, Down, Gray, Blue };

// File name of a picture in the skin folder, e.g. "main_over.jpg"; empty for Gray and Blue
// on a page other than Color.
std::string_view PictureFile(Page page, Picture picture);

struct SkinColor {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const SkinColor&, const SkinColor&) = default;
};

inline constexpr SkinColor kTextColor{255, 255, 255};
inline constexpr SkinColor kHoveredTextColor{255, 0, 0};
// DPI bar colour of levels 0..3: blue, magenta, red, violet.
inline constexpr std::array<SkinColor, 4> kDpiBarColors{
    SkinColor{0, 0, 255}, SkinColor{255, 0, 255}, SkinColor{255, 0, 0}, SkinColor{128, 0, 255}};

// Copy `area` of `from` to the same place on the canvas, unscaled and opaque.
struct CopyOp {
    Picture from = Picture::Normal;
    SkinRect area;
    friend bool operator==(const CopyOp&, const CopyOp&) = default;
};

// Fill `area` of the canvas with a solid colour.
struct FillOp {
    SkinRect area;
    SkinColor color;
    friend bool operator==(const FillOp&, const FillOp&) = default;
};

enum class TextAlign : std::uint8_t {
    Centred,      // centred in the area both ways
    LeftCentred,  // 5 pixels from the area's left edge, centred vertically
};

// One line of text, transparent background, placed by TextOrigin with the text's measured
// size in the plan's font. Not clipped to the area.
struct TextOp {
    std::string text;  // UTF-8, never empty
    SkinRect area;
    TextAlign align = TextAlign::Centred;
    SkinColor color = kTextColor;
    friend bool operator==(const TextOp&, const TextOp&) = default;
};

using PaintOp = std::variant<CopyOp, FillOp, TextOp>;

// Fonts: English "Arial" 14 px high (7 wide), Chinese "宋体" 12 px high (6 wide), weight
// normal. Any language other than 0 uses the English font.
enum class SkinFont : std::uint8_t { Chinese, English };

struct PaintPlan {
    Page page = Page::Main;
    SkinFont font = SkinFont::Chinese;
    std::vector<PaintOp> ops;  // in drawing order; no copy or fill has an empty area
};

// Everything a paint reads. The window fills it from its own state right before painting.
struct PaintState {
    Page page = Page::Main;
    std::uint8_t mainHover = 0;
    std::uint8_t advancedHover = kNoItem;
    std::uint8_t colorHover = kNoItem;
    bool leftButtonHeld = false;

    // LED preview of the Color page: colour 0 blue, 1 pink, 2 red, 3 purple; gray = off.
    std::uint8_t previewColor = 0;
    bool previewGray = false;

    settings::DeviceSettings settings;
    std::int32_t currentProfile = 0;
    std::uint8_t language = 0;  // 0 Chinese, anything else English
    // The DPI code of each level as last sent to the mouse (0 before the first apply).
    std::array<std::uint8_t, settings::kDpiLevelCount> appliedDpiCodes{};

    bool recording = false;  // the macro recorder runs
    int currentMacro = 0;
    std::array<std::uint8_t, macros::kUserMacroCapacity> macroRepeatMode{};
    std::array<std::string, macros::kUserMacroCapacity> macroNames;  // UTF-8
    int pressCount = 0;                                              // press steps in the step list
    int releaseCount = 0;  // release steps in the step list
};

// Copies currentMacro and every user macro's repeat mode and name (as UTF-8; a lone
// surrogate becomes U+FFFD) from the table.
void SetMacroState(PaintState& state, const macros::UserMacroTable& table);

// The plan of one paint of the shown page:
//   1. the page's hovered item (Down while the button is held, else Over; nothing for the
//      fire-time slider track while held);
//   2. the page's overlays: Main - DPI selector, bars, enable boxes, wheel option, the hint
//      of a hovered button slot; Advanced - record button, speed options, fire-time slider,
//      loop and repeat buttons; Color - LED mode and the LED preview;
//   3. the common strip, main items 0..19 (profile, hover, tab, language; first rule wins);
//   4. the texts: Main 54, Advanced 72, Color 33, with the live values in place of the
//      texts of the button slots, the record button, the fire time, the step counts and
//      the Color page's DPI number.
// Settings out of range index through the clamps of DeviceSettings.h; a button slot whose
// code lies outside 1..52 gets no label; items past the end of a layout, areas of zero size
// and empty texts are left out. Never fails.
PaintPlan BuildPaintPlan(const PaintState& state, const SkinLayouts& layouts);

// The top-left point of a text of measured size tw x th drawn in `area`: centred is
// (x + (width - tw) / 2, y + (height - th) / 2), left-centred is (x + 5, y + (height -
// th) / 2), divisions truncating toward zero. Saturates at the int32 range.
SkinPoint TextOrigin(const SkinRect& area, TextAlign align, std::int32_t tw, std::int32_t th);

}  // namespace trq::skin
