// How long the skin's drawing takes: the window region from an 800 x 620 mask, built from runs
// against one region operation per light pixel, and a full paint of each page from kept
// pictures against decoding the page's pictures for every paint.
// Usage: bench_skin [SKIN_FOLDER]
//   With a skin folder holding the pictures and the English layout files, those are used;
//   without one, made-up pictures and layouts of the same sizes.

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "bench/BenchTable.h"
#include "skin/PaintPlan.h"
#include "skin/SkinLayoutFile.h"
#include "skin/ui/PlanPainter.h"
#include "skin/ui/SkinPictures.h"
#include "skin/ui/WindowShape.h"

namespace {

using namespace trq;

constexpr QSize kSkinSize{800, 620};

// The region the plain way: the full rectangle, then one exclusive-or per light pixel,
// columns outer and rows inner.
QRegion PerPixelRegion(const QImage& mask) {
    QRegion region(0, 0, mask.width(), mask.height());
    for (int x = 0; x < mask.width(); ++x) {
        for (int y = 0; y < mask.height(); ++y) {
            if (skinui::IsCutAwayPixel(mask.pixel(x, y))) region ^= QRect(x, y, 1, 1);
        }
    }
    return region;
}

// A window shape like a skin's: a body with rounded corners, side wings and cut-outs on a
// white ground, passed through JPEG so the edges carry its noise.
QImage MadeUpMask() {
    QImage mask(kSkinSize, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 30));
    p.drawRoundedRect(QRect(60, 40, 680, 540), 60, 60);
    p.drawEllipse(QRect(0, 200, 160, 220));
    p.drawEllipse(QRect(640, 200, 160, 220));
    p.setBrush(Qt::white);
    p.drawEllipse(QRect(360, 20, 80, 60));
    p.drawRect(QRect(300, 560, 200, 60));
    p.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    mask.save(&buffer, "JPG", 75);
    return QImage::fromData(jpeg, "JPG").convertToFormat(QImage::Format_RGB32);
}

// Busy pictures (noise and shapes), so decoding and copying cost what real ones do.
void WriteMadeUpPictures(const QString& folder) {
    std::mt19937 random(7);
    for (const skin::Page page : {skin::Page::Main, skin::Page::Advanced, skin::Page::Color}) {
        for (const skin::Picture picture :
             {skin::Picture::Normal, skin::Picture::Over, skin::Picture::Down, skin::Picture::Gray,
              skin::Picture::Blue}) {
            const std::string_view name = skin::PictureFile(page, picture);
            if (name.empty()) continue;
            QImage image(kSkinSize, QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    row[x] = qRgb((x + static_cast<int>(random() % 40)) & 0xFF, (y * 3) & 0xFF,
                                  static_cast<int>(random() % 256));
                }
            }
            image.save(QDir(folder).filePath(
                           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))),
                       "JPG", 90);
        }
    }
    MadeUpMask().save(QDir(folder).filePath("main_mask.jpg"), "JPG", 90);
}

// Areas in a grid with short texts, as many as the real tables hold.
void MadeUpLayout(skin::SkinLayout& layout, const char* prefix) {
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const int col = static_cast<int>(i % 10);
        const int row = static_cast<int>(i / 10);
        layout.areas[i] = {20 + col * 76, 20 + row * 44, 70, 28};
        layout.texts[i] = prefix + std::to_string(i);
    }
}

skin::SkinLayouts MadeUpLayouts() {
    skin::SkinLayouts layouts;
    MadeUpLayout(layouts.main, "Main ");
    MadeUpLayout(layouts.advanced, "Adv ");
    MadeUpLayout(layouts.color, "Color ");
    for (std::size_t k = 0; k < layouts.functionNames.size(); ++k) {
        layouts.functionNames[k] = "Function " + std::to_string(k + 1);
    }
    return layouts;
}

// A busy state: buttons set, bars full, a hovered item, the preview on blue.
skin::PaintState BusyState(skin::Page page) {
    skin::PaintState state;
    state.page = page;
    state.mainHover = 27;
    state.advancedHover = 12;
    state.colorHover = 2;
    state.language = 1;
    state.currentProfile = 2;
    for (int s = 0; s < 7; ++s)
        state.settings.buttonFunction[s] = s + 1;
    for (int i = 0; i < 4; ++i) {
        state.settings.dpiSet[i] = 11;
        state.settings.dpiSetEnabled[i] = 1;
    }
    state.settings.fireTime = 150;
    state.previewColor = 0;
    for (std::size_t m = 0; m < state.macroNames.size(); ++m) {
        state.macroNames[m] = "Macro " + std::to_string(m);
    }
    return state;
}

const char* PageName(skin::Page page) {
    switch (page) {
        case skin::Page::Advanced:
            return "Advanced";
        case skin::Page::Color:
            return "Color";
        case skin::Page::Main:
            break;
    }
    return "Main";
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);

    QTemporaryDir madeUp;
    QString skinFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    skin::SkinLayouts layouts;
    const bool realSkin = !skinFolder.isEmpty() &&
                          skin::LoadSkinLayouts(skinFolder.toStdString(), 1, layouts).ok() &&
                          !skinui::LoadSkinImage(skinFolder, "main_mask.jpg").isNull();
    if (!realSkin) {
        skinFolder = madeUp.path();
        WriteMadeUpPictures(skinFolder);
        layouts = MadeUpLayouts();
    }
    const QImage mask = skinui::LoadSkinImage(skinFolder, "main_mask.jpg");
    std::printf("skin: %s (%dx%d mask)\n",
                realSkin ? skinFolder.toLocal8Bit().constData() : "made-up pictures and layouts",
                mask.width(), mask.height());

    // Window region.
    bench::PrintHeader("Window region from the mask");
    const bench::Timing runs =
        bench::TimeIt(30, [&] { (void)skinui::BuildMaskRegion(mask).region.rectCount(); });
    const bench::Timing perPixel =
        bench::TimeIt(3, [&] { (void)PerPixelRegion(mask).rectCount(); });
    bench::PrintRow("BuildMaskRegion (runs of rows, banded)", runs);
    bench::PrintRow("one exclusive-or per light pixel", perPixel);
    const bool same = (skinui::BuildMaskRegion(mask).region ^ PerPixelRegion(mask)).isEmpty();
    std::printf("speed-up %.0fx (target >= 20x); same pixel set: %s\n",
                perPixel.medianUs / std::max(runs.medianUs, 0.001), same ? "yes" : "NO");

    // Painting.
    bench::PrintHeader("Full paint of a page (plan + composition, English)");
    const skinui::PlanPainter painter;
    skinui::SkinPictures kept(skinFolder, mask.size());
    QImage canvas;
    double worstKeptMedian = 0;
    for (const skin::Page page : {skin::Page::Main, skin::Page::Advanced, skin::Page::Color}) {
        const skin::PaintState state = BusyState(page);
        painter.Paint(skin::BuildPaintPlan(state, layouts), kept, canvas);  // decode once
        const bench::Timing cached = bench::TimeIt(
            200, [&] { painter.Paint(skin::BuildPaintPlan(state, layouts), kept, canvas); });
        worstKeptMedian = std::max(worstKeptMedian, cached.medianUs);
        skinui::SkinPictures fresh(skinFolder, mask.size());
        const bench::Timing decoding = bench::TimeIt(20, [&] {
            fresh.Release();
            painter.Paint(skin::BuildPaintPlan(state, layouts), fresh, canvas);
        });
        bench::PrintRow(std::string(PageName(page)) + ": kept pictures", cached);
        bench::PrintRow(std::string(PageName(page)) + ": pictures decoded each paint", decoding);
    }
    std::printf("slowest page median with kept pictures: %.2f ms (target < 4 ms)\n",
                worstKeptMedian / 1000.0);
    return 0;
}
