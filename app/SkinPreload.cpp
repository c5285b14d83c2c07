#include "app/SkinPreload.h"

#include <QPainter>

#include "skin/PaintPlan.h"
#include "skin/ui/SkinFonts.h"

namespace trq::app {
namespace {

constexpr char kMaskPicture[] = "main_mask.jpg";

}  // namespace

SkinPreload::SkinPreload(const QString& skinFolder, skin::Page page)
    : mask_(maskPromise_.get_future()) {
    pictures_ = std::async(std::launch::async, [this, skinFolder, page] {
        std::optional<skinui::MaskShape> shape = skinui::BuildMaskRegion(skinFolder, kMaskPicture);
        const QSize size = shape ? shape->size : QSize();
        maskPromise_.set_value(std::move(shape));
        std::unique_ptr<skinui::SkinPictures> pictures;
        if (size.isEmpty()) return pictures;
        pictures = std::make_unique<skinui::SkinPictures>(skinFolder, size);
        for (const skin::Picture p :
             {skin::Picture::Normal, skin::Picture::Over, skin::Picture::Down}) {
            pictures->Picture(skin::PictureFile(page, p));
        }
        return pictures;
    });
    // The first text drawn loads the system's font database, which takes longer than the
    // rest of the start-up.
    fonts_ = std::jthread([] {
        QImage scratch(32, 16, QImage::Format_RGB32);
        QPainter painter(&scratch);
        for (const skin::SkinFont font : {skin::SkinFont::English, skin::SkinFont::Chinese}) {
            painter.setFont(skinui::MakeSkinFont(font));
            painter.drawText(0, 14, QString::fromUtf8("Ag字"));
        }
    });
}

SkinPreload::~SkinPreload() {
    if (pictures_.valid()) pictures_.wait();
}

std::optional<skinui::MaskShape> SkinPreload::TakeMask() {
    return mask_.get();
}

std::unique_ptr<skinui::SkinPictures> SkinPreload::TakePictures() {
    return pictures_.get();
}

}  // namespace trq::app
