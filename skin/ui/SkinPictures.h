#pragma once

// The skin's pictures of one window, decoded once and kept: every paint of a window looks
// the same for the same state, so decoding the JPEG files again on each paint would only
// cost time.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <map>
#include <string>
#include <string_view>

namespace trq::skinui {

// Every kept picture has this format, so areas copy between them row by row.
inline constexpr QImage::Format kPictureFormat = QImage::Format_RGB32;

// Shown where a picture is missing or cannot be decoded.
inline const QColor kMissingPictureColor{64, 64, 64};

// The file of a picture: `relativeName` appended to the skin folder. The name may start with
// a separator and may use backslashes ("\main_mask.jpg" and "main_mask.jpg" are the same).
QString SkinPicturePath(const QString& skinFolder, std::string_view relativeName);

// Decodes the picture into kPictureFormat, any alpha dropped. A null image when the file is
// missing or cannot be decoded.
QImage LoadSkinImage(const QString& skinFolder, std::string_view relativeName);

// The pictures of one window, all of the window's size. Not thread-safe: use it on the
// window thread.
class SkinPictures {
  public:
    SkinPictures(QString skinFolder, QSize windowSize);

    // The picture, decoded at the first call and kept until Release(). A missing or
    // undecodable picture is a picture of the window's size filled with kMissingPictureColor;
    // a picture of another size is placed at the top left of such a picture (cut off where it
    // is larger). The reference stays valid until Release() or destruction.
    const QImage& Picture(std::string_view relativeName);

    // Whether the picture of that name was missing or undecodable when it was loaded (false
    // for a name not loaded yet).
    bool IsMissing(std::string_view relativeName) const;

    // Drops every kept picture; the next use decodes again. An 800 x 620 picture keeps about
    // 2 MB, and the main window's three pages have eleven: release them when the page changes
    // or the window hides, so at most one page's pictures stay.
    void Release();

    QSize WindowSize() const { return windowSize_; }
    const QString& SkinFolder() const { return skinFolder_; }

  private:
    struct Kept {
        QImage image;
        bool missing = false;
    };

    QString skinFolder_;
    QSize windowSize_;
    std::map<std::string, Kept, std::less<>> kept_;
};

}  // namespace trq::skinui
