#include "skin/HitTest.h"

#include <algorithm>

namespace trq::skin {

std::uint8_t HitTestLayout(SkinPoint point, const SkinLayout& layout, int last) {
    const int end = std::min<long long>({static_cast<long long>(last) + 1,
                                         static_cast<long long>(layout.areas.size()),
                                         static_cast<long long>(kNoItem)});
    for (int i = 0; i < end; ++i) {
        if (layout.areas[i].Contains(point.x, point.y)) return static_cast<std::uint8_t>(i);
    }
    return kNoItem;
}

}  // namespace trq::skin
