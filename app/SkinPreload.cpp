#include "app/SkinPreload.h"

#include <QImageReader>
#include <QPainter>

#include "skin/PaintPlan.h"
#include "skin/ui/SkinFonts.h"

namespace trq::app {
namespace {

constexpr char kMaskPicture[] = "main_mask.jpg";

}  // namespace

SkinPreload::SkinPreload(const QString& skinFolder, skin::Page page, std::uint8_t language) {
    mask_ = std::async(std::launch::async,
                       [skinFolder] { return skinui::BuildMaskRegion(skinFolder, kMaskPicture); });
    pictures_ = std::async(std::launch::async, [skinFolder, page] {
        // The mask's size from its header alone, so the pictures need not wait for the mask.
        const QSize size = QImageReader(skinui::SkinPicturePath(skinFolder, kMaskPicture)).size();
        std::unique_ptr<skinui::SkinPictures> pictures;
        if (!size.isValid() || size.isEmpty()) return pictures;
        pictures = std::make_unique<skinui::SkinPictures>(skinFolder, size);
        for (const skin::Picture p :
             {skin::Picture::Normal, skin::Picture::Over, skin::Picture::Down}) {
            pictures->Picture(skin::PictureFile(page, p));
        }
        return pictures;
    });
    // The first text drawn loads the system's font database and the font's file, which
    // take longer than the rest of the start-up.
    fonts_ = std::jthread([language] {
        QImage scratch(32, 16, QImage::Format_RGB32);
        QPainter painter(&scratch);
        painter.setFont(skinui::MakeSkinFontForLanguage(language));
        painter.drawText(0, 14, QString::fromUtf8(language != 0 ? "Ag" : "字"));
    });
}

SkinPreload::~SkinPreload() {
    if (mask_.valid()) mask_.wait();
    if (pictures_.valid()) pictures_.wait();
}

std::optional<skinui::MaskShape> SkinPreload::TakeMask() {
    return mask_.get();
}

std::unique_ptr<skinui::SkinPictures> SkinPreload::TakePictures() {
    return pictures_.get();
}

}  // namespace trq::app
