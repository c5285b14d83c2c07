#pragma once

// The skin's design as the layout files give it, for the skin generator and its checks.
//
// Besides what the program reads, the layout files carry two things for the generator:
//   - field 0 of every BUTTONPOS, EDIT and MACRODISPLAY entry names the item's look (its
//     style: "button", "toggle", "slot", "bar", ...); the program ignores that field;
//   - a section "DECOR" the program never reads, keys 1, 2, ... in the same entry syntax, with
//     the window size ("window"), panels, the mouse drawing and other fixed decoration.
// Both languages share one set of pictures, so their files must agree in everything but texts.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinLayout.h"

namespace trq::skintool {

// The function menu and its sub-menu: fixed picture sizes, rows stacked from the top.
inline constexpr int kMenuRowHeight = 28;
inline constexpr int kFunctionMenuWidth = 180;
inline constexpr int kSubMenuWidth = 200;

struct DesignItem {
    int index = 0;  // the key: BUTTONPOS index, EDIT/MACRODISPLAY key, DECOR key
    std::string style;
    skin::SkinRect area;
    std::string text;  // field 5
};

// What one layout file gives the generator.
struct LayoutDesign {
    std::vector<DesignItem> items;     // BUTTONPOS entries that name a style, by index
    std::vector<DesignItem> controls;  // EDIT 3, 4 and MACRODISPLAY 1, 2 (advanced file only)
    std::vector<DesignItem> decor;     // DECOR 1, 2, ... up to the first missing key

    const DesignItem* Find(int index) const;
    // The first decoration of that style, or null.
    const DesignItem* FindDecor(std::string_view style) const;
};

struct SkinDesign {
    std::uint8_t language = 1;
    skin::SkinLayouts layouts;  // as the program loads them
    LayoutDesign main;
    LayoutDesign color;
    LayoutDesign advanced;
    LayoutDesign warning;

    // Window sizes from the "window" decorations of the main and warning files.
    skin::SkinRect MainWindow() const;
    skin::SkinRect WarningWindow() const;
};

struct DesignLoad {
    std::optional<SkinDesign> design;
    std::vector<std::string> problems;  // why there is no design, or what the files got wrong
};

// Loads the four layout files of a language from `skinFolder` through the program's loader
// and reads the styles and decorations. A missing file or a value with more than six commas
// is a problem; so is a missing "window" decoration.
DesignLoad LoadSkinDesign(const std::filesystem::path& skinFolder, std::uint8_t language);

// Where two languages' designs differ in anything the pictures show (styles, areas, control
// areas, decorations with their texts): one line each, empty when they agree.
std::vector<std::string> CompareGeometry(const SkinDesign& a, const SkinDesign& b);

// Looks that carry no text of their own (icons, boxes, bars, the mouse buttons, slider,
// preview, control frames): such items may leave their text empty.
bool IsGraphicStyle(std::string_view style);

}  // namespace trq::skintool
