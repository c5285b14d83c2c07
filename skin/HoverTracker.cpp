#include "skin/HoverTracker.h"

#include "skin/SkinIndexMap.h"

namespace trq::skin {

HoverRepaint TrackHover(SkinPoint point, Page page, const SkinLayouts& layouts, HoverState& state) {
    state.mainHover = HitTestLayout(
        point, layouts.main,
        page == Page::Main ? mainitem::kLastHoverMainPage : mainitem::kLastHoverOtherPages);
    state.colorHover = HitTestLayout(point, layouts.color, coloritem::kLastHover);
    state.advancedHover = HitTestLayout(point, layouts.advanced, advanceditem::kLastHover);

    bool changed = false;
    for (auto [now, last] : {std::pair{state.mainHover, &state.lastMain},
                             std::pair{state.colorHover, &state.lastColor},
                             std::pair{state.advancedHover, &state.lastAdvanced}}) {
        if (now != *last) {
            *last = now;
            changed = true;
        }
    }
    if (!changed) return HoverRepaint::None;
    return page == Page::Advanced ? HoverRepaint::HoverRegion : HoverRepaint::Window;
}

}  // namespace trq::skin
