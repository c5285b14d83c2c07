#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "macros/MacroRecord.h"
#include "skin/PaintPlan.h"
#include "tests/skin/GridSkin.h"

namespace trq::skin {
namespace {

using testing::Drawings;
using testing::GridSkin;
using testing::TextIn;
using testing::Texts;
using Lines = std::vector<std::string>;

PaintState StateOn(Page page) {
    PaintState s;
    s.page = page;
    s.settings = settings::DefaultSettings(0);
    s.currentProfile = 1;
    s.language = 1;
    s.mainHover = kNoItem;
    return s;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Drawings of main items 0..19 only: on the Advanced and Color pages with nothing of the
// page hovered, that is exactly the common strip.
Lines StripOf(const PaintPlan& plan) {
    Lines strip;
    for (const std::string& line : Drawings(plan)) {
        const auto space = line.find(' ');
        if (line[space + 1] == 'm' && std::stoi(line.substr(space + 2)) < 20) {
            strip.push_back(line);
        }
    }
    return strip;
}

TEST(PaintPlan, DrawsTheMainPageInOrder) {
    PaintState s = StateOn(Page::Main);
    s.mainHover = 0;  // as at start, before the pointer moves
    s.language = 0;
    s.settings.dpiSet = {0, 1, 0, 0};
    const Lines want = {
        "Over m0",                                                 // hovered item
        "Down m54",                                                // level in use
        "Fill m66 L0", "Down m46",                                 // level 0: one segment
        "Fill m78 L1", "Fill m79 L1", "Down m47",                  // level 1: two
        "Fill m90 L2", "Down m48",    "Fill m102 L3", "Down m49",  //
        "Down m41",                                                // wheel option 0
        "Over m0",     "Down m4",     "Down m9",      "Down m17",  // strip
    };
    EXPECT_EQ(Drawings(BuildPaintPlan(s, GridSkin())), want);
}

TEST(PaintPlan, FillsOneBarSegmentMoreThanTheValueIndex) {
    struct Case {
        std::uint8_t dpiSet;
        int segments;
    };
    for (const Case c : {Case{0, 1}, Case{5, 6}, Case{11, 12}, Case{12, 12}, Case{255, 12}}) {
        PaintState s = StateOn(Page::Main);
        s.settings.dpiSet = {c.dpiSet, 0, 0, 0};
        const Lines lines = Drawings(BuildPaintPlan(s, GridSkin()));
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.ends_with(" L0"); }),
                  c.segments)
            << "dpiSet " << int{c.dpiSet};
    }
}

TEST(PaintPlan, BarFillLeavesTheSegmentsFrame) {
    SkinLayouts layouts = GridSkin();
    layouts.main.areas[66] = {100, 50, 20, 10};
    layouts.main.areas[67] = {130, 50, 2, 10};  // nothing left inside: no fill
    PaintState s = StateOn(Page::Main);
    s.settings.dpiSet = {1, 0, 0, 0};
    std::vector<FillOp> level0;
    for (const PaintOp& op : BuildPaintPlan(s, layouts).ops) {
        if (const auto* fill = std::get_if<FillOp>(&op); fill && fill->color == kDpiBarColors[0]) {
            level0.push_back(*fill);
        }
    }
    ASSERT_EQ(level0.size(), 1u);
    EXPECT_EQ(level0[0].area, (SkinRect{101, 51, 18, 9}));
}

TEST(PaintPlan, MainOverlaysFollowTheSettings) {
    struct Case {
        const char* what;
        void (*change)(PaintState&);
        Lines present;
        Lines absent;
    };
    const Case cases[] = {
        {"enable box only when the flag is exactly 1",
         [](PaintState& s) {
             s.settings.dpiSetEnabled = {0, 1, 2, 1};
         },
         {"Down m47", "Down m49"},
         {"Down m46", "Down m48"}},
        {"level in use above 3 lights the last selector",
         [](PaintState& s) { s.settings.dpiLevel = 9; },
         {"Down m57"},
         {"Down m54"}},
        {"negative level lights the first selector",
         [](PaintState& s) { s.settings.dpiLevel = -4; },
         {"Down m54"},
         {}},
        {"wheel option 1",
         [](PaintState& s) { s.settings.wheelStatus = 1; },
         {"Down m42"},
         {"Down m41"}},
        {"any nonzero wheel option shows 1",
         [](PaintState& s) { s.settings.wheelStatus = 7; },
         {"Down m42"},
         {"Down m41"}},
        {"hovered slot lights its hint",
         [](PaintState& s) { s.mainHover = 27; },
         {"Over m27", "Over m117"},
         {}},
        {"hovered non-slot lights no hint",
         [](PaintState& s) { s.mainHover = 32; },
         {"Over m32"},
         {"Over m115", "Over m116", "Over m122"}},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(Page::Main);
        c.change(s);
        const Lines lines = Drawings(BuildPaintPlan(s, GridSkin()));
        for (const std::string& line : c.present)
            EXPECT_TRUE(Has(lines, line)) << c.what << line;
        for (const std::string& line : c.absent)
            EXPECT_FALSE(Has(lines, line)) << c.what << line;
    }
}

TEST(PaintPlan, HoveredItemOfThePage) {
    struct Case {
        const char* what;
        Page page;
        std::uint8_t mainHover, advancedHover, colorHover;
        bool held;
        std::string first;  // first drawing of the plan
    };
    const Case cases[] = {
        {"main item hovered", Page::Main, 60, kNoItem, kNoItem, false, "Over m60"},
        {"main item held", Page::Main, 60, kNoItem, kNoItem, true, "Down m60"},
        {"nothing hovered starts with the overlays", Page::Main, kNoItem, kNoItem, kNoItem, true,
         "Down m54"},
        {"the Main page ignores the other hovers", Page::Main, kNoItem, 5, 2, false, "Down m54"},
        {"advanced item hovered", Page::Advanced, kNoItem, 30, kNoItem, false, "Over a30"},
        {"advanced item held", Page::Advanced, kNoItem, 5, kNoItem, true, "Down a5"},
        {"slider track held shows no pressed track", Page::Advanced, kNoItem, 30, kNoItem, true,
         "Down a12"},
        {"colour item held", Page::Color, 3, kNoItem, 2, true, "Down c2"},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(c.page);
        s.mainHover = c.mainHover;
        s.advancedHover = c.advancedHover;
        s.colorHover = c.colorHover;
        s.leftButtonHeld = c.held;
        s.settings.fireTime = 0;
        const Lines lines = Drawings(BuildPaintPlan(s, GridSkin()));
        ASSERT_FALSE(lines.empty()) << c.what;
        EXPECT_EQ(lines.front(), c.first) << c.what;
    }
}

TEST(PaintPlan, CommonStripFirstRuleWins) {
    struct Case {
        const char* what;
        Page page;
        int profile;
        std::uint8_t language;
        std::uint8_t mainHover;
        bool held;
        Lines want;
    };
    const Case cases[] = {
        {"profile, tab, Chinese",
         Page::Advanced,
         3,
         0,
         kNoItem,
         false,
         {"Down m6", "Down m10", "Down m17"}},
        {"English", Page::Advanced, 3, 1, kNoItem, false, {"Down m6", "Down m10", "Down m18"}},
        {"language 2 lights neither language",
         Page::Advanced,
         3,
         2,
         kNoItem,
         false,
         {"Down m6", "Down m10"}},
        {"hovered tab is drawn hovered",
         Page::Advanced,
         3,
         0,
         10,
         false,
         {"Down m6", "Over m10", "Down m17"}},
        {"hovered tab held is drawn pressed",
         Page::Advanced,
         3,
         0,
         10,
         true,
         {"Down m6", "Down m10", "Down m17"}},
        {"the profile's own button stays pressed under the pointer",
         Page::Advanced,
         3,
         0,
         6,
         false,
         {"Down m6", "Down m10", "Down m17"}},
        {"hovered strip item",
         Page::Advanced,
         3,
         0,
         12,
         false,
         {"Down m6", "Down m10", "Over m12", "Down m17"}},
        {"Color page tab", Page::Color, 5, 1, kNoItem, false, {"Down m8", "Down m11", "Down m18"}},
        {"no profile lights no Apply", Page::Color, 0, 1, kNoItem, false, {"Down m11", "Down m18"}},
        {"a stray profile lights nothing",
         Page::Color,
         -3,
         1,
         kNoItem,
         false,
         {"Down m11", "Down m18"}},
        {"profile 6 lights nothing", Page::Color, 6, 1, kNoItem, false, {"Down m11", "Down m18"}},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(c.page);
        s.currentProfile = c.profile;
        s.language = c.language;
        s.mainHover = c.mainHover;
        s.leftButtonHeld = c.held;
        EXPECT_EQ(StripOf(BuildPaintPlan(s, GridSkin())), c.want) << c.what;
    }
}

TEST(PaintPlan, DrawsTheAdvancedOverlaysInOrder) {
    PaintState s = StateOn(Page::Advanced);
    s.recording = true;
    s.settings.dpiSpeed = 12;  // past the last step
    s.settings.wheelSpeed = 0;
    s.settings.fireTime = 0;
    s.settings.macroMode2 = 1;
    s.currentMacro = 2;
    s.macroRepeatMode[2] = 1;
    const Lines want = {"Down a4", "Down a17", "Down a18", "Down a7",
                        "Down a6", "Down m4",  "Down m10", "Down m18"};
    EXPECT_EQ(Drawings(BuildPaintPlan(s, GridSkin())), want);
}

TEST(PaintPlan, RepeatModeOfTheCurrentMacroOnly) {
    for (int current : {0, 1, -1, 12, 1000}) {
        PaintState s = StateOn(Page::Advanced);
        s.macroRepeatMode = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        s.currentMacro = current;
        EXPECT_EQ(Has(Drawings(BuildPaintPlan(s, GridSkin())), "Down a6"), current == 1) << current;
    }
}

TEST(PaintPlan, FireTimeSliderCoversItsShareOfTheTrack) {
    struct Case {
        std::int32_t fireTime;
        std::int32_t trackWidth;
        std::int32_t want;  // filled width, 0 for no copy
    };
    const Case cases[] = {
        {150, 200, 100},
        {0, 200, 0},
        {300, 200, 200},
        {299, 200, 199},
        {1, 200, 0},
        {1000, 200, 200},  // above the range: clamped
        {-20, 200, 0},
        {150, 0, 0},
        {150, -40, 0},
        {300, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()},
    };
    for (const Case& c : cases) {
        SkinLayouts layouts = GridSkin();
        layouts.advanced.areas[30] = {1000, 150, c.trackWidth, 8};
        PaintState s = StateOn(Page::Advanced);
        s.settings.fireTime = c.fireTime;
        std::int32_t filled = 0;
        for (const PaintOp& op : BuildPaintPlan(s, layouts).ops) {
            const auto* copy = std::get_if<CopyOp>(&op);
            if (copy && copy->area.x == 1000 && copy->area.y == 150) {
                EXPECT_EQ(copy->from, Picture::Down);
                EXPECT_EQ(copy->area.height, 8);
                filled = copy->area.width;
            }
        }
        EXPECT_EQ(filled, c.want) << c.fireTime << " ms on " << c.trackWidth;
    }
}

TEST(PaintPlan, ColorPageShowsTheLedModeAndPreview) {
    struct Case {
        std::uint8_t ledStatus;
        bool gray;
        std::uint8_t color;
        Lines want;
    };
    const Case cases[] = {
        {2, true, 3, {"Down c2", "Gray c11"}},
        {2, false, 0, {"Down c2", "Blue c11"}},
        {2, false, 1, {"Down c2"}},
        {2, false, 2, {"Down c2", "Over c11"}},
        {2, false, 3, {"Down c2", "Down c11"}},
        {9, false, 1, {"Down c3"}},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(Page::Color);
        s.settings.ledStatus = c.ledStatus;
        s.previewGray = c.gray;
        s.previewColor = c.color;
        Lines lines = Drawings(BuildPaintPlan(s, GridSkin()));
        lines.resize(lines.size() - 3);  // the strip
        EXPECT_EQ(lines, c.want) << int{c.ledStatus} << c.gray << int{c.color};
    }
}

TEST(PaintPlan, DrawsEachPagesTexts) {
    struct Case {
        Page page;
        Lines cells;
    };
    auto range = [](char prefix, int from, int to) {
        Lines names;
        for (int i = from; i <= to; ++i)
            names.push_back(prefix + std::to_string(i));
        return names;
    };
    auto join = [](Lines a, const Lines& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {Page::Main, range('m', 0, 53)},
        {Page::Advanced, join(range('m', 0, 19), range('a', 0, 51))},
        {Page::Color, join(range('m', 0, 19), range('c', 0, 12))},
    };
    for (const Case& c : cases) {
        Lines cells;
        for (const TextOp& t : Texts(BuildPaintPlan(StateOn(c.page), GridSkin()))) {
            cells.push_back(testing::CellName(t.area.x, t.area.y));
            const bool slot = c.page == Page::Main && t.area.y == 0 &&
                              t.area.x >= testing::kCell * 25 && t.area.x <= testing::kCell * 31;
            EXPECT_EQ(t.align, slot ? TextAlign::LeftCentred : TextAlign::Centred) << cells.back();
            EXPECT_EQ(t.color, kTextColor) << cells.back();
        }
        EXPECT_EQ(cells, c.cells) << static_cast<int>(c.page);
    }
}

TEST(PaintPlan, ButtonSlotShowsTheFunctionOrMacroName) {
    struct Case {
        std::int32_t code;
        const char* want;  // nullptr: no label
    };
    const Case cases[] = {
        {1, "f1"},    {7, "f7"},     {40, "f40"},   {41, "Macro A"}, {52, "Last"},
        {0, nullptr}, {53, nullptr}, {54, nullptr}, {-1, nullptr},   {1000, nullptr},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(Page::Main);
        s.macroNames[0] = "Macro A";
        s.macroNames[11] = "Last";
        s.settings.buttonFunction[2] = c.code;
        const auto texts = Texts(BuildPaintPlan(s, GridSkin()));
        const TextOp* label = TextIn(texts, "m27");
        if (c.want == nullptr) {
            EXPECT_EQ(label, nullptr) << c.code;
        } else {
            ASSERT_NE(label, nullptr) << c.code;
            EXPECT_EQ(label->text, c.want);
            EXPECT_EQ(label->align, TextAlign::LeftCentred);
        }
    }
}

TEST(PaintPlan, HoveredTextTurnsRedOnlyWhereItMay) {
    struct Case {
        const char* what;
        Page page;
        std::uint8_t mainHover, advancedHover, colorHover;
        std::string red;  // the one red text, or empty
    };
    const Case cases[] = {
        {"hovered slot", Page::Main, 27, kNoItem, kNoItem, "m27"},
        {"other Main items stay white", Page::Main, 40, kNoItem, kNoItem, ""},
        {"strip items stay white", Page::Main, 3, kNoItem, kNoItem, ""},
        {"hovered advanced item", Page::Advanced, kNoItem, 33, kNoItem, "a33"},
        {"a strip item on the Advanced page stays white", Page::Advanced, 5, kNoItem, kNoItem, ""},
        {"colour texts stay white", Page::Color, kNoItem, kNoItem, 2, ""},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(c.page);
        s.mainHover = c.mainHover;
        s.advancedHover = c.advancedHover;
        s.colorHover = c.colorHover;
        std::string red;
        for (const TextOp& t : Texts(BuildPaintPlan(s, GridSkin()))) {
            if (t.color == kHoveredTextColor) red += testing::CellName(t.area.x, t.area.y);
        }
        EXPECT_EQ(red, c.red) << c.what;
    }
}

TEST(PaintPlan, AdvancedPageShowsLiveValues) {
    struct Case {
        std::uint8_t language;
        bool recording;
        const char* record;
    };
    for (const Case& c : {Case{0, false, "录制"}, Case{0, true, "停止"}, Case{1, false, "Record"},
                          Case{1, true, "Stop"}, Case{2, true, "Stop"}}) {
        PaintState s = StateOn(Page::Advanced);
        s.language = c.language;
        s.recording = c.recording;
        s.settings.fireTime = 150;
        s.pressCount = 3;
        s.releaseCount = 0;
        const auto texts = Texts(BuildPaintPlan(s, GridSkin()));
        ASSERT_NE(TextIn(texts, "a4"), nullptr);
        EXPECT_EQ(TextIn(texts, "a4")->text, c.record);
        EXPECT_EQ(TextIn(texts, "a33")->text, "150ms");
        EXPECT_EQ(TextIn(texts, "a43")->text, "[↓]3");
        EXPECT_EQ(TextIn(texts, "a44")->text, "[↑]0");
        EXPECT_EQ(TextIn(texts, "a45")->text, "a45");
    }
    PaintState s = StateOn(Page::Advanced);
    s.settings.fireTime = 900;
    const auto texts = Texts(BuildPaintPlan(s, GridSkin()));
    ASSERT_NE(TextIn(texts, "a33"), nullptr);
    EXPECT_EQ(TextIn(texts, "a33")->text, "300ms")
        << "the label shows the fire time the mouse is sent";
}

TEST(PaintPlan, ColorPageShowsTheAppliedDpiOfTheLevelInUse) {
    struct Case {
        std::array<std::uint8_t, 4> applied;
        std::int32_t level;
        const char* want;
    };
    const Case cases[] = {
        {{1, 9, 15, 4}, 0, "200"},  {{1, 9, 15, 4}, 1, "2000"},
        {{1, 9, 15, 4}, 2, "4800"}, {{1, 9, 15, 4}, 7, "800"},  // level clamped to 3
        {{0, 0, 0, 0}, 0, "200"},                               // before the first apply
        {{8, 8, 8, 8}, 0, "200"},                               // a code not in the table
        {{13, 0, 0, 0}, 0, "3200"},
    };
    for (const Case& c : cases) {
        PaintState s = StateOn(Page::Color);
        s.appliedDpiCodes = c.applied;
        s.settings.dpiLevel = c.level;
        s.settings.dpiSet = {0, 0, 0, 0};  // the edited value must not leak in
        const auto texts = Texts(BuildPaintPlan(s, GridSkin()));
        const TextOp* number = TextIn(texts, "c9");
        ASSERT_NE(number, nullptr);
        EXPECT_EQ(number->text, c.want);
    }
}

TEST(PaintPlan, FontFollowsTheLanguage) {
    for (auto [language, font] : {std::pair{0, SkinFont::Chinese}, std::pair{1, SkinFont::English},
                                  std::pair{2, SkinFont::English}}) {
        PaintState s = StateOn(Page::Main);
        s.language = static_cast<std::uint8_t>(language);
        EXPECT_EQ(BuildPaintPlan(s, GridSkin()).font, font) << language;
    }
}

TEST(PaintPlan, SurvivesEmptyAndZeroSizedLayouts) {
    SkinLayouts empty;
    empty.main = empty.color = empty.advanced = SkinLayout{};
    const SkinLayouts zeroed;  // full size, every area (0, 0, 0, 0) and every text empty
    for (Page page : {Page::Main, Page::Advanced, Page::Color}) {
        PaintState s = StateOn(page);
        s.mainHover = 27;
        s.advancedHover = 30;
        s.colorHover = 200;  // past the end of any layout
        s.settings.buttonFunction[2] = 41;
        s.macroNames[0] = "Macro A";
        EXPECT_TRUE(BuildPaintPlan(s, empty).ops.empty()) << static_cast<int>(page);
        for (const PaintOp& op : BuildPaintPlan(s, zeroed).ops) {
            // Only texts with live values remain; they have nothing to copy or fill.
            EXPECT_TRUE(std::holds_alternative<TextOp>(op)) << static_cast<int>(page);
        }
    }
}

TEST(TextOrigin, CentresWithTruncatingDivision) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* what;
        SkinRect area;
        TextAlign align;
        std::int32_t tw, th;
        SkinPoint want;
    };
    const Case cases[] = {
        {"centred", {10, 20, 100, 30}, TextAlign::Centred, 40, 10, {40, 30}},
        {"odd space rounds down", {0, 0, 11, 11}, TextAlign::Centred, 4, 4, {3, 3}},
        {"wider text rounds toward zero", {0, 0, 10, 10}, TextAlign::Centred, 15, 13, {-2, -1}},
        {"left keeps 5 pixels", {10, 20, 100, 30}, TextAlign::LeftCentred, 40, 10, {15, 30}},
        {"left ignores the width of the text",
         {10, 20, 4, 31},
         TextAlign::LeftCentred,
         400,
         10,
         {15, 30}},
        {"far edge saturates", {kMax - 1, 0, kMax, 0}, TextAlign::Centred, 0, 0, {kMax, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextOrigin(c.area, c.align, c.tw, c.th), c.want) << c.what;
    }
}

TEST(SetMacroState, CopiesNamesAsUtf8AndRepeatModes) {
    macros::UserMacroTable table;
    table.currentMacro = 2;
    macros::SetMacroName(table.records[0], u"宏1");
    macros::SetMacroName(table.records[1], u"\U0001F600x");
    table.records[2].name[0] = 'A';
    table.records[2].name[2] = 0x00;
    table.records[2].name[3] = 0xD8;  // a lone high surrogate straight from a file
    table.records[2].name[4] = 'B';
    table.records[2].repeatMode = 1;
    PaintState s;
    SetMacroState(s, table);
    EXPECT_EQ(s.currentMacro, 2);
    EXPECT_EQ(s.macroNames[0], "宏1");
    EXPECT_EQ(s.macroNames[1], "\U0001F600x");
    EXPECT_EQ(s.macroNames[2], "A\uFFFDB");
    EXPECT_EQ(s.macroNames[3], "");
    EXPECT_EQ(s.macroRepeatMode[2], 1);
    EXPECT_EQ(s.macroRepeatMode[0], 0);
}

}  // namespace
}  // namespace trq::skin
