#include "skin/ui/PlanPainter.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <variant>

#include "skin/ui/CopySkinArea.h"
#include "skin/ui/SkinFonts.h"

namespace trq::skinui {

namespace {

void FillArea(QImage& canvas, const skin::SkinRect& area, skin::SkinColor color) {
    const std::int64_t left = std::max<std::int64_t>(area.x, 0);
    const std::int64_t top = std::max<std::int64_t>(area.y, 0);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{area.x} + area.width, canvas.width());
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{area.y} + area.height, canvas.height());
    if (right <= left || bottom <= top) return;
    const QRgb pixel = qRgb(color.r, color.g, color.b);
    for (auto y = top; y < bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(static_cast<int>(y)));
        std::fill(row + left, row + right, pixel);
    }
}

}  // namespace

PlanPainter::PlanPainter()
    : fonts_{FontAndMetrics{MakeSkinFont(skin::SkinFont::Chinese),
                            QFontMetrics(MakeSkinFont(skin::SkinFont::Chinese))},
             FontAndMetrics{MakeSkinFont(skin::SkinFont::English),
                            QFontMetrics(MakeSkinFont(skin::SkinFont::English))}} {}

const PlanPainter::FontAndMetrics& PlanPainter::Of(skin::SkinFont font) const {
    return fonts_[font == skin::SkinFont::English ? 1 : 0];
}

const QFont& PlanPainter::Font(skin::SkinFont font) const {
    return Of(font).font;
}

QSize PlanPainter::MeasureText(skin::SkinFont font, const QString& text) const {
    const QFontMetrics& metrics = Of(font).metrics;
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void PlanPainter::Paint(const skin::PaintPlan& plan, SkinPictures& pictures, QImage& canvas) const {
    const QImage& normal = pictures.Picture(skin::PictureFile(plan.page, skin::Picture::Normal));
    if (canvas.size() != normal.size() || canvas.format() != normal.format()) {
        canvas = QImage(normal.size(), normal.format());
    }
    CopySkinArea(canvas, normal, {0, 0, normal.width(), normal.height()});

    // The painter only for texts: copies and fills write the pixels directly, and the two
    // must not overlap in time.
    std::optional<QPainter> painter;
    const FontAndMetrics& font = Of(plan.font);
    for (const skin::PaintOp& op : plan.ops) {
        if (const auto* copy = std::get_if<skin::CopyOp>(&op)) {
            const std::string_view file = skin::PictureFile(plan.page, copy->from);
            if (file.empty()) continue;
            painter.reset();
            CopySkinArea(canvas, pictures.Picture(file), copy->area);
        } else if (const auto* fill = std::get_if<skin::FillOp>(&op)) {
            painter.reset();
            FillArea(canvas, fill->area, fill->color);
        } else if (const auto* text = std::get_if<skin::TextOp>(&op)) {
            if (!painter) {
                painter.emplace(&canvas);
                painter->setFont(font.font);
                painter->setBackgroundMode(Qt::TransparentMode);
            }
            const QString string = QString::fromStdString(text->text);
            const int tw = font.metrics.horizontalAdvance(string);
            const int th = font.metrics.height();
            const skin::SkinPoint origin = skin::TextOrigin(text->area, text->align, tw, th);
            // Off the canvas (also where a far-away origin would overflow the baseline).
            if (origin.x >= canvas.width() || origin.y >= canvas.height() ||
                std::int64_t{origin.x} + tw <= 0 || std::int64_t{origin.y} + th <= 0) {
                continue;
            }
            painter->setPen(QColor(text->color.r, text->color.g, text->color.b));
            painter->drawText(QPoint(origin.x, origin.y + font.metrics.ascent()), string);
        }
    }
}

}  // namespace trq::skinui
