#pragma once

// Which layout item lies under a point.

#include <cstdint>

#include "skin/SkinLayout.h"

namespace trq::skin {

// "No item": the value of a hover index that hit nothing.
inline constexpr std::uint8_t kNoItem = 255;

// A point in client pixels of the main window.
struct SkinPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const SkinPoint&, const SkinPoint&) = default;
};

// The lowest index i in 0..last whose area contains the point (overlapping areas resolve to
// the lower index), or kNoItem. Indices past the end of the layout are not tested, so an
// empty layout or a negative `last` gives kNoItem; areas of zero or negative size contain
// no point. `last` above 254 is taken as 254, since 255 means "none".
std::uint8_t HitTestLayout(SkinPoint point, const SkinLayout& layout, int last);

}  // namespace trq::skin
