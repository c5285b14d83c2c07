#include "skin/ui/CopySkinArea.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace trq::skinui {

void CopySkinArea(QImage& dest, const QImage& source, const skin::SkinRect& area) {
    if (dest.isNull() || source.isNull()) return;
    // 64-bit so x + width cannot overflow for any int32 rectangle.
    const std::int64_t left = std::max<std::int64_t>(area.x, 0);
    const std::int64_t top = std::max<std::int64_t>(area.y, 0);
    const std::int64_t right =
        std::min<std::int64_t>({std::int64_t{area.x} + area.width, dest.width(), source.width()});
    const std::int64_t bottom = std::min<std::int64_t>(
        {std::int64_t{area.y} + area.height, dest.height(), source.height()});
    if (right <= left || bottom <= top) return;
    const int x = static_cast<int>(left);
    const int y = static_cast<int>(top);
    const int w = static_cast<int>(right - left);
    const int h = static_cast<int>(bottom - top);

    if (dest.depth() < 8) {
        QPainter painter(&dest);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(x, y), source, QRect(x, y, w, h));
        return;
    }
    // Opaque means the colour bytes as they are: a translucent source pixel is not blended
    // or darkened, its alpha is dropped as the conversion does.
    QImage converted;
    const QImage* from = &source;
    QPoint origin(x, y);
    if (source.format() != dest.format()) {
        converted = source.copy(x, y, w, h).convertToFormat(dest.format());
        from = &converted;
        origin = QPoint(0, 0);
    }
    const std::size_t bytesPerPixel = static_cast<std::size_t>(dest.depth() / 8);
    const std::size_t rowBytes = bytesPerPixel * static_cast<std::size_t>(w);
    const std::size_t destOffset = bytesPerPixel * static_cast<std::size_t>(x);
    const std::size_t fromOffset = bytesPerPixel * static_cast<std::size_t>(origin.x());
    for (int row = 0; row < h; ++row) {
        std::memcpy(dest.scanLine(y + row) + destOffset,
                    from->constScanLine(origin.y() + row) + fromOffset, rowBytes);
    }
}

}  // namespace trq::skinui
