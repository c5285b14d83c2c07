#include "macros/KeyTables.h"

#include <array>
#include <cstddef>

namespace trq::macros {
namespace {

// `count` consecutive virtual keys from `virtualKey` match usages from `usage`.
struct KeyPair {
    std::uint8_t virtualKey;
    std::uint8_t usage;
    std::uint8_t count = 1;
};

constexpr KeyPair kKeyPairs[] = {
    {65, 4, 26},    // A..Z
    {49, 30, 9},    // 1..9
    {48, 39},       // 0
    {13, 40},       // Enter
    {27, 41},       // Escape
    {8, 42},        // Backspace
    {9, 43},        // Tab
    {32, 44},       // Space
    {189, 45},      // -
    {187, 46},      // =
    {219, 47},      // [
    {221, 48},      // ]
    {220, 49},      // backslash
    {192, 50},      // ` (usage 50, not 53)
    {186, 51},      // ;
    {222, 52},      // '
    {188, 54},      // ,
    {190, 55},      // .
    {191, 56},      // /
    {20, 57},       // Caps Lock
    {112, 58, 12},  // F1..F12
    {44, 70},       // Print Screen
    {145, 71},      // Scroll Lock
    {19, 72},       // Pause
    {45, 73},       // Insert
    {36, 74},       // Home
    {33, 75},       // Page Up
    {46, 76},       // Delete
    {35, 77},       // End
    {34, 78},       // Page Down
    {39, 79},       // Right
    {37, 80},       // Left
    {40, 81},       // Down
    {38, 82},       // Up
    {144, 83},      // Num Lock
    {111, 84},      // keypad /
    {106, 85},      // keypad *
    {109, 86},      // keypad -
    {107, 87},      // keypad +
    {97, 89, 9},    // keypad 1..9
    {96, 98},       // keypad 0
    {110, 99},      // keypad .
    {93, 101},      // Application
    {124, 104, 12}, // F13..F24
    {43, 116},      // Execute
    {47, 117},      // Help
    {41, 119},      // Select
    {12, 156},      // Clear
    {108, 159},     // Separator
    {162, 224},     // left Ctrl
    {160, 225},     // left Shift
    {164, 226},     // left Alt
    {91, 227},      // left Windows
    {163, 228},     // right Ctrl
    {161, 229},     // right Shift
    {165, 230},     // right Alt
    {92, 231},      // right Windows
};

using ByteMap = std::array<std::uint8_t, 256>;

// One direction of the pair table; unlisted bytes map to themselves.
template <bool kFromVirtualKey>
constexpr ByteMap BuildMap() {
    ByteMap map{};
    for (std::size_t i = 0; i < map.size(); ++i) map[i] = static_cast<std::uint8_t>(i);
    for (const KeyPair& pair : kKeyPairs) {
        for (int k = 0; k < pair.count; ++k) {
            const auto vk = static_cast<std::uint8_t>(pair.virtualKey + k);
            const auto usage = static_cast<std::uint8_t>(pair.usage + k);
            map[kFromVirtualKey ? vk : usage] = kFromVirtualKey ? usage : vk;
        }
    }
    return map;
}

// The two maps are inverse on the listed pairs only if no byte is listed twice on a side.
constexpr bool EachByteListedOnce() {
    std::array<bool, 256> vkListed{};
    std::array<bool, 256> usageListed{};
    for (const KeyPair& pair : kKeyPairs) {
        for (int k = 0; k < pair.count; ++k) {
            const int vk = pair.virtualKey + k;
            const int usage = pair.usage + k;
            if (vk > 255 || usage > 255 || vkListed[vk] || usageListed[usage]) return false;
            vkListed[vk] = usageListed[usage] = true;
        }
    }
    return true;
}
static_assert(EachByteListedOnce());

constexpr ByteMap kVirtualKeyToUsage = BuildMap<true>();
constexpr ByteMap kUsageToVirtualKey = BuildMap<false>();

// ---- Key names ----

inline constexpr std::size_t kNameChars = 16;

// Codes `first`..`last` are named `text`; for a range, the text is a prefix followed by a
// running decimal number from `number`, or (with number 0) a running letter from text[0].
struct NameRow {
    std::uint8_t first;
    std::uint8_t last;
    std::string_view text;
    int number = -1;
};

constexpr NameRow kNameRows[] = {
    {4, 29, "A", 0},          {30, 38, "", 1},          {39, 39, "0"},
    {40, 40, "RETURN"},       {41, 41, "ESCAPE"},       {42, 42, "BACK"},
    {43, 43, "TAB"},          {44, 44, "SPACE"},        {45, 45, "-"},
    {46, 46, "+"},            {47, 47, "[{"},           {48, 48, "]}"},
    {49, 49, "\\|"},          {50, 50, "`~"},           {51, 51, ";:"},
    {52, 52, " ' "},          {54, 54, ","},            {55, 55, "."},
    {56, 56, "/?"},           {57, 57, "CAPITAL"},      {58, 69, "F", 1},
    {70, 70, "SNAPSHOT"},     {71, 71, "SCROLL"},       {72, 72, "PAUSE"},
    {73, 73, "INSERT"},       {74, 74, "HOME"},         {75, 75, "PRIOR"},
    {76, 76, "DELETE"},       {77, 77, "END"},          {78, 78, "NEXT"},
    {79, 79, "RIGHT"},        {80, 80, "LEFT"},         {81, 81, "DOWN"},
    {82, 82, "UP"},           {83, 83, "NUMLOCK"},      {84, 84, "DIVIDE"},
    {85, 85, "MULTIPLY"},     {86, 86, "SUBTRACT"},     {87, 87, "ADD"},
    {89, 97, "NUMPAD", 1},    {98, 98, "NUMPAD0"},      {99, 99, "DECIMAL"},
    {101, 101, "APPS"},       {104, 115, "F", 13},      {116, 116, "EXECUTE"},
    {117, 117, "HELP"},       {118, 118, "MENU"},       {119, 119, "SELECT"},
    {156, 156, "CLEAR"},      {159, 159, "SEPARATOR"},  {224, 224, "LCONTROL"},
    {225, 225, "LSHIFT"},     {226, 226, "LMENU"},      {227, 227, "LWIN"},
    {228, 228, "RCONTROL"},   {229, 229, "RSHIFT"},     {230, 230, "RMENU"},
    {231, 231, "RWIN"},       {240, 240, "L-KEY"},      {241, 241, "R-KEY"},
    {242, 242, "M-KEY"},
};

constexpr std::string_view kUnnamed = "NON-AVAILABLE";

struct NameText {
    std::array<char, kNameChars> chars{};
    std::size_t size = 0;

    constexpr void Append(std::string_view text) {
        for (char c : text) chars[size++] = c;
    }
    constexpr void AppendNumber(int n) {
        if (n >= 10) AppendNumber(n / 10);
        chars[size++] = static_cast<char>('0' + n % 10);
    }
};

constexpr std::array<NameText, 256> BuildNames() {
    std::array<NameText, 256> names{};
    for (NameText& name : names) name.Append(kUnnamed);
    for (const NameRow& row : kNameRows) {
        for (int code = row.first; code <= row.last; ++code) {
            NameText& name = names[static_cast<std::size_t>(code)];
            name = {};
            const int offset = code - row.first;
            if (row.number == 0) {
                name.chars[name.size++] = static_cast<char>(row.text[0] + offset);
            } else {
                name.Append(row.text);
                if (row.number > 0) name.AppendNumber(row.number + offset);
            }
        }
    }
    return names;
}

constexpr std::array<NameText, 256> kNames = BuildNames();

}  // namespace

std::uint8_t VirtualKeyToUsage(std::uint8_t virtualKey) { return kVirtualKeyToUsage[virtualKey]; }

std::uint8_t UsageToVirtualKey(std::uint8_t usage) { return kUsageToVirtualKey[usage]; }

std::string_view KeyName(std::uint8_t code) {
    const NameText& name = kNames[code];
    return {name.chars.data(), name.size};
}

}  // namespace trq::macros
