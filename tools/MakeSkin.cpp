// Draws the default skin's pictures from its layout files, so pictures and layouts always
// agree: the three state pictures of each page (the Color page has two more for the LED
// preview), the function-menu and sub-menu pictures, the warning dialog's, and the masks.
// A state picture is the whole window with every item in that state; texts the program
// writes at run time are left out. Both languages share the pictures, so their layout files
// must agree in everything but texts; the tool refuses to draw when they do not.
// Usage: trq-make-skin LAYOUT_FOLDER OUTPUT_FOLDER
//   LAYOUT_FOLDER holds INI_EN and INI_CN; the JPEG pictures are written to OUTPUT_FOLDER.

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "settings/DeviceSettings.h"
#include "skin/PaintPlan.h"
#include "skin/SkinIndexMap.h"
#include "tools/MakeSkinDesign.h"
#include "tools/MakeSkinLooks.h"

namespace {

using namespace trq;
using skin::Page;
using skintool::DesignItem;
using skintool::ItemContext;
using skintool::ItemState;
using skintool::LayoutDesign;
using skintool::LedColor;
using skintool::SkinDesign;

constexpr int kJpegQuality = 95;

QRectF Area(const skin::SkinRect& a) {
    return QRectF(a.x, a.y, a.width, a.height);
}

QRectF WindowRect(const skin::SkinRect& w) {
    return QRectF(0, 0, w.x + w.width, w.y + w.height);
}

ItemContext MainContext(const SkinDesign& design, int index) {
    namespace m = skin::mainitem;
    ItemContext context;
    if (const DesignItem* mouse = design.main.FindDecor("mouse")) context.mouse = Area(mouse->area);
    if (index >= m::kFirstDpiBar && index <= m::kLastDpiBar) {
        context.dpiLevel = (index - m::kFirstDpiBar) / m::kDpiBarsPerLevel;
    } else if (index >= m::kFirstDpiSelector && index < m::kFirstDpiSelector + m::kDpiLevels) {
        context.dpiLevel = index - m::kFirstDpiSelector;
    } else if (index >= m::kFirstHint && index <= m::kLastHint) {
        context.slot = index - m::kFirstHint;
    }
    return context;
}

// The bands behind the strip: from the window's top to below the highest strip items, and
// from above the lowest ones to the bottom.
std::pair<QRectF, QRectF> StripBands(const SkinDesign& design, const QRectF& window) {
    double headerBottom = 0;
    double footerTop = window.height();
    for (const DesignItem& item : design.main.items) {
        if (item.index > skin::mainitem::kLastStrip) continue;
        const QRectF r = Area(item.area);
        if (r.center().y() < window.center().y()) {
            headerBottom = std::max(headerBottom, r.bottom() + 6);
        } else {
            footerTop = std::min(footerTop, r.top() - 8);
        }
    }
    return {QRectF(0, 0, window.width(), headerBottom),
            QRectF(0, footerTop, window.width(), window.height() - footerTop)};
}

void DrawMainPageContent(QPainter& p, const SkinDesign& design, ItemState state) {
    namespace m = skin::mainitem;
    for (const DesignItem& decor : design.main.decor) {
        if (decor.style == "panel" || decor.style == "mouse") skintool::DrawDecor(p, decor);
    }
    for (const DesignItem& item : design.main.items) {
        if (item.index > m::kLastStrip) {
            skintool::DrawItem(p, item, state, MainContext(design, item.index));
        }
    }
    for (int slot = 0; slot < m::kSlotCount; ++slot) {
        const DesignItem* from = design.main.Find(m::Slot(slot));
        const DesignItem* to = design.main.Find(m::Hint(slot));
        if (from && to) skintool::DrawLeader(p, Area(from->area), Area(to->area));
    }
    for (const DesignItem& decor : design.main.decor) {
        if (decor.style == "badge") skintool::DrawDecor(p, decor);
        if (decor.style != "scale") continue;
        // The DPI of each bar column, over the first level's bars.
        for (int j = 0; j < m::kDpiBarsPerLevel; ++j) {
            const DesignItem* bar = design.main.Find(m::DpiBar(0, j));
            if (!bar) continue;
            const QRectF cell(bar->area.x - 4, decor.area.y, bar->area.width + 8,
                              decor.area.height);
            skintool::DrawDecorText(p, cell, QString::number(settings::DpiValues[j]), 12, false,
                                    QColor(150, 158, 172));
        }
    }
}

QImage DrawPage(const SkinDesign& design, Page page, ItemState state, LedColor led) {
    const QRectF window = WindowRect(design.MainWindow());
    QImage image(window.size().toSize(), QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const auto [header, footer] = StripBands(design, window);
    skintool::DrawWindowBackground(p, skintool::MainWindowOutline(window), header, footer);

    // The common strip is the same on every page.
    if (const DesignItem* logo = design.main.FindDecor("logo")) skintool::DrawDecor(p, *logo);
    for (const DesignItem& item : design.main.items) {
        if (item.index <= skin::mainitem::kLastStrip) {
            skintool::DrawItem(p, item, state, ItemContext{});
        }
    }

    if (page == Page::Main) {
        DrawMainPageContent(p, design, state);
    } else {
        const LayoutDesign& layout = page == Page::Advanced ? design.advanced : design.color;
        for (const DesignItem& decor : layout.decor)
            skintool::DrawDecor(p, decor);
        ItemContext context;
        context.led = led;
        for (const DesignItem& item : layout.items)
            skintool::DrawItem(p, item, state, context);
        for (const DesignItem& item : layout.controls)
            skintool::DrawItem(p, item, state, context);
    }
    return image;
}

QImage DrawWarning(const SkinDesign& design, ItemState state) {
    const QRectF window = WindowRect(design.WarningWindow());
    QImage image(window.size().toSize(), QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    skintool::DrawWindowBackground(p, skintool::WarningOutline(window), QRectF(), QRectF());
    for (const DesignItem& decor : design.warning.decor)
        skintool::DrawDecor(p, decor);
    for (const DesignItem& item : design.warning.items) {
        skintool::DrawItem(p, item, state, ItemContext{});
    }
    return image;
}

QImage FullMask(int width, int height) {
    QImage mask(width, height, QImage::Format_RGB32);
    mask.fill(Qt::black);
    return mask;
}

std::vector<std::pair<std::string, QImage>> DrawAll(const SkinDesign& design) {
    const auto file = [](Page page, skin::Picture picture) {
        return std::string(skin::PictureFile(page, picture));
    };
    using skin::Picture;
    std::vector<std::pair<std::string, QImage>> out;
    const QRectF window = WindowRect(design.MainWindow());
    out.emplace_back("main_mask.jpg", skintool::DrawMask(window.size().toSize(),
                                                         skintool::MainWindowOutline(window)));
    const std::pair<Picture, ItemState> states[] = {{Picture::Normal, ItemState::Normal},
                                                    {Picture::Over, ItemState::Over},
                                                    {Picture::Down, ItemState::Down}};
    for (const auto& [picture, state] : states) {
        out.emplace_back(file(Page::Main, picture),
                         DrawPage(design, Page::Main, state, LedColor::Pink));
        out.emplace_back(file(Page::Advanced, picture),
                         DrawPage(design, Page::Advanced, state, LedColor::Pink));
    }
    // The Color page's pictures double as the LED preview in five colours.
    const std::tuple<Picture, ItemState, LedColor> colors[] = {
        {Picture::Normal, ItemState::Normal, LedColor::Pink},
        {Picture::Over, ItemState::Over, LedColor::Red},
        {Picture::Down, ItemState::Down, LedColor::Purple},
        {Picture::Gray, ItemState::Normal, LedColor::Gray},
        {Picture::Blue, ItemState::Over, LedColor::Blue}};
    for (const auto& [picture, state, led] : colors) {
        out.emplace_back(file(Page::Color, picture), DrawPage(design, Page::Color, state, led));
    }

    // Function menu: ten rows, rows 7..10 open the sub-menus; sub-menu: twelve rows.
    const int h = skintool::kMenuRowHeight;
    out.emplace_back("menu_mask.jpg",
                     FullMask(skintool::kFunctionMenuWidth, skin::kFunctionMenuRows * h + 1));
    out.emplace_back("advanced menu_mask.jpg",
                     FullMask(skintool::kSubMenuWidth, skin::kSubMenuRows * h + 1));
    const std::pair<const char*, ItemState> menuStates[] = {
        {"normal", ItemState::Normal}, {"over", ItemState::Over}, {"down", ItemState::Down}};
    for (const auto& [name, state] : menuStates) {
        out.emplace_back(std::string("menu_") + name + ".jpg",
                         skintool::DrawMenu(skintool::kFunctionMenuWidth, skin::kFunctionMenuRows,
                                            state, 7, 10));
        out.emplace_back(
            std::string("advanced menu_") + name + ".jpg",
            skintool::DrawMenu(skintool::kSubMenuWidth, skin::kSubMenuRows, state, 0, -1));
    }

    const QRectF warning = WindowRect(design.WarningWindow());
    out.emplace_back("warning_mask.jpg", skintool::DrawMask(warning.size().toSize(),
                                                            skintool::WarningOutline(warning)));
    out.emplace_back("warning_normal.jpg", DrawWarning(design, ItemState::Normal));
    out.emplace_back("warning_over.jpg", DrawWarning(design, ItemState::Over));
    return out;
}

void PrintAll(const char* what, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        std::fprintf(stderr, "trq-make-skin: %s: %s\n", what, line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: trq-make-skin LAYOUT_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);

    const std::filesystem::path layouts = argv[1];
    skintool::DesignLoad english = skintool::LoadSkinDesign(layouts, 1);
    skintool::DesignLoad chinese = skintool::LoadSkinDesign(layouts, 0);
    PrintAll("English layout", english.problems);
    PrintAll("Chinese layout", chinese.problems);
    if (!english.design || !chinese.design) return 1;
    const std::vector<std::string> differences =
        skintool::CompareGeometry(*english.design, *chinese.design);
    PrintAll("the languages differ", differences);
    if (!differences.empty()) return 1;

    const QString output = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "trq-make-skin: cannot create %s\n", argv[2]);
        return 1;
    }
    for (const auto& [name, image] : DrawAll(*english.design)) {
        const QString path = QDir(output).filePath(QString::fromStdString(name));
        QImageWriter writer(path, "jpg");
        writer.setQuality(kJpegQuality);
        if (!writer.write(image)) {
            std::fprintf(stderr, "trq-make-skin: cannot write %s: %s\n", path.toLocal8Bit().data(),
                         writer.errorString().toLocal8Bit().data());
            return 1;
        }
    }
    return 0;
}
