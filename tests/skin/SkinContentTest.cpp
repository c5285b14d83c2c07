// The installed default skin: masks that survive JPEG, pictures of their masks' sizes, and
// both languages' layout files against the index map.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "macros/MacroFile.h"
#include "skin/SkinIndexMap.h"
#include "skin/ui/SkinFonts.h"
#include "skin/ui/WindowShape.h"
#include "tools/MakeSkinDesign.h"

namespace trq::skintool {
namespace {

namespace m = skin::mainitem;
namespace a = skin::advanceditem;
namespace c = skin::coloritem;
using skin::SkinRect;

const QString kSkins = QStringLiteral(TRQ_SKIN_DIR);

QImage Picture(const char* name) {
    return QImage(kSkins + QLatin1Char('/') + QString::fromUtf8(name));
}

// Window pixels of a mask by the program's rule (any channel at 100 or below).
struct MaskGrid {
    int width = 0;
    int height = 0;
    std::vector<bool> window;

    explicit MaskGrid(const QImage& mask) : width(mask.width()), height(mask.height()) {
        window.resize(static_cast<std::size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                window[Index(x, y)] = !skinui::IsCutAwayPixel(mask.pixel(x, y));
            }
        }
    }
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }
    bool Contains(const SkinRect& r) const {
        if (r.x < 0 || r.y < 0 || r.x + r.width > width || r.y + r.height > height) return false;
        for (int y = r.y; y < r.y + r.height; ++y) {
            for (int x = r.x; x < r.x + r.width; ++x) {
                if (!window[Index(x, y)]) return false;
            }
        }
        return true;
    }
};

struct Components {
    int count = 0;
    bool allTouchBorder = true;
};

// 4-connected components of the pixels whose window flag equals `value`.
Components Count(const MaskGrid& grid, bool value) {
    Components result;
    std::vector<bool> seen(grid.window.size(), false);
    for (int y0 = 0; y0 < grid.height; ++y0) {
        for (int x0 = 0; x0 < grid.width; ++x0) {
            if (grid.window[grid.Index(x0, y0)] != value || seen[grid.Index(x0, y0)]) continue;
            ++result.count;
            bool border = false;
            std::deque<std::pair<int, int>> queue{{x0, y0}};
            seen[grid.Index(x0, y0)] = true;
            while (!queue.empty()) {
                const auto [x, y] = queue.front();
                queue.pop_front();
                border = border || x == 0 || y == 0 || x == grid.width - 1 || y == grid.height - 1;
                const std::array<std::pair<int, int>, 4> next{
                    {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}};
                for (const auto& [nx, ny] : next) {
                    if (nx < 0 || ny < 0 || nx >= grid.width || ny >= grid.height) continue;
                    const std::size_t i = grid.Index(nx, ny);
                    if (seen[i] || grid.window[i] != value) continue;
                    seen[i] = true;
                    queue.emplace_back(nx, ny);
                }
            }
            result.allTouchBorder = result.allTouchBorder && border;
        }
    }
    return result;
}

TEST(SkinMaskTest, EveryMaskIsOneWindowShapeWithoutSpecksOrHoles) {
    for (const char* name :
         {"main_mask.jpg", "warning_mask.jpg", "menu_mask.jpg", "advanced menu_mask.jpg"}) {
        SCOPED_TRACE(name);
        const QImage mask = Picture(name);
        ASSERT_FALSE(mask.isNull());
        const MaskGrid grid(mask);
        EXPECT_EQ(Count(grid, true).count, 1) << "window pixels in more than one piece";
        // Every cut-away piece reaches the edge: no hole inside the window.
        EXPECT_TRUE(Count(grid, false).allTouchBorder) << "a hole inside the window";

        // Far from the threshold on both sides, so decoding differences cannot flip a pixel.
        int darkest = 255, lightest = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                const QRgb p = mask.pixel(x, y);
                const int high = std::max({qRed(p), qGreen(p), qBlue(p)});
                const int low = std::min({qRed(p), qGreen(p), qBlue(p)});
                if (grid.window[grid.Index(x, y)]) {
                    lightest = std::max(lightest, high);
                } else {
                    darkest = std::min(darkest, low);
                }
            }
        }
        EXPECT_LE(lightest, 60);
        EXPECT_GE(darkest, 160);
    }
}

TEST(SkinMaskTest, TheMainWindowIsIrregularAndAboutTheIntendedSize) {
    const MaskGrid grid(Picture("main_mask.jpg"));
    EXPECT_NEAR(grid.width, 800, 40);
    EXPECT_NEAR(grid.height, 620, 40);
    const auto windowPixels = std::count(grid.window.begin(), grid.window.end(), true);
    EXPECT_LT(windowPixels, static_cast<long>(grid.window.size()));
    EXPECT_GT(windowPixels, static_cast<long>(grid.window.size()) * 9 / 10);
}

TEST(SkinPictureTest, EveryPictureHasItsMasksSize) {
    const std::map<std::string, std::vector<const char*>> byMask{
        {"main_mask.jpg",
         {"main_normal.jpg", "main_over.jpg", "main_down.jpg", "advanced_normal.jpg",
          "advanced_over.jpg", "advanced_down.jpg", "color_normal_pink.jpg", "color_over_red.jpg",
          "color_down_purple.jpg", "color_normal_gray.jpg", "color_over_blue.jpg"}},
        {"menu_mask.jpg", {"menu_normal.jpg", "menu_over.jpg", "menu_down.jpg"}},
        {"advanced menu_mask.jpg",
         {"advanced menu_normal.jpg", "advanced menu_over.jpg", "advanced menu_down.jpg"}},
        {"warning_mask.jpg", {"warning_normal.jpg", "warning_over.jpg"}},
    };
    for (const auto& [mask, pictures] : byMask) {
        const QSize size = Picture(mask.c_str()).size();
        ASSERT_FALSE(size.isEmpty()) << mask;
        for (const char* picture : pictures) {
            EXPECT_EQ(Picture(picture).size(), size) << picture << " against " << mask;
        }
    }
}

TEST(SkinPictureTest, MenuRowsAreEasyToHitAndTheSubMenuLinesUpWithItsRow) {
    const QSize menu = Picture("menu_mask.jpg").size();
    const QSize sub = Picture("advanced menu_mask.jpg").size();
    const int h = menu.height() / skin::kFunctionMenuRows;
    EXPECT_GE(h, 24);
    // The sub-menu's last row is level with the row that opened it only with equal rows.
    EXPECT_EQ(sub.height() / skin::kSubMenuRows, h);
    EXPECT_GE(menu.height(), skin::kFunctionMenuRows * h + 1);
    EXPECT_GE(sub.height(), skin::kSubMenuRows * h + 1);
}

// Both languages' designs, loaded once.
class SkinLayoutTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        for (std::uint8_t language : {std::uint8_t{1}, std::uint8_t{0}}) {
            DesignLoad load = LoadSkinDesign(TRQ_SKIN_DIR, language);
            for (const std::string& problem : load.problems)
                ADD_FAILURE() << problem;
            designs_.push_back(load.design);
        }
    }
    static void TearDownTestSuite() { designs_.clear(); }

    void SetUp() override {
        for (const auto& design : designs_)
            ASSERT_TRUE(design.has_value());
    }
    static const SkinDesign& English() { return *designs_[0]; }
    static const SkinDesign& Chinese() { return *designs_[1]; }

    static std::vector<std::optional<SkinDesign>> designs_;
};

std::vector<std::optional<SkinDesign>> SkinLayoutTest::designs_;

SkinRect RectOf(const skin::SkinBox& b) {
    return {b.left, b.top, b.right - b.left, b.bottom - b.top};
}

bool Empty(const SkinRect& r) {
    return r.width <= 0 || r.height <= 0;
}

bool Overlap(const SkinRect& p, const SkinRect& q) {
    return !Empty(p) && !Empty(q) && p.x < q.x + q.width && q.x < p.x + p.width &&
           p.y < q.y + q.height && q.y < p.y + p.height;
}

std::vector<int> Range(int first, int last) {
    std::vector<int> out;
    for (int i = first; i <= last; ++i)
        out.push_back(i);
    return out;
}

TEST_F(SkinLayoutTest, BothLanguagesShareTheirGeometry) {
    for (const std::string& difference : CompareGeometry(English(), Chinese())) {
        ADD_FAILURE() << difference;
    }
}

TEST_F(SkinLayoutTest, EveryRoleHasAnArea) {
    std::vector<int> mainRoles = Range(0, m::kLastStrip);
    mainRoles.erase(std::remove(mainRoles.begin(), mainRoles.end(), 1), mainRoles.end());
    for (const std::vector<int>& group :
         {Range(m::kFirstSlot, m::kLastSlot), std::vector<int>{m::kWheelStatus0, m::kWheelStatus1},
          Range(m::DpiEnable(0), m::DpiEnable(3)), Range(m::DpiSelector(0), m::DpiSelector(3)),
          Range(m::kFirstDpiBar, m::kLastDpiBar), Range(m::kFirstHint, m::kLastHint)}) {
        mainRoles.insert(mainRoles.end(), group.begin(), group.end());
    }
    std::vector<int> advancedRoles = Range(0, a::WheelSpeed(a::kSpeedSteps - 1));
    for (int i : {a::kFireTrack, a::kFireUp, a::kFireDown, a::kFireLabel, a::kPressCount,
                  a::kReleaseCount}) {
        advancedRoles.push_back(i);
    }
    std::vector<int> colorRoles = Range(0, c::kLedModes - 1);
    colorRoles.push_back(c::kDpiNumber);
    colorRoles.push_back(c::kPreview);

    for (const SkinDesign* design : {&English(), &Chinese()}) {
        const skin::SkinLayouts& l = design->layouts;
        const std::pair<const skin::SkinLayout*, const std::vector<int>*> tables[] = {
            {&l.main, &mainRoles},
            {&l.advanced, &advancedRoles},
            {&l.color, &colorRoles},
            {&l.warning, nullptr}};
        for (const auto& [layout, roles] : tables) {
            const std::vector<int> all = roles ? *roles : Range(0, 2);
            for (int i : all) {
                EXPECT_FALSE(Empty(layout->areas[static_cast<std::size_t>(i)]))
                    << "language " << int(design->language) << ", item " << i << " of a layout of "
                    << layout->size();
            }
        }
        for (const skin::SkinBox& box :
             {l.repeatCountArea, l.macroNameArea, l.macroListArea, l.stepListArea}) {
            EXPECT_FALSE(Empty(RectOf(box)));
        }
        for (std::size_t k = 0; k < l.functionNames.size(); ++k) {
            EXPECT_FALSE(l.functionNames[k].empty()) << "function " << k + 1;
        }
    }
}

TEST_F(SkinLayoutTest, EveryAreaLiesInsideTheWindowShape) {
    const MaskGrid main(Picture("main_mask.jpg"));
    const MaskGrid warning(Picture("warning_mask.jpg"));
    const skin::SkinLayouts& l = English().layouts;
    for (const auto& [layout, mask] :
         {std::pair{&l.main, &main}, std::pair{&l.advanced, &main}, std::pair{&l.color, &main},
          std::pair{&l.warning, &warning}}) {
        for (std::size_t i = 0; i < layout->size(); ++i) {
            const SkinRect& r = layout->areas[i];
            if (!Empty(r)) {
                EXPECT_TRUE(mask->Contains(r)) << "item " << i << " of " << layout->size();
            }
        }
    }
    for (const skin::SkinBox& box :
         {l.repeatCountArea, l.macroNameArea, l.macroListArea, l.stepListArea}) {
        EXPECT_TRUE(main.Contains(RectOf(box)));
    }
}

// Everything shown on a page: the common strip, the page's items and its controls. None may
// overlap another, so a click always reaches the item it lands on and texts never collide.
TEST_F(SkinLayoutTest, NoTwoItemsOfAPageOverlap) {
    struct Shown {
        std::string name;
        SkinRect area;
    };
    const skin::SkinLayouts& l = English().layouts;
    const auto items = [](const skin::SkinLayout& layout, const std::string& prefix, int first,
                          int last) {
        std::vector<Shown> out;
        for (int i = first; i <= last; ++i) {
            out.push_back({prefix + std::to_string(i), layout.areas[static_cast<std::size_t>(i)]});
        }
        return out;
    };
    const std::vector<Shown> strip = items(l.main, "main ", 0, m::kLastStrip);
    std::vector<std::vector<Shown>> pages{
        items(l.main, "main ", m::kStripCount, static_cast<int>(skin::kMainItems) - 1),
        items(l.advanced, "advanced ", 0, static_cast<int>(skin::kAdvancedItems) - 1),
        items(l.color, "color ", 0, static_cast<int>(skin::kColorItems) - 1),
    };
    pages[1].push_back({"repeat count box", RectOf(l.repeatCountArea)});
    pages[1].push_back({"macro name box", RectOf(l.macroNameArea)});
    pages[1].push_back({"macro list", RectOf(l.macroListArea)});
    pages[1].push_back({"step list", RectOf(l.stepListArea)});
    for (std::vector<Shown> page : pages) {
        page.insert(page.end(), strip.begin(), strip.end());
        for (std::size_t i = 0; i < page.size(); ++i) {
            for (std::size_t j = i + 1; j < page.size(); ++j) {
                EXPECT_FALSE(Overlap(page[i].area, page[j].area))
                    << page[i].name << " overlaps " << page[j].name;
            }
        }
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = i + 1; j < 3; ++j) {
            EXPECT_FALSE(Overlap(l.warning.areas[static_cast<std::size_t>(i)],
                                 l.warning.areas[static_cast<std::size_t>(j)]));
        }
    }
}

// The width a text may take in an area: centred texts keep a pixel each side; a slot's name
// starts 5 pixels in and must end before the drop-down arrow.
constexpr int kSlotArrowWidth = 24;

SkinRect NarrowestSlot(const skin::SkinLayouts& l) {
    SkinRect narrowest = l.main.areas[m::kFirstSlot];
    for (int i = m::kFirstSlot; i <= m::kLastSlot; ++i) {
        const SkinRect& r = l.main.areas[static_cast<std::size_t>(i)];
        if (r.width < narrowest.width) narrowest = r;
    }
    return narrowest;
}

int SlotRoom(const SkinRect& slot) {
    return slot.width - 5 - kSlotArrowWidth;
}

// Menu texts are centred; the sub-menu arrow takes the right end of a row.
int MenuRoom(int menuWidth) {
    return menuWidth - 2 * 20;
}

struct DrawnText {
    std::string where;
    std::string text;
    SkinRect area;
    int room;
};

// Every text each page writes, as the program writes it, with the room it has.
std::vector<DrawnText> DrawnTexts(const SkinDesign& design) {
    const skin::SkinLayouts& l = design.layouts;
    std::vector<DrawnText> out;
    const auto add = [&](const std::string& where, const std::string& text, const SkinRect& r,
                         int room) {
        out.push_back({where, text, r, room});
    };
    const auto page = [&](const skin::SkinLayout& layout, const LayoutDesign& styles,
                          const std::string& name, int first, int last,
                          const std::vector<int>& replaced) {
        for (int i = first; i <= last; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (std::find(replaced.begin(), replaced.end(), i) != replaced.end()) continue;
            const DesignItem* item = styles.Find(i);
            const std::string where = name + " " + std::to_string(i);
            if (Empty(layout.areas[k])) {
                EXPECT_TRUE(layout.texts[k].empty()) << where << " has a text but no area";
                continue;
            }
            if (layout.texts[k].empty()) {
                EXPECT_TRUE(item && IsGraphicStyle(item->style)) << where << " has no text";
                continue;
            }
            add(where, layout.texts[k], layout.areas[k], layout.areas[k].width - 2);
        }
    };
    page(l.main, design.main, "main", 0, m::kMainPageTextCount - 1,
         Range(m::kFirstSlot, m::kLastSlot));
    page(l.advanced, design.advanced, "advanced", 0, static_cast<int>(skin::kAdvancedItems) - 1,
         {a::kRecord, a::kFireLabel, a::kPressCount, a::kReleaseCount});
    page(l.color, design.color, "color", 0, static_cast<int>(skin::kColorItems) - 1,
         {c::kDpiNumber});
    page(l.warning, design.warning, "warning", 0, 2, {});

    // The texts the program puts in, at their longest.
    const bool english = design.language != 0;
    const auto area = [](const skin::SkinLayout& layout, int i) {
        return layout.areas[static_cast<std::size_t>(i)];
    };
    for (const char* text : {english ? "Record" : "录制", english ? "Stop" : "停止"}) {
        add("record button", text, area(l.advanced, a::kRecord),
            area(l.advanced, a::kRecord).width - 2);
    }
    add("fire time", "300ms", area(l.advanced, a::kFireLabel),
        area(l.advanced, a::kFireLabel).width - 2);
    add("press count", "[↓]255", area(l.advanced, a::kPressCount),
        area(l.advanced, a::kPressCount).width - 2);
    add("release count", "[↑]255", area(l.advanced, a::kReleaseCount),
        area(l.advanced, a::kReleaseCount).width - 2);
    add("DPI number", "4800", area(l.color, c::kDpiNumber), area(l.color, c::kDpiNumber).width - 2);

    // Function names in the narrowest slot (codes 1..40 are shown by name) and in the menus.
    const SkinRect slot = NarrowestSlot(l);
    for (int code = 1; code <= 40; ++code) {
        const std::string& name = l.functionNames[static_cast<std::size_t>(code - 1)];
        const std::string where = "function " + std::to_string(code);
        add(where + " in a slot", name, slot, SlotRoom(slot));
        const int menuWidth = code <= 10 ? kFunctionMenuWidth : kSubMenuWidth;
        add(where + " in its menu", name, SkinRect{0, 0, menuWidth, kMenuRowHeight},
            MenuRoom(menuWidth));
    }
    return out;
}

TEST_F(SkinLayoutTest, TextsArePresentWhereDrawnAndFitTheirAreas) {
    for (const SkinDesign* design : {&English(), &Chinese()}) {
        const QFontMetrics metrics(skinui::MakeSkinFontForLanguage(design->language));
        for (const DrawnText& t : DrawnTexts(*design)) {
            const QString text = QString::fromStdString(t.text);
            EXPECT_LE(metrics.horizontalAdvance(text), t.room)
                << "language " << int(design->language) << ", " << t.where << ": " << t.text;
            EXPECT_LE(metrics.height(), t.area.height + 2)
                << "language " << int(design->language) << ", " << t.where << ": " << t.text;
        }
    }
}

// The example macros shipped with each language: their names show in the slots and in the
// macro sub-menu.
TEST_F(SkinLayoutTest, ShippedMacroNamesFitTheSlotsAndTheMacroMenu) {
    for (const SkinDesign* design : {&English(), &Chinese()}) {
        const std::filesystem::path file = std::filesystem::path(TRQ_SHIPPED_DIR) / "skins" /
                                           (design->language != 0 ? "INI_EN" : "INI_CN") /
                                           "defMacro.dat";
        macros::UserMacroTable table;
        ASSERT_TRUE(macros::ImportMacros(file, table).ok()) << file;
        ASSERT_GT(table.macroCount, 0);
        const QFontMetrics metrics(skinui::MakeSkinFontForLanguage(design->language));
        const SkinRect slot = NarrowestSlot(design->layouts);
        for (int i = 0; i < table.macroCount; ++i) {
            const QString name = QString::fromStdU16String(
                macros::MacroName(table.records[static_cast<std::size_t>(i)]));
            EXPECT_LE(metrics.horizontalAdvance(name), SlotRoom(slot)) << name.toStdString();
            EXPECT_LE(metrics.horizontalAdvance(name), MenuRoom(kSubMenuWidth))
                << name.toStdString();
        }
    }
}

}  // namespace
}  // namespace trq::skintool
