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
    {65, 4, 26},     // A..Z
    {49, 30, 9},     // 1..9
    {48, 39},        // 0
    {13, 40},        // Enter
    {27, 41},        // Escape
    {8, 42},         // Backspace
    {9, 43},         // Tab
    {32, 44},        // Space
    {189, 45},       // -
    {187, 46},       // =
    {219, 47},       // [
    {221, 48},       // ]
    {220, 49},       // backslash
    {192, 50},       // ` (usage 50, not 53)
    {186, 51},       // ;
    {222, 52},       // '
    {188, 54},       // ,
    {190, 55},       // .
    {191, 56},       // /
    {20, 57},        // Caps Lock
    {112, 58, 12},   // F1..F12
    {44, 70},        // Print Screen
    {145, 71},       // Scroll Lock
    {19, 72},        // Pause
    {45, 73},        // Insert
    {36, 74},        // Home
    {33, 75},        // Page Up
    {46, 76},        // Delete
    {35, 77},        // End
    {34, 78},        // Page Down
    {39, 79},        // Right
    {37, 80},        // Left
    {40, 81},        // Down
    {38, 82},        // Up
    {144, 83},       // Num Lock
    {111, 84},       // keypad /
    {106, 85},       // keypad *
    {109, 86},       // keypad -
    {107, 87},       // keypad +
    {97, 89, 9},     // keypad 1..9
    {96, 98},        // keypad 0
    {110, 99},       // keypad .
    {93, 101},       // Application
    {124, 104, 12},  // F13..F24
    {43, 116},       // Execute
    {47, 117},       // Help
    {41, 119},       // Select
    {12, 156},       // Clear
    {108, 159},      // Separator
    {162, 224},      // left Ctrl
    {160, 225},      // left Shift
    {164, 226},      // left Alt
    {91, 227},       // left Windows
    {163, 228},      // right Ctrl
    {161, 229},      // right Shift
    {165, 230},      // right Alt
    {92, 231},       // right Windows
};

using ByteMap = std::array<std::uint8_t, 256>;

// One direction of the pair table; unlisted bytes map to themselves.
template <bool kFromVirtualKey>
constexpr ByteMap BuildMap() {
    ByteMap map{};
    for (std::size_t i = 0; i < map.size(); ++i)
        map[i] = static_cast<std::uint8_t>(i);
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

enum class NameKind {
    Text,      // the text itself
    Letters,   // one running letter from `start`
    Numbered,  // the text followed by a running decimal number from `start`
};

// Codes `first`..`last` and how they are named.
struct NameRow {
    std::uint8_t first;
    std::uint8_t last;
    NameKind kind;
    std::string_view text;
    int start = 0;
};

constexpr NameRow Text(std::uint8_t code, std::string_view text) {
    return {code, code, NameKind::Text, text};
}
constexpr NameRow Letters(std::uint8_t first, std::uint8_t last, char start) {
    return {first, last, NameKind::Letters, {}, start};
}
constexpr NameRow Numbered(std::uint8_t first, std::uint8_t last, std::string_view prefix,
                           int start) {
    return {first, last, NameKind::Numbered, prefix, start};
}

constexpr NameRow kNameRows[] = {
    Letters(4, 29, 'A'),
    Numbered(30, 38, "", 1),
    Text(39, "0"),
    Text(40, "RETURN"),
    Text(41, "ESCAPE"),
    Text(42, "BACK"),
    Text(43, "TAB"),
    Text(44, "SPACE"),
    Text(45, "-"),
    Text(46, "+"),
    Text(47, "[{"),
    Text(48, "]}"),
    Text(49, "\\|"),
    Text(50, "`~"),
    Text(51, ";:"),
    Text(52, " ' "),
    Text(54, ","),
    Text(55, "."),
    Text(56, "/?"),
    Text(57, "CAPITAL"),
    Numbered(58, 69, "F", 1),
    Text(70, "SNAPSHOT"),
    Text(71, "SCROLL"),
    Text(72, "PAUSE"),
    Text(73, "INSERT"),
    Text(74, "HOME"),
    Text(75, "PRIOR"),
    Text(76, "DELETE"),
    Text(77, "END"),
    Text(78, "NEXT"),
    Text(79, "RIGHT"),
    Text(80, "LEFT"),
    Text(81, "DOWN"),
    Text(82, "UP"),
    Text(83, "NUMLOCK"),
    Text(84, "DIVIDE"),
    Text(85, "MULTIPLY"),
    Text(86, "SUBTRACT"),
    Text(87, "ADD"),
    Numbered(89, 97, "NUMPAD", 1),
    Text(98, "NUMPAD0"),
    Text(99, "DECIMAL"),
    Text(101, "APPS"),
    Numbered(104, 115, "F", 13),
    Text(116, "EXECUTE"),
    Text(117, "HELP"),
    Text(118, "MENU"),
    Text(119, "SELECT"),
    Text(156, "CLEAR"),
    Text(159, "SEPARATOR"),
    Text(224, "LCONTROL"),
    Text(225, "LSHIFT"),
    Text(226, "LMENU"),
    Text(227, "LWIN"),
    Text(228, "RCONTROL"),
    Text(229, "RSHIFT"),
    Text(230, "RMENU"),
    Text(231, "RWIN"),
    Text(240, "L-KEY"),
    Text(241, "R-KEY"),
    Text(242, "M-KEY"),
};

constexpr std::string_view kUnnamed = "NON-AVAILABLE";

struct NameText {
    std::array<char, kNameChars> chars{};
    std::size_t size = 0;

    constexpr void Append(std::string_view text) {
        for (char c : text)
            chars[size++] = c;
    }
    constexpr void AppendNumber(int n) {
        if (n >= 10) AppendNumber(n / 10);
        chars[size++] = static_cast<char>('0' + n % 10);
    }
};

constexpr std::array<NameText, 256> BuildNames() {
    std::array<NameText, 256> names{};
    for (NameText& name : names)
        name.Append(kUnnamed);
    for (const NameRow& row : kNameRows) {
        for (int code = row.first; code <= row.last; ++code) {
            NameText& name = names[static_cast<std::size_t>(code)];
            name = {};
            const int offset = code - row.first;
            switch (row.kind) {
                case NameKind::Text:
                    name.Append(row.text);
                    break;
                case NameKind::Letters:
                    name.chars[name.size++] = static_cast<char>(row.start + offset);
                    break;
                case NameKind::Numbered:
                    name.Append(row.text);
                    name.AppendNumber(row.start + offset);
                    break;
            }
        }
    }
    return names;
}

constexpr std::array<NameText, 256> kNames = BuildNames();

}  // namespace

std::uint8_t VirtualKeyToUsage(std::uint8_t virtualKey) {
    return kVirtualKeyToUsage[virtualKey];
}

std::uint8_t UsageToVirtualKey(std::uint8_t usage) {
    return kUsageToVirtualKey[usage];
}

std::string_view KeyName(std::uint8_t code) {
    const NameText& name = kNames[code];
    return {name.chars.data(), name.size};
}

}  // namespace trq::macros
