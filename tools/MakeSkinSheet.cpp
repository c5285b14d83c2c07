// Contact sheets of the skin, for looking at it: per window and language one PNG with the
// normal picture (every item's area outlined and numbered), the page as the program paints
// it (default settings, one item hovered; a red frame marks a text too wide for its area),
// and the hover and pressed pictures; the warning dialog and the menus with their texts.
// Usage: trq-skin-sheet SKIN_FOLDER OUTPUT_FOLDER
//   SKIN_FOLDER is an installed skin folder (pictures, INI_EN, INI_CN).

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "macros/MacroFile.h"
#include "settings/DeviceSettings.h"
#include "skin/PaintPlan.h"
#include "skin/SkinIndexMap.h"
#include "skin/ui/PlanPainter.h"
#include "skin/ui/SkinPictures.h"
#include "tools/MakeSkinDesign.h"

namespace {

using namespace trq;
using skin::Page;
using skin::SkinLayout;
using skintool::SkinDesign;

struct Text {
    std::string text;
    skin::SkinRect area;
};

// The program's fonts: "Arial" 14 px, "宋体" 12 px, substituted by fontconfig.
QFont ProgramFont(std::uint8_t language) {
    QFont font;
    if (language != 0) {
        font.setFamilies({QStringLiteral("Arial")});
        font.setPixelSize(14);
    } else {
        font.setFamilies({QString::fromUtf8("宋体")});
        font.setPixelSize(12);
    }
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QImage Load(const QString& folder, const QString& name) {
    QImage image(QDir(folder).filePath(name));
    return image.isNull() ? QImage(64, 64, QImage::Format_RGB32)
                          : image.convertToFormat(QImage::Format_RGB32);
}

void DrawTexts(QImage& image, const std::vector<Text>& texts, std::uint8_t language,
               const QColor& color) {
    QPainter p(&image);
    p.setFont(ProgramFont(language));
    const QFontMetrics metrics(p.font());
    for (const Text& t : texts) {
        if (t.text.empty()) continue;
        const QString text = QString::fromStdString(t.text);
        const int tw = metrics.horizontalAdvance(text);
        const int th = metrics.height();
        const int x = t.area.x + (t.area.width - tw) / 2;
        const int y = t.area.y + (t.area.height - th) / 2;
        // Red where the text does not fit its area.
        const bool fits = tw <= t.area.width - 2 && th <= t.area.height + 2;
        p.setPen(fits ? color : QColor(255, 0, 0));
        p.drawText(QRect(x, y, tw + 2, th), Qt::AlignLeft | Qt::AlignTop, text);
        if (!fits) {
            p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DashLine));
            p.drawRect(t.area.x, t.area.y, t.area.width - 1, t.area.height - 1);
        }
    }
}

void Outline(QImage& image, const std::vector<std::pair<int, skin::SkinRect>>& areas,
             const QColor& color) {
    QPainter p(&image);
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans")});
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    for (const auto& [index, a] : areas) {
        if (a.width <= 0 || a.height <= 0) continue;
        p.setPen(QPen(color, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(a.x, a.y, a.width - 1, a.height - 1);
        const QString label = QString::number(index);
        const QRect box(a.x + 1, a.y + 1, QFontMetrics(font).horizontalAdvance(label) + 3, 11);
        p.fillRect(box, QColor(0, 0, 0, 170));
        p.setPen(Qt::yellow);
        p.drawText(box, Qt::AlignCenter, label);
    }
}

// Four panels in a 2 x 2 grid, each with its caption.
QImage Sheet(const std::vector<std::pair<QString, QImage>>& panels) {
    const int w = panels.front().second.width();
    const int h = panels.front().second.height();
    const int caption = 22;
    const int columns = panels.size() > 2 ? 2 : static_cast<int>(panels.size());
    const int rows = (static_cast<int>(panels.size()) + columns - 1) / columns;
    QImage sheet(columns * (w + 12) + 12, rows * (h + caption + 12) + 12, QImage::Format_RGB32);
    sheet.fill(QColor(128, 128, 128));
    QPainter p(&sheet);
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans")});
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const int x = 12 + static_cast<int>(i % columns) * (w + 12);
        const int y = 12 + static_cast<int>(i / columns) * (h + caption + 12);
        p.setPen(Qt::black);
        p.drawText(QRect(x, y, w, caption), Qt::AlignLeft | Qt::AlignVCenter, panels[i].first);
        p.drawImage(x, y + caption, panels[i].second);
    }
    return sheet;
}

std::vector<std::pair<int, skin::SkinRect>> Areas(const SkinLayout& layout, int first, int last) {
    std::vector<std::pair<int, skin::SkinRect>> out;
    for (int i = first; i <= last && i < static_cast<int>(layout.size()); ++i) {
        out.emplace_back(i, layout.areas[static_cast<std::size_t>(i)]);
    }
    return out;
}

std::vector<Text> Texts(const SkinLayout& layout, int first, int last) {
    std::vector<Text> out;
    for (int i = first; i <= last && i < static_cast<int>(layout.size()); ++i) {
        out.push_back(
            {layout.texts[static_cast<std::size_t>(i)], layout.areas[static_cast<std::size_t>(i)]});
    }
    return out;
}

bool Save(const QImage& image, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name);
    if (image.save(path, "png")) {
        std::printf("%s\n", path.toLocal8Bit().data());
        return true;
    }
    std::fprintf(stderr, "trq-skin-sheet: cannot write %s\n", path.toLocal8Bit().data());
    return false;
}

// A sample state for a page: the default settings and the shipped example macros, one
// button slot (K2) or item hovered so its hover look shows.
skin::PaintState SampleState(Page page, const SkinDesign& design, const QString& skins) {
    namespace m = skin::mainitem;
    skin::PaintState state;
    state.page = page;
    state.language = design.language;
    state.settings = settings::DefaultSettings(0);
    state.currentProfile = 1;
    for (int level = 0; level < settings::kDpiLevelCount; ++level) {
        state.appliedDpiCodes[static_cast<std::size_t>(level)] =
            settings::DpiCodeOfLevel(state.settings, level);
    }
    macros::UserMacroTable table;
    const std::filesystem::path folder = skins.toStdString();
    if (macros::ImportMacros(folder / (design.language != 0 ? "INI_EN" : "INI_CN") / "defMacro.dat",
                             table)
            .ok()) {
        skin::SetMacroState(state, table);
        if (table.macroCount > 0) state.settings.buttonFunction[4] = 41;  // K4 plays macro 1
    }
    state.mainHover = page == Page::Main ? static_cast<std::uint8_t>(m::Slot(2)) : skin::kNoItem;
    state.advancedHover = page == Page::Advanced ? 4 : skin::kNoItem;
    state.previewColor = 1;
    state.pressCount = 3;
    state.releaseCount = 3;
    return state;
}

// Paints the page as the program does, then frames in red every text wider than its room.
QImage ProgramPaint(const skin::PaintState& state, const skin::SkinLayouts& layouts,
                    const QString& skins, QSize window) {
    skinui::SkinPictures pictures(skins, window);
    const skinui::PlanPainter painter;
    const skin::PaintPlan plan = skin::BuildPaintPlan(state, layouts);
    QImage canvas;
    painter.Paint(plan, pictures, canvas);
    QPainter p(&canvas);
    p.setPen(QPen(QColor(255, 0, 0), 1, Qt::DashLine));
    for (const skin::PaintOp& op : plan.ops) {
        const auto* text = std::get_if<skin::TextOp>(&op);
        if (!text) continue;
        const QSize size = painter.MeasureText(plan.font, QString::fromStdString(text->text));
        const int room = text->align == skin::TextAlign::LeftCentred ? text->area.width - 29
                                                                     : text->area.width - 2;
        if (size.width() > room || size.height() > text->area.height + 2) {
            p.drawRect(text->area.x, text->area.y, text->area.width - 1, text->area.height - 1);
        }
    }
    return canvas;
}

bool PageSheets(const SkinDesign& design, const QString& skins, const QString& out) {
    namespace m = skin::mainitem;
    const skin::SkinLayouts& l = design.layouts;
    const std::uint8_t lang = design.language;
    const QString suffix = lang != 0 ? QStringLiteral("_en") : QStringLiteral("_cn");
    bool ok = true;
    for (const Page page : {Page::Main, Page::Advanced, Page::Color}) {
        const auto file = [&](skin::Picture picture) {
            return QString::fromStdString(std::string(skin::PictureFile(page, picture)));
        };
        QImage normal = Load(skins, file(skin::Picture::Normal));
        std::vector<std::pair<int, skin::SkinRect>> areas = Areas(l.main, 0, m::kLastStrip);
        if (page == Page::Main) {
            const auto more = Areas(l.main, m::kStripCount, static_cast<int>(l.main.size()) - 1);
            areas.insert(areas.end(), more.begin(), more.end());
        } else {
            const SkinLayout& layout = page == Page::Advanced ? l.advanced : l.color;
            const auto more = Areas(layout, 0, static_cast<int>(layout.size()) - 1);
            areas.insert(areas.end(), more.begin(), more.end());
            if (page == Page::Advanced) {
                for (const skin::SkinBox& b :
                     {l.repeatCountArea, l.macroNameArea, l.macroListArea, l.stepListArea}) {
                    areas.emplace_back(
                        -1, skin::SkinRect{b.left, b.top, b.right - b.left, b.bottom - b.top});
                }
            }
        }
        const QImage painted =
            ProgramPaint(SampleState(page, design, skins), l, skins, normal.size());
        Outline(normal, areas, QColor(0, 255, 0));
        const QString name = page == Page::Main       ? QStringLiteral("main")
                             : page == Page::Advanced ? QStringLiteral("advanced")
                                                      : QStringLiteral("color");
        ok = Save(Sheet({{name + ": normal, areas", normal},
                         {name + ": painted by the program, one item hovered", painted},
                         {name + ": over", Load(skins, file(skin::Picture::Over))},
                         {name + ": down", Load(skins, file(skin::Picture::Down))}}),
                  out, name + suffix + ".png") &&
             ok;
        if (page == Page::Color && lang != 0) {  // the same pictures for both languages
            ok = Save(Sheet({{QStringLiteral("color: LED off"),
                              Load(skins, file(skin::Picture::Gray))},
                             {QStringLiteral("color: LED blue"),
                              Load(skins, file(skin::Picture::Blue))}}),
                      out, QStringLiteral("color_preview.png")) &&
                 ok;
        }
    }

    // The warning dialog, its texts in red as the program draws them.
    QImage warning = Load(skins, QStringLiteral("warning_normal.jpg"));
    QImage warningTexts = warning;
    Outline(warning, Areas(l.warning, 0, 2), QColor(0, 255, 0));
    DrawTexts(warningTexts, Texts(l.warning, 0, 2), lang, QColor(255, 0, 0));
    ok = Save(Sheet({{QStringLiteral("warning: areas"), warning},
                     {QStringLiteral("warning: texts"), warningTexts},
                     {QStringLiteral("warning: over"),
                      Load(skins, QStringLiteral("warning_over.jpg"))}}),
              out, QStringLiteral("warning") + suffix + ".png") &&
         ok;

    // The function menu with its ten names, the sub-menus with the names of their groups.
    const int h = skintool::kMenuRowHeight;
    const auto menuTexts = [&](int width, const std::vector<int>& codes) {
        std::vector<Text> rows;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            rows.push_back({l.functionNames[static_cast<std::size_t>(codes[i] - 1)],
                            skin::SkinRect{0, static_cast<int>(i) * h, width, h}});
        }
        return rows;
    };
    std::vector<std::pair<QString, QImage>> menus;
    const std::pair<QString, std::vector<int>> groups[] = {
        {QStringLiteral("menu"), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {QStringLiteral("advanced menu"), {11, 12, 13, 14, 15, 16}},
        {QStringLiteral("advanced menu"), {21, 22, 23, 24, 25, 26, 27, 28, 29, 30}},
        {QStringLiteral("advanced menu"), {31, 32, 33, 34, 35, 36, 37, 38}},
    };
    QImage strip(4 * (skintool::kSubMenuWidth + 16) + 3 * 200, 12 * h + 40, QImage::Format_RGB32);
    strip.fill(QColor(128, 128, 128));
    {
        QPainter p(&strip);
        int x = 8;
        for (const auto& [name, codes] : groups) {
            QImage image = Load(skins, name + "_normal.jpg");
            const int width = image.width();
            DrawTexts(image, menuTexts(width, codes), lang, Qt::white);
            p.drawImage(x, 8, image);
            x += width + 16;
        }
        for (const QString& state : {QStringLiteral("over"), QStringLiteral("down")}) {
            const QImage image = Load(skins, "menu_" + state + ".jpg");
            p.drawImage(x, 8, image);
            x += image.width() + 16;
        }
    }
    ok = Save(strip, out, QStringLiteral("menus") + suffix + ".png") && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: trq-skin-sheet SKIN_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QString skins = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    bool ok = true;
    for (const std::uint8_t language : {std::uint8_t{1}, std::uint8_t{0}}) {
        skintool::DesignLoad load = skintool::LoadSkinDesign(argv[1], language);
        for (const std::string& problem : load.problems) {
            std::fprintf(stderr, "trq-skin-sheet: %s\n", problem.c_str());
        }
        if (!load.design) return 1;
        ok = PageSheets(*load.design, skins, out) && ok;
    }
    return ok ? 0 : 1;
}
