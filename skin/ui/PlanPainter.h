#pragma once

// Executes a paint plan (skin/PaintPlan.h) with Qt: copies from the page's kept pictures,
// bar fills and texts, composed off-screen so the window shows the result in one step.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <array>

#include "skin/PaintPlan.h"
#include "skin/ui/SkinPictures.h"

namespace trq::skinui {

// Holds the two fonts and their metrics; make it once per window (after the application
// object exists) and use it on the window thread.
class PlanPainter {
  public:
    PlanPainter();

    // Paints `plan` on `canvas`: first the page's normal picture, then every operation in
    // order: copies of an area from the named picture of the plan's page, solid fills, and
    // texts in the plan's font, measured and placed by skin::TextOrigin, transparent
    // background. The canvas becomes the window size of `pictures` in kPictureFormat; it is
    // reused without a new allocation when it already is. Missing pictures draw as neutral
    // pictures; areas outside the window are clipped. Never fails.
    void Paint(const skin::PaintPlan& plan, SkinPictures& pictures, QImage& canvas) const;

    // The text's measured width and height in a font: the size skin::TextOrigin places.
    QSize MeasureText(skin::SkinFont font, const QString& text) const;

    const QFont& Font(skin::SkinFont font) const;

  private:
    struct FontAndMetrics {
        QFont font;
        QFontMetrics metrics;
    };
    const FontAndMetrics& Of(skin::SkinFont font) const;

    std::array<FontAndMetrics, 2> fonts_;  // [Chinese, English]
};

}  // namespace trq::skinui
