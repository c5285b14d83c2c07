#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace trq::app {
namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // The body: a rounded shell, teal with a cyan rim.
    const QRectF body(s * 0.22, s * 0.06, s * 0.56, s * 0.88);
    p.setPen(QPen(QColor(0, 255, 255), qMax(1.0, s / 24)));
    p.setBrush(QColor(0, 120, 153));
    p.drawRoundedRect(body, s * 0.28, s * 0.28);
    // The split between the two buttons and the wheel.
    p.setPen(QPen(QColor(0, 255, 255), qMax(1.0, s / 32)));
    p.drawLine(QPointF(s * 0.5, s * 0.06), QPointF(s * 0.5, s * 0.40));
    p.drawLine(QPointF(s * 0.22, s * 0.40), QPointF(s * 0.78, s * 0.40));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 0, 0));
    p.drawRoundedRect(QRectF(s * 0.45, s * 0.14, s * 0.10, s * 0.18), s * 0.05, s * 0.05);
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(DrawIcon(size));
    return icon;
}

}  // namespace trq::app
