#pragma once

// The one operation by which skin pictures are composed: copy a rectangle of one picture to
// the same place of another.

#include <QImage>

#include "skin/SkinLayout.h"

namespace trq::skinui {

// Copies the pixels of `area` from `source` to the same rectangle of `dest`, unscaled and
// opaque (no blending). The rectangle is clipped to both images, so areas partly or wholly
// outside either, of zero or negative size, or near the int32 limits copy only what lies
// inside both and never fail. Images of the same format are copied row by row; any other
// format is converted on the way. A null source or destination copies nothing.
void CopySkinArea(QImage& dest, const QImage& source, const skin::SkinRect& area);

}  // namespace trq::skinui
