#include "skin/ui/SkinFonts.h"

#include <QStringList>

namespace trq::skinui {

QFont MakeSkinFont(skin::SkinFont font) {
    QFont qfont;
    if (font == skin::SkinFont::English) {
        qfont.setFamilies({QStringLiteral("Arial")});
        qfont.setPixelSize(14);
    } else {
        qfont.setFamilies({QString::fromUtf8("宋体")});
        qfont.setPixelSize(12);
    }
    qfont.setWeight(QFont::Normal);
    qfont.setStyleHint(QFont::SansSerif);
    return qfont;
}

QFont MakeSkinFontForLanguage(std::uint8_t language) {
    return MakeSkinFont(language == 0 ? skin::SkinFont::Chinese : skin::SkinFont::English);
}

}  // namespace trq::skinui
