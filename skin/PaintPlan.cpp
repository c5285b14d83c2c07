#include "skin/PaintPlan.h"

#include <algorithm>
#include <limits>

#include "base/Utf8.h"
#include "settings/FunctionTable.h"
#include "skin/SkinIndexMap.h"

namespace trq::skin {
namespace {

constexpr std::int32_t kLeftTextIndent = 5;
constexpr int kFireTrackRange = settings::kMaxFireTime;
constexpr int kUnknownDpi = 200;  // shown while no applied code matches the table

std::int32_t Saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool IsEmpty(const SkinRect& r) {
    return r.width <= 0 || r.height <= 0;
}

const SkinRect* AreaOf(const SkinLayout& layout, int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= layout.areas.size()) return nullptr;
    return &layout.areas[item];
}

std::string TextOf(const SkinLayout& layout, int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= layout.texts.size()) return {};
    return layout.texts[item];
}

const SkinLayout& PageLayout(const SkinLayouts& layouts, Page page) {
    switch (page) {
        case Page::Advanced:
            return layouts.advanced;
        case Page::Color:
            return layouts.color;
        case Page::Main:
            break;
    }
    return layouts.main;
}

std::uint8_t PageHover(const PaintState& state) {
    switch (state.page) {
        case Page::Advanced:
            return state.advancedHover;
        case Page::Color:
            return state.colorHover;
        case Page::Main:
            break;
    }
    return state.mainHover;
}

int PageTextCount(Page page) {
    switch (page) {
        case Page::Advanced:
            return advanceditem::kPageTextCount;
        case Page::Color:
            return coloritem::kPageTextCount;
        case Page::Main:
            break;
    }
    return mainitem::kMainPageTextCount;
}

class PlanBuilder {
  public:
    PlanBuilder(const PaintState& state, const SkinLayouts& layouts)
        : state_(state), layouts_(layouts) {
        plan_.page = state.page;
        plan_.font = state.language == 0 ? SkinFont::Chinese : SkinFont::English;
    }

    PaintPlan Build() {
        HoveredItem();
        switch (state_.page) {
            case Page::Main:
                MainOverlays();
                break;
            case Page::Advanced:
                AdvancedOverlays();
                break;
            case Page::Color:
                ColorOverlays();
                break;
        }
        CommonStrip();
        Texts();
        return std::move(plan_);
    }

  private:
    void CopyArea(Picture from, const SkinRect& area) {
        if (!IsEmpty(area)) plan_.ops.emplace_back(CopyOp{from, area});
    }

    void Copy(Picture from, const SkinLayout& layout, int item) {
        if (const SkinRect* area = AreaOf(layout, item)) CopyArea(from, *area);
    }

    void Fill(const SkinRect& area, SkinColor color) {
        if (!IsEmpty(area)) plan_.ops.emplace_back(FillOp{area, color});
    }

    void Text(std::string text, const SkinRect* area, TextAlign align, SkinColor color) {
        if (text.empty() || area == nullptr) return;
        plan_.ops.emplace_back(TextOp{std::move(text), *area, align, color});
    }

    void HoveredItem() {
        const std::uint8_t h = PageHover(state_);
        if (h == kNoItem) return;
        const SkinLayout& layout = PageLayout(layouts_, state_.page);
        if (!state_.leftButtonHeld) {
            Copy(Picture::Over, layout, h);
        } else if (!(state_.page == Page::Advanced && h == advanceditem::kFireTrack)) {
            // Held on the slider track, a pressed look of the whole track would hide the
            // fill that shows the value being dragged.
            Copy(Picture::Down, layout, h);
        }
    }

    void MainOverlays() {
        using namespace mainitem;
        const settings::DeviceSettings& s = state_.settings;
        const SkinLayout& main = layouts_.main;
        Copy(Picture::Down, main, DpiSelector(settings::ClampedDpiLevel(s)));
        for (int level = 0; level < kDpiLevels; ++level) {
            const int filled = settings::ClampedDpiSet(s, level);
            for (int j = 0; j <= filled; ++j) {
                if (const SkinRect* bar = AreaOf(main, DpiBar(level, j))) {
                    Fill(SkinRect{Saturate(std::int64_t{bar->x} + 1),
                                  Saturate(std::int64_t{bar->y} + 1),
                                  Saturate(std::int64_t{bar->width} - 2),
                                  Saturate(std::int64_t{bar->height} - 1)},
                         kDpiBarColors[level]);
                }
            }
            if (s.dpiSetEnabled[level] == 1) Copy(Picture::Down, main, DpiEnable(level));
        }
        Copy(Picture::Down, main, s.wheelStatus == 0 ? kWheelStatus0 : kWheelStatus1);
        const int hover = state_.mainHover;
        if (hover >= kFirstSlot && hover <= kLastSlot) {
            Copy(Picture::Over, main, Hint(hover - kFirstSlot));
        }
    }

    void AdvancedOverlays() {
        using namespace advanceditem;
        const settings::DeviceSettings& s = state_.settings;
        const SkinLayout& advanced = layouts_.advanced;
        if (state_.recording) Copy(Picture::Down, advanced, kRecord);
        Copy(Picture::Down, advanced, PointerSpeed(std::min<int>(s.dpiSpeed, kSpeedSteps - 1)));
        Copy(Picture::Down, advanced, WheelSpeed(std::min<int>(s.wheelSpeed, kSpeedSteps - 1)));
        if (const SkinRect* track = AreaOf(advanced, kFireTrack); track && track->width > 0) {
            // 64-bit, so a wide track cannot wrap the product.
            const auto filled = static_cast<std::uint64_t>(settings::ClampedFireTime(s)) *
                                static_cast<std::uint64_t>(track->width) / kFireTrackRange;
            CopyArea(Picture::Down, SkinRect{track->x, track->y, static_cast<std::int32_t>(filled),
                                             track->height});
        }
        if (s.macroMode2 != 0) Copy(Picture::Down, advanced, kLoopWhileHeld);
        const int macro = state_.currentMacro;
        if (macro >= 0 && macro < macros::kUserMacroCapacity &&
            state_.macroRepeatMode[macro] == 1) {
            Copy(Picture::Down, advanced, kRepeatMode);
        }
    }

    void ColorOverlays() {
        using namespace coloritem;
        const SkinLayout& color = layouts_.color;
        Copy(Picture::Down, color, kFirstLedMode + settings::ClampedLedStatus(state_.settings));
        if (state_.previewGray) {
            Copy(Picture::Gray, color, kPreview);
            return;
        }
        switch (state_.previewColor) {
            case 0:
                Copy(Picture::Blue, color, kPreview);
                break;
            case 2:
                Copy(Picture::Over, color, kPreview);
                break;
            case 3:
                Copy(Picture::Down, color, kPreview);
                break;
            default:
                break;  // 1: the pink of the normal picture
        }
    }

    void CommonStrip() {
        using namespace mainitem;
        const int profile = state_.currentProfile;
        // Only a user profile has a button; 0 (no CurConfig) or a stray number would light
        // Apply or Save instead.
        const int profileItem = profile >= 1 && profile <= 5 ? Profile(profile) : -1;
        const int tab = Tab(static_cast<int>(state_.page));
        for (int i = 0; i <= kLastStrip; ++i) {
            if (i == profileItem) {
                Copy(Picture::Down, layouts_.main, i);
            } else if (i == state_.mainHover) {
                Copy(state_.leftButtonHeld ? Picture::Down : Picture::Over, layouts_.main, i);
            } else if (i == tab || (i == kChinese && state_.language == 0) ||
                       (i == kEnglish && state_.language == 1)) {
                Copy(Picture::Down, layouts_.main, i);
            }
        }
    }

    std::string SlotLabel(int slot) const {
        const std::int32_t code = state_.settings.buttonFunction[slot];
        if (code >= settings::kFirstUserMacroCode && code <= settings::kLastFunctionCode) {
            return state_.macroNames[code - settings::kFirstUserMacroCode];
        }
        if (code >= 1 && code < settings::kFirstUserMacroCode) {
            return layouts_.functionNames[code - 1];
        }
        return {};  // 0, negative or past the table: nothing to name
    }

    std::string AdvancedText(int k) const {
        const bool chinese = state_.language == 0;
        switch (k) {
            case advanceditem::kRecord:
                if (state_.recording) return chinese ? "停止" : "Stop";
                return chinese ? "录制" : "Record";
            case advanceditem::kFireLabel:
                return std::to_string(settings::ClampedFireTime(state_.settings)) + "ms";
            case advanceditem::kPressCount:
                return "[↓]" + std::to_string(state_.pressCount);
            case advanceditem::kReleaseCount:
                return "[↑]" + std::to_string(state_.releaseCount);
            default:
                return TextOf(layouts_.advanced, k);
        }
    }

    std::string DpiNumber() const {
        const std::uint8_t code =
            state_.appliedDpiCodes[settings::ClampedDpiLevel(state_.settings)];
        const auto* found =
            std::find(settings::DpiCodeTable.begin(), settings::DpiCodeTable.end(), code);
        if (found == settings::DpiCodeTable.end()) return std::to_string(kUnknownDpi);
        return std::to_string(settings::DpiValues[found - settings::DpiCodeTable.begin()]);
    }

    void Texts() {
        const int count = PageTextCount(state_.page);
        for (int i = 0; i < count; ++i) {
            const bool onMain = state_.page == Page::Main;
            if (onMain && i >= mainitem::kFirstSlot && i <= mainitem::kLastSlot) {
                Text(SlotLabel(i - mainitem::kFirstSlot), AreaOf(layouts_.main, i),
                     TextAlign::LeftCentred,
                     i == state_.mainHover ? kHoveredTextColor : kTextColor);
            } else if (i <= mainitem::kLastStrip || onMain) {
                Text(TextOf(layouts_.main, i), AreaOf(layouts_.main, i), TextAlign::Centred,
                     kTextColor);
            } else if (state_.page == Page::Advanced) {
                const int k = i - mainitem::kStripCount;
                Text(AdvancedText(k), AreaOf(layouts_.advanced, k), TextAlign::Centred,
                     k == state_.advancedHover ? kHoveredTextColor : kTextColor);
            } else {
                const int k = i - mainitem::kStripCount;
                Text(k == coloritem::kDpiNumber ? DpiNumber() : TextOf(layouts_.color, k),
                     AreaOf(layouts_.color, k), TextAlign::Centred, kTextColor);
            }
        }
    }

    const PaintState& state_;
    const SkinLayouts& layouts_;
    PaintPlan plan_;
};

}  // namespace

std::string_view PictureFile(Page page, Picture picture) {
    switch (page) {
        case Page::Main:
            switch (picture) {
                case Picture::Normal:
                    return "main_normal.jpg";
                case Picture::Over:
                    return "main_over.jpg";
                case Picture::Down:
                    return "main_down.jpg";
                default:
                    return {};
            }
        case Page::Advanced:
            switch (picture) {
                case Picture::Normal:
                    return "advanced_normal.jpg";
                case Picture::Over:
                    return "advanced_over.jpg";
                case Picture::Down:
                    return "advanced_down.jpg";
                default:
                    return {};
            }
        case Page::Color:
            switch (picture) {
                case Picture::Normal:
                    return "color_normal_pink.jpg";
                case Picture::Over:
                    return "color_over_red.jpg";
                case Picture::Down:
                    return "color_down_purple.jpg";
                case Picture::Gray:
                    return "color_normal_gray.jpg";
                case Picture::Blue:
                    return "color_over_blue.jpg";
            }
    }
    return {};
}

void SetMacroState(PaintState& state, const macros::UserMacroTable& table) {
    state.currentMacro = table.currentMacro;
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        state.macroRepeatMode[i] = table.records[i].repeatMode;
        state.macroNames[i] = base::Utf16ToUtf8(macros::MacroName(table.records[i]));
    }
}

PaintPlan BuildPaintPlan(const PaintState& state, const SkinLayouts& layouts) {
    return PlanBuilder(state, layouts).Build();
}

SkinPoint TextOrigin(const SkinRect& area, TextAlign align, std::int32_t tw, std::int32_t th) {
    const std::int64_t y = std::int64_t{area.y} + (std::int64_t{area.height} - th) / 2;
    const std::int64_t x = align == TextAlign::LeftCentred
                               ? std::int64_t{area.x} + kLeftTextIndent
                               : std::int64_t{area.x} + (std::int64_t{area.width} - tw) / 2;
    return SkinPoint{Saturate(x), Saturate(y)};
}

}  // namespace trq::skin
