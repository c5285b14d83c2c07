#pragma once

// Reading the skin's layout files.
//
// One INI file per page and language, under the skin folder: "INI_EN" holds the English files
// (language != 0), "INI_CN" the Chinese ones (language 0):
//   main      INI_EN/skin_main_en.ini      INI_CN/skin_main.ini      BUTTONPOS 0..123,
//   FUN_STRING 1..54 color     INI_EN/skin_color_en.ini     INI_CN/skin_color.ini     BUTTONPOS
//   0..12 advanced  INI_EN/skin_advance_en.ini   INI_CN/skin_advance.ini   BUTTONPOS 0..51, EDIT 3,
//   4,
//                                                                     MACRODISPLAY 1, 2
//   warning   INI_EN/LBWarning_en.ini      INI_CN/LBWarning.ini      BUTTONPOS 0..2
// Keys are decimal indices without leading zeros. A value is cut to its first 259 characters
// and split at commas into seven fields:
//   field 0      not used (the function's name in FUN_STRING)
//   fields 1..4  x, y, width, height: decimal integers read like atoi (blanks skipped, optional
//                sign, digits up to the first non-digit, 0 without digits)
//   field 5      the item's text (BUTTONPOS only)
//   field 6      everything after the sixth comma, further commas included; not used
// so a complete entry reads "name,x,y,w,h,text," with exactly six commas. Fields are neither
// trimmed nor unescaped; missing pieces, keys and sections read as empty.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileResult.h"
#include "base/IniFile.h"
#include "skin/SkinLayout.h"

namespace trq::skin {

inline constexpr std::size_t kSkinFieldCount = 7;
inline constexpr std::size_t kSkinValueBufferChars = 260;  // so 259 characters count

struct SkinEntry {
    std::array<std::string, kSkinFieldCount> fields;
    bool tooManyCommas = false;  // more than six commas: the rest went into field 6
};

// Splits one value (already cut to its buffer) into the seven fields.
SkinEntry SplitSkinValue(std::string_view value);

// Key `index` of `section`, cut to 259 characters and split.
SkinEntry ReadSkinEntry(const base::IniDocument& file, std::string_view section, int index);

// The entry's area from fields 1..4.
SkinRect SkinEntryRect(const SkinEntry& entry);

enum class SkinFile { Main, Color, Advanced, Warning };

// The layout file of a page for a language (any non-zero language is English).
std::filesystem::path SkinLayoutPath(const std::filesystem::path& skinFolder, SkinFile file,
                                     std::uint8_t language);

// A key whose value has more than six commas; loading went on with it.
struct SkinKeyWarning {
    std::string file;
    std::string section;
    int index = 0;
};

struct SkinLoadResult {
    // NotFound or ReadFailed with the file's path when the layout file cannot be read; the
    // layouts are then left as they were.
    base::FileResult file;
    // One per key with more than six commas, in reading order.
    std::vector<SkinKeyWarning> warnings;

    bool ok() const { return file.ok(); }
};

// Each loader reads its file once and overwrites its part of `layouts` whole: every BUTTONPOS
// key of its table (areas from fields 1..4, texts from field 5), and in addition
//   LoadMainSkin:     functionNames[k - 1] = field 0 of FUN_STRING key k, k = 1..54
//   LoadAdvancedSkin: repeatCountArea, macroNameArea (EDIT 3, 4), macroListArea, stepListArea
//                     (MACRODISPLAY 1, 2) as left/top/right/bottom
SkinLoadResult LoadMainSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                            SkinLayouts& layouts);
SkinLoadResult LoadColorSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                             SkinLayouts& layouts);
SkinLoadResult LoadAdvancedSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                                SkinLayouts& layouts);
SkinLoadResult LoadWarningSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                               SkinLayouts& layouts);

// The four loaders in the order of a language switch (main, color, advanced, warning); stops
// at the first file that cannot be read. Warnings of all files read are collected.
SkinLoadResult LoadSkinLayouts(const std::filesystem::path& skinFolder, std::uint8_t language,
                               SkinLayouts& layouts);

}  // namespace trq::skin
