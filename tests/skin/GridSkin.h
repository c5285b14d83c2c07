#pragma once

// Layouts where every item has its own 8 x 8 cell, one row per layout (main at y 0,
// advanced at y 100, colour at y 200; item i at x 10 i), so a plan can be read back as
// item names: "m12", "a30", "c11".

#include <string>
#include <variant>
#include <vector>

#include "skin/PaintPlan.h"
#include "skin/SkinLayout.h"

namespace trq::skin::testing {

inline constexpr int kCell = 10;
inline constexpr int kAdvancedRow = 100;
inline constexpr int kColorRow = 200;

inline void FillRow(SkinLayout& layout, int y, char prefix) {
    for (std::size_t i = 0; i < layout.size(); ++i) {
        layout.areas[i] = SkinRect{static_cast<std::int32_t>(kCell * i), y, 8, 8};
        layout.texts[i] = prefix + std::to_string(i);
    }
}

inline SkinLayouts GridSkin() {
    SkinLayouts layouts;
    FillRow(layouts.main, 0, 'm');
    FillRow(layouts.advanced, kAdvancedRow, 'a');
    FillRow(layouts.color, kColorRow, 'c');
    for (std::size_t k = 0; k < layouts.functionNames.size(); ++k) {
        layouts.functionNames[k] = "f" + std::to_string(k + 1);
    }
    return layouts;
}

// The centre of an item's cell.
inline SkinPoint MainPoint(int item) {
    return {kCell * item + 4, 4};
}
inline SkinPoint AdvancedPoint(int item) {
    return {kCell * item + 4, kAdvancedRow + 4};
}
inline SkinPoint ColorPoint(int item) {
    return {kCell * item + 4, kColorRow + 4};
}

// The item whose cell has its top-left corner at (x, y), e.g. "a30".
inline std::string CellName(std::int32_t x, std::int32_t y) {
    const char prefix = y == 0 ? 'm' : y == kAdvancedRow ? 'a' : y == kColorRow ? 'c' : '?';
    if (prefix == '?' || x % kCell != 0) return "?";
    return prefix + std::to_string(x / kCell);
}

inline const char* PictureName(Picture p) {
    switch (p) {
        case Picture::Normal:
            return "Normal";
        case Picture::Over:
            return "Over";
        case Picture::Down:
            return "Down";
        case Picture::Gray:
            return "Gray";
        case Picture::Blue:
            return "Blue";
    }
    return "?";
}

// "Down m54" for a whole-cell copy; "Fill m66 L2" for a DPI bar of level 2's colour.
inline std::vector<std::string> Drawings(const PaintPlan& plan) {
    std::vector<std::string> lines;
    for (const PaintOp& op : plan.ops) {
        if (const auto* copy = std::get_if<CopyOp>(&op)) {
            lines.push_back(std::string(PictureName(copy->from)) + " " +
                            CellName(copy->area.x, copy->area.y));
        } else if (const auto* fill = std::get_if<FillOp>(&op)) {
            std::string level = "L?";
            for (std::size_t l = 0; l < kDpiBarColors.size(); ++l) {
                if (kDpiBarColors[l] == fill->color) level = "L" + std::to_string(l);
            }
            lines.push_back("Fill " + CellName(fill->area.x - 1, fill->area.y - 1) + " " + level);
        }
    }
    return lines;
}

inline std::vector<TextOp> Texts(const PaintPlan& plan) {
    std::vector<TextOp> texts;
    for (const PaintOp& op : plan.ops) {
        if (const auto* text = std::get_if<TextOp>(&op)) texts.push_back(*text);
    }
    return texts;
}

// The text drawn in an item's cell, or nullptr.
inline const TextOp* TextIn(const std::vector<TextOp>& texts, const std::string& cell) {
    for (const TextOp& t : texts) {
        if (CellName(t.area.x, t.area.y) == cell) return &t;
    }
    return nullptr;
}

}  // namespace trq::skin::testing
