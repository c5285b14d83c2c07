#pragma once

// Window shapes: the region of a skinned window taken from its mask picture, the main
// window's hover region, and the rectangular region of a function-menu pop-up.

#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>
#include <optional>
#include <string_view>

#include "skin/SkinLayout.h"

namespace trq::skinui {

struct MaskShape {
    QRegion region;  // the window part of the mask
    QSize size;      // the mask picture's width and height
};

// A mask pixel whose red, green and blue are all above 100 is cut away; a pixel with any
// channel at 100 or below is window. The threshold is per channel, so JPEG noise in a
// coloured area does not cut holes.
bool IsCutAwayPixel(QRgb pixel);

// The region of all window pixels of `mask`, built from runs of window pixels per row and
// merged into bands of equal rows: the same pixel set as starting from the full rectangle
// and cutting each light pixel out by itself, at a fraction of the cost. A null mask gives
// an empty region and size.
MaskShape BuildMaskRegion(const QImage& mask);

// The same for the mask picture `relativeName` of the skin folder; nothing when the picture
// is missing or cannot be decoded (the window's size is then unknown).
std::optional<MaskShape> BuildMaskRegion(const QString& skinFolder, std::string_view relativeName);

// The main window's region without the areas of the name edit box, the step list and the
// macro list: the window region combined by exclusive-or with macroNameArea, stepListArea
// and macroListArea in that order. An area inside the shape is removed; a part of it lying
// in a cut-away pixel is added back. Boxes given right-to-left or bottom-to-top are
// normalised; empty boxes change nothing.
QRegion BuildHoverRegion(const QRegion& windowRegion, const skin::SkinBox& macroNameArea,
                         const skin::SkinBox& stepListArea, const skin::SkinBox& macroListArea);
QRegion BuildHoverRegion(const QRegion& windowRegion, const skin::SkinLayouts& layouts);

// A function-menu pop-up's rectangle from its mask size W x H: row height h = H / rowDivisor
// (truncating), rectangle (0, 0, W, rows * h + 1). Zero rows give an empty rectangle, as do a
// divisor or a size of zero or less.
QSize PopupRegionSize(QSize maskSize, int rowDivisor, int rows);
QRegion PopupRegion(QSize maskSize, int rowDivisor, int rows);

}  // namespace trq::skinui
