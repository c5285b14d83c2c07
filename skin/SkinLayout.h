#pragma once

// The skin's layout tables: where every item of a page lies and what text it carries.
// Read from the layout INI files of the language's folder (see SkinLayoutFile.h); the index
// of an entry is its role (see SkinIndexMap.h).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trq::skin {

// One area in client pixels: covers x <= px < x + width, y <= py < y + height.
struct SkinRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool Contains(std::int32_t px, std::int32_t py) const {
        return px >= x && py >= y && static_cast<std::int64_t>(px) < std::int64_t{x} + width &&
               static_cast<std::int64_t>(py) < std::int64_t{y} + height;
    }
    friend bool operator==(const SkinRect&, const SkinRect&) = default;
};

// The same area as left/top/right/bottom (right = x + width, bottom = y + height).
struct SkinBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const SkinBox&, const SkinBox&) = default;
};

// Fixed entry counts of the four tables.
inline constexpr std::size_t kMainItems = 124;
inline constexpr std::size_t kColorItems = 13;
inline constexpr std::size_t kAdvancedItems = 52;
inline constexpr std::size_t kWarningItems = 3;
inline constexpr std::size_t kFunctionNames = 54;

// Parallel arrays of one page: entry i comes from key "i" of section "BUTTONPOS".
struct SkinLayout {
    std::vector<SkinRect> areas;
    std::vector<std::string> texts;  // UTF-8

    SkinLayout() = default;
    explicit SkinLayout(std::size_t count) : areas(count), texts(count) {}
    std::size_t size() const { return areas.size(); }
};

// Everything the four layout files of one language give the window.
struct SkinLayouts {
    SkinLayout main{kMainItems};
    SkinLayout color{kColorItems};
    SkinLayout advanced{kAdvancedItems};
    SkinLayout warning{kWarningItems};
    std::array<std::string, kFunctionNames> functionNames;  // entry k-1: FunctionCode k

    // The Advanced page's four child-control areas ("EDIT" 3, 4; "MACRODISPLAY" 1, 2).
    SkinBox repeatCountArea;
    SkinBox macroNameArea;
    SkinBox macroListArea;
    SkinBox stepListArea;
};

}  // namespace trq::skin
