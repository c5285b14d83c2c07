#include "skin/ui/WindowShape.h"

#include <QRect>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "skin/ui/SkinPictures.h"

namespace trq::skinui {

namespace {

struct Run {
    int left = 0;
    int right = 0;  // exclusive
    friend bool operator==(const Run&, const Run&) = default;
};

void WindowRuns(const QRgb* row, int width, std::vector<Run>& runs) {
    runs.clear();
    int x = 0;
    while (x < width) {
        while (x < width && IsCutAwayPixel(row[x]))
            ++x;
        if (x == width) break;
        const int left = x;
        while (x < width && !IsCutAwayPixel(row[x]))
            ++x;
        runs.push_back({left, x});
    }
}

void EmitBand(const std::vector<Run>& runs, int top, int height, std::vector<QRect>& rects) {
    for (const Run& run : runs)
        rects.emplace_back(run.left, top, run.right - run.left, height);
}

QRect BoxRect(const skin::SkinBox& box) {
    // As a region rectangle a box is normalised: the corners may come in either order.
    const std::int64_t left = std::min(box.left, box.right);
    const std::int64_t right = std::max(box.left, box.right);
    const std::int64_t top = std::min(box.top, box.bottom);
    const std::int64_t bottom = std::max(box.top, box.bottom);
    constexpr std::int64_t kMaxSide = std::numeric_limits<int>::max();
    return QRect(static_cast<int>(left), static_cast<int>(top),
                 static_cast<int>(std::min(right - left, kMaxSide)),
                 static_cast<int>(std::min(bottom - top, kMaxSide)));
}

}  // namespace

bool IsCutAwayPixel(QRgb pixel) {
    return qRed(pixel) > 100 && qGreen(pixel) > 100 && qBlue(pixel) > 100;
}

MaskShape BuildMaskRegion(const QImage& mask) {
    MaskShape shape;
    if (mask.isNull()) return shape;
    shape.size = mask.size();
    const QImage pixels =
        mask.format() == QImage::Format_RGB32 || mask.format() == QImage::Format_ARGB32
            ? mask
            : mask.convertToFormat(QImage::Format_RGB32);
    const int width = pixels.width();
    const int height = pixels.height();

    // A band is a run of rows with identical window runs; every band becomes one rectangle
    // per run. That is the y-x banded form QRegion keeps, so it is taken over unchanged.
    std::vector<QRect> rects;
    std::vector<Run> bandRuns;
    std::vector<Run> rowRuns;
    int bandTop = 0;
    for (int y = 0; y < height; ++y) {
        WindowRuns(reinterpret_cast<const QRgb*>(pixels.constScanLine(y)), width, rowRuns);
        if (y > 0 && rowRuns == bandRuns) continue;
        EmitBand(bandRuns, bandTop, y - bandTop, rects);
        std::swap(bandRuns, rowRuns);
        bandTop = y;
    }
    EmitBand(bandRuns, bandTop, height - bandTop, rects);

    if (!rects.empty()) shape.region.setRects(rects.data(), static_cast<int>(rects.size()));
    return shape;
}

std::optional<MaskShape> BuildMaskRegion(const QString& skinFolder, std::string_view relativeName) {
    const QImage mask = LoadSkinImage(skinFolder, relativeName);
    if (mask.isNull()) return std::nullopt;
    return BuildMaskRegion(mask);
}

QRegion BuildHoverRegion(const QRegion& windowRegion, const skin::SkinBox& macroNameArea,
                         const skin::SkinBox& stepListArea, const skin::SkinBox& macroListArea) {
    QRegion region = windowRegion;
    for (const skin::SkinBox* box : {&macroNameArea, &stepListArea, &macroListArea}) {
        region ^= QRegion(BoxRect(*box));
    }
    return region;
}

QRegion BuildHoverRegion(const QRegion& windowRegion, const skin::SkinLayouts& layouts) {
    return BuildHoverRegion(windowRegion, layouts.macroNameArea, layouts.stepListArea,
                            layouts.macroListArea);
}

QSize PopupRegionSize(QSize maskSize, int rowDivisor, int rows) {
    if (rows <= 0 || rowDivisor <= 0 || maskSize.width() <= 0 || maskSize.height() <= 0) {
        return {0, 0};
    }
    const std::int64_t rowHeight = maskSize.height() / rowDivisor;
    const std::int64_t height =
        std::min<std::int64_t>(std::int64_t{rows} * rowHeight + 1, std::numeric_limits<int>::max());
    return {maskSize.width(), static_cast<int>(height)};
}

QRegion PopupRegion(QSize maskSize, int rowDivisor, int rows) {
    return QRegion(QRect(QPoint(0, 0), PopupRegionSize(maskSize, rowDivisor, rows)));
}

}  // namespace trq::skinui
