#include "skin/ui/SkinPictures.h"

#include <QDir>
#include <QImageReader>
#include <utility>

#include "skin/ui/CopySkinArea.h"

namespace trq::skinui {

QString SkinPicturePath(const QString& skinFolder, std::string_view relativeName) {
    QString name =
        QString::fromUtf8(relativeName.data(), static_cast<qsizetype>(relativeName.size()));
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    return QDir(skinFolder).filePath(name);
}

QImage LoadSkinImage(const QString& skinFolder, std::string_view relativeName) {
    QImageReader reader(SkinPicturePath(skinFolder, relativeName));
    // The skin's pictures carry no orientation of their own; show them as stored.
    reader.setAutoTransform(false);
    QImage image = reader.read();
    if (image.isNull()) return {};
    return image.convertToFormat(kPictureFormat);
}

SkinPictures::SkinPictures(QString skinFolder, QSize windowSize)
    : skinFolder_(std::move(skinFolder)), windowSize_(windowSize.expandedTo(QSize(0, 0))) {}

const QImage& SkinPictures::Picture(std::string_view relativeName) {
    if (const auto it = kept_.find(relativeName); it != kept_.end()) return it->second.image;

    Kept kept;
    QImage decoded = LoadSkinImage(skinFolder_, relativeName);
    kept.missing = decoded.isNull();
    if (!kept.missing && decoded.size() == windowSize_) {
        kept.image = std::move(decoded);
    } else {
        kept.image = QImage(windowSize_, kPictureFormat);
        kept.image.fill(kMissingPictureColor);
        if (!kept.missing) {
            CopySkinArea(kept.image, decoded, {0, 0, decoded.width(), decoded.height()});
        }
    }
    return kept_.emplace(std::string(relativeName), std::move(kept)).first->second.image;
}

bool SkinPictures::IsMissing(std::string_view relativeName) const {
    const auto it = kept_.find(relativeName);
    return it != kept_.end() && it->second.missing;
}

void SkinPictures::Release() {
    kept_.clear();
}

}  // namespace trq::skinui
