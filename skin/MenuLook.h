#pragma once

// How the program's own pop-up menus (tray menu, step-list context menu) look: entry sizes,
// colours, the selected entry's gradient and the separator's frame. Pure data and arithmetic;
// skin/ui/CTrqMenu draws with it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/SkinLayout.h"

namespace trq::skin {

// One menu entry. id is the command sent when it is chosen; 0 marks a separator and -1 an
// entry that opens a submenu.
struct MenuEntry {
    std::string text;  // UTF-8, shown exactly as given
    std::int32_t id = 0;
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

inline constexpr std::int32_t kMenuSeparatorId = 0;
inline constexpr std::int32_t kMenuSubmenuId = -1;

struct MenuRgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const MenuRgb&, const MenuRgb&) = default;
};

inline constexpr MenuRgb kMenuTextColor{255, 255, 255};
inline constexpr MenuRgb kMenuFillColor{0, 120, 153};       // an entry that is not selected
inline constexpr MenuRgb kMenuGradientTop{0, 0, 255};       // selected entry, first row
inline constexpr MenuRgb kMenuGradientBottom{0, 255, 255};  // selected entry, aimed-at end
inline constexpr MenuRgb kMenuFrameColor{0, 0, 0};          // frame around a selected entry
inline constexpr MenuRgb kSeparatorTopLeft{255, 0, 0};
inline constexpr MenuRgb kSeparatorBottomRight{0, 0, 255};

inline constexpr std::int32_t kMenuItemHeight = 20;
inline constexpr std::int32_t kMenuSeparatorHeight = 1;
inline constexpr std::int32_t kMenuCharWidth = 8;
inline constexpr std::int32_t kMenuTextLeft = 10;     // text starts this far right of the entry
inline constexpr std::int32_t kSeparatorIndent = 25;  // the separator frame's left edge moves in

// Characters of a UTF-8 text: code points, counting every byte that does not continue a
// sequence, so a malformed byte still counts as one character.
inline std::int32_t MenuTextLength(const std::string& text) {
    std::int32_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

struct MenuItemSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const MenuItemSize&, const MenuItemSize&) = default;
};

// Width 8 per character of the text, height 20; a separator is 1 high.
inline MenuItemSize MeasureMenuEntry(const MenuEntry& entry) {
    return {kMenuCharWidth * MenuTextLength(entry.text),
            entry.id == kMenuSeparatorId ? kMenuSeparatorHeight : kMenuItemHeight};
}

// The colour of every row of a selected entry's gradient, top row first, for an inner area
// `rows` high. Each channel steps by (end - start) / rows computed in floating point and
// truncated toward zero, so the bottom row stops short of the end colour (20 px entry: 18
// rows, green step 14, last row (0, 238, 255)); values wrap modulo 256. Empty for rows <= 0.
inline std::vector<MenuRgb> MenuGradientRows(std::int32_t rows, MenuRgb start = kMenuGradientTop,
                                             MenuRgb end = kMenuGradientBottom) {
    std::vector<MenuRgb> out;
    if (rows <= 0) return out;
    const auto step = [rows](std::uint8_t from, std::uint8_t to) {
        return static_cast<std::int32_t>((static_cast<double>(to) - static_cast<double>(from)) /
                                         static_cast<double>(rows));
    };
    const std::int32_t sr = step(start.r, end.r);
    const std::int32_t sg = step(start.g, end.g);
    const std::int32_t sb = step(start.b, end.b);
    const auto channel = [](std::uint8_t from, std::int32_t stepBy, std::int32_t row) {
        return static_cast<std::uint8_t>(static_cast<std::uint32_t>(from + stepBy * row) & 0xFFu);
    };
    out.reserve(static_cast<std::size_t>(rows));
    for (std::int32_t row = 0; row < rows; ++row) {
        out.push_back(
            {channel(start.r, sr, row), channel(start.g, sg, row), channel(start.b, sb, row)});
    }
    return out;
}

struct MenuFill {
    SkinRect area;
    MenuRgb color;
    friend bool operator==(const MenuFill&, const MenuFill&) = default;
};

// The separator's one-pixel 3D frame around `item` with its left edge moved in, as fills in
// drawing order: top and left red, then right and bottom blue. Later fills cover earlier
// ones, so on a separator one pixel high the blue bottom line covers the red top: the line
// shows blue. Fills of zero size are left out.
inline std::vector<MenuFill> SeparatorFrame(const SkinRect& item) {
    const SkinRect r{item.x + kSeparatorIndent, item.y, item.width - kSeparatorIndent, item.height};
    std::vector<MenuFill> fills;
    if (r.width <= 0 || r.height <= 0) return fills;
    const std::array<MenuFill, 4> all{
        MenuFill{{r.x, r.y, r.width - 1, 1}, kSeparatorTopLeft},
        MenuFill{{r.x, r.y, 1, r.height - 1}, kSeparatorTopLeft},
        MenuFill{{r.x + r.width - 1, r.y, 1, r.height}, kSeparatorBottomRight},
        MenuFill{{r.x, r.y + r.height - 1, r.width, 1}, kSeparatorBottomRight},
    };
    for (const MenuFill& f : all) {
        if (f.area.width > 0 && f.area.height > 0) fills.push_back(f);
    }
    return fills;
}

}  // namespace trq::skin
