#pragma once

// The two fonts of the skinned windows, chosen by language.

#include <QFont>
#include <cstdint>

#include "skin/PaintPlan.h"

namespace trq::skinui {

// English: "Arial", 14 pixels; Chinese: "宋体", 12 pixels; both normal weight. The names are
// asked for as given and the system substitutes what it has (Liberation Sans, WenQuanYi
// Micro Hei on Debian); a missing Chinese face still shows Chinese through font fallback.
QFont MakeSkinFont(skin::SkinFont font);

// Language 0 is Chinese, any other value English.
QFont MakeSkinFontForLanguage(std::uint8_t language);

}  // namespace trq::skinui
