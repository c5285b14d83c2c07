#include <gtest/gtest.h>

#include <set>

#include "macros/KeyTables.h"

namespace trq::macros {
namespace {

// Both ends of every range row and a sample of the single rows.
TEST(KeyTranslation, ListedPairsTranslateBothWays) {
    const std::pair<int, int> cases[] = {
        {65, 4},    {77, 16},   {90, 29},  {49, 30},   {57, 38},   {48, 39},   {13, 40},
        {27, 41},   {8, 42},    {9, 43},   {32, 44},   {189, 45},  {187, 46},  {219, 47},
        {221, 48},  {220, 49},  {192, 50}, {186, 51},  {222, 52},  {188, 54},  {190, 55},
        {191, 56},  {20, 57},   {112, 58}, {123, 69},  {44, 70},   {145, 71},  {19, 72},
        {45, 73},   {36, 74},   {33, 75},  {46, 76},   {35, 77},   {34, 78},   {39, 79},
        {37, 80},   {40, 81},   {38, 82},  {144, 83},  {111, 84},  {106, 85},  {109, 86},
        {107, 87},  {97, 89},   {105, 97}, {96, 98},   {110, 99},  {93, 101},  {124, 104},
        {135, 115}, {43, 116},  {47, 117}, {41, 119},  {12, 156},  {108, 159}, {162, 224},
        {160, 225}, {164, 226}, {91, 227}, {163, 228}, {161, 229}, {165, 230}, {92, 231},
    };
    for (auto [vk, usage] : cases) {
        EXPECT_EQ(VirtualKeyToUsage(static_cast<std::uint8_t>(vk)), usage) << "vk " << vk;
        EXPECT_EQ(UsageToVirtualKey(static_cast<std::uint8_t>(usage)), vk) << "usage " << usage;
    }
}

TEST(KeyTranslation, UnlistedValuesStayThemselves) {
    for (int usage : {0, 1, 2, 3, 53, 88, 100, 118, 240, 241, 242, 255}) {
        EXPECT_EQ(UsageToVirtualKey(static_cast<std::uint8_t>(usage)), usage) << usage;
    }
    for (int vk : {0, 1, 2, 3, 7, 10, 240, 241, 242, 255}) {
        EXPECT_EQ(VirtualKeyToUsage(static_cast<std::uint8_t>(vk)), vk) << vk;
    }
}

// Whatever UsageToVirtualKey moves, VirtualKeyToUsage brings back (no pair listed twice).
TEST(KeyTranslation, TranslatedUsagesComeBack) {
    for (int u = 0; u < 256; ++u) {
        const auto usage = static_cast<std::uint8_t>(u);
        const std::uint8_t vk = UsageToVirtualKey(usage);
        if (vk != usage) {
            EXPECT_EQ(VirtualKeyToUsage(vk), usage) << u;
        }
    }
}

TEST(KeyName, TextsOfEveryRowKind) {
    const std::pair<int, std::string_view> cases[] = {
        {4, "A"},        {5, "B"},        {29, "Z"},          {30, "1"},         {38, "9"},
        {39, "0"},       {40, "RETURN"},  {41, "ESCAPE"},     {42, "BACK"},      {43, "TAB"},
        {44, "SPACE"},   {45, "-"},       {46, "+"},          {47, "[{"},        {48, "]}"},
        {49, "\\|"},     {50, "`~"},      {51, ";:"},         {52, " ' "},       {54, ","},
        {55, "."},       {56, "/?"},      {57, "CAPITAL"},    {58, "F1"},        {66, "F9"},
        {67, "F10"},     {69, "F12"},     {70, "SNAPSHOT"},   {71, "SCROLL"},    {72, "PAUSE"},
        {73, "INSERT"},  {74, "HOME"},    {75, "PRIOR"},      {76, "DELETE"},    {77, "END"},
        {78, "NEXT"},    {79, "RIGHT"},   {80, "LEFT"},       {81, "DOWN"},      {82, "UP"},
        {83, "NUMLOCK"}, {84, "DIVIDE"},  {85, "MULTIPLY"},   {86, "SUBTRACT"},  {87, "ADD"},
        {89, "NUMPAD1"}, {97, "NUMPAD9"}, {98, "NUMPAD0"},    {99, "DECIMAL"},   {101, "APPS"},
        {104, "F13"},    {115, "F24"},    {116, "EXECUTE"},   {117, "HELP"},     {118, "MENU"},
        {119, "SELECT"}, {156, "CLEAR"},  {159, "SEPARATOR"}, {224, "LCONTROL"}, {225, "LSHIFT"},
        {226, "LMENU"},  {227, "LWIN"},   {228, "RCONTROL"},  {229, "RSHIFT"},   {230, "RMENU"},
        {231, "RWIN"},   {240, "L-KEY"},  {241, "R-KEY"},     {242, "M-KEY"},
    };
    for (auto [code, text] : cases) {
        EXPECT_EQ(KeyName(static_cast<std::uint8_t>(code)), text) << code;
    }
}

TEST(KeyName, ExactlyTheUnnamedCodesAreNotAvailable) {
    std::set<int> unnamed = {0, 1, 2, 3, 53, 88, 100, 102, 103, 157, 158};
    for (int c = 120; c <= 155; ++c)
        unnamed.insert(c);
    for (int c = 160; c <= 223; ++c)
        unnamed.insert(c);
    for (int c = 232; c <= 239; ++c)
        unnamed.insert(c);
    for (int c = 243; c <= 255; ++c)
        unnamed.insert(c);
    for (int c = 0; c < 256; ++c) {
        const std::string_view name = KeyName(static_cast<std::uint8_t>(c));
        EXPECT_EQ(name == "NON-AVAILABLE", unnamed.contains(c)) << c << " " << name;
        EXPECT_FALSE(name.empty()) << c;
    }
}

}  // namespace
}  // namespace trq::macros
