#include "tools/MakeSkinLooks.h"

#include <QFont>
#include <QLinearGradient>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace trq::skintool {

namespace {

// Dark surfaces, one accent.
const QColor kOutside{8, 9, 12};
const QColor kBackTop{22, 25, 31};
const QColor kBackBottom{14, 16, 20};
const QColor kBand{26, 30, 37};
const QColor kBandLine{40, 46, 56};
const QColor kPanel{20, 23, 29};
const QColor kPanelLine{38, 43, 52};
const QColor kControl{31, 36, 44};
const QColor kControlLow{25, 29, 36};
const QColor kControlLine{56, 63, 75};
const QColor kWell{10, 12, 15};
const QColor kDim{125, 133, 148};
const QColor kAccent{24, 200, 255};
const QColor kAccentDeep{12, 86, 110};
const QColor kAccentDeeper{9, 64, 82};
const QColor kAlert{255, 84, 72};

QColor Alpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

QRectF Inset(const QRectF& r, double d) {
    return r.adjusted(d, d, -d, -d);
}

// Areas cover x .. x + width - 1: strokes of width 1 run through the pixel centres.
QRectF Frame(const skin::SkinRect& a) {
    return QRectF(a.x + 0.5, a.y + 0.5, a.width - 1.0, a.height - 1.0);
}

QRectF Area(const skin::SkinRect& a) {
    return QRectF(a.x, a.y, a.width, a.height);
}

QFont DecorFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void RoundedBox(QPainter& p, const QRectF& r, double radius, const QColor& top,
                const QColor& bottom, const QColor& line) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(line, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

// Push buttons and options: idle, lit edge when hovered, accent fill when pressed or chosen.
void DrawButton(QPainter& p, const DesignItem& item, ItemState state, bool option) {
    const QRectF r = Frame(item.area);
    switch (state) {
        case ItemState::Normal:
            RoundedBox(p, r, 4, kControl, kControlLow, kControlLine);
            break;
        case ItemState::Over:
            RoundedBox(p, r, 4, QColor(34, 48, 58), QColor(27, 38, 47), kAccent);
            break;
        case ItemState::Down:
            RoundedBox(p, r, 4, kAccentDeep, kAccentDeeper, kAccent);
            if (option) {
                p.setPen(Qt::NoPen);
                p.setBrush(kAccent);
                const double w = std::min(24.0, r.width() - 8);
                p.drawRoundedRect(QRectF(r.center().x() - w / 2, r.bottom() - 3, w, 2), 1, 1);
            }
            break;
    }
}

// The warning dialog writes its texts in red: its buttons stay near black so red reads well.
void DrawDialogButton(QPainter& p, const DesignItem& item, ItemState state) {
    const QRectF r = Frame(item.area);
    if (state == ItemState::Normal) {
        RoundedBox(p, r, 4, QColor(16, 18, 23), QColor(12, 14, 18), QColor(86, 94, 108));
    } else {
        RoundedBox(p, r, 4, QColor(18, 28, 35), QColor(14, 22, 28), kAccent);
    }
}

void DrawTab(QPainter& p, const DesignItem& item, ItemState state) {
    const QRectF r = Frame(item.area);
    if (state == ItemState::Normal) return;
    p.setPen(Qt::NoPen);
    p.setBrush(state == ItemState::Over ? Alpha(kAccent, 28) : Alpha(kAccent, 48));
    p.drawRoundedRect(r, 4, 4);
    p.setBrush(kAccent);
    const double w = state == ItemState::Over ? r.width() - 36 : r.width() - 12;
    p.drawRoundedRect(QRectF(r.center().x() - w / 2, r.bottom() - 2.5, w, 3), 1.5, 1.5);
}

void DrawLink(QPainter& p, const DesignItem& item, ItemState state) {
    if (state == ItemState::Normal) return;
    const QRectF r = Frame(item.area);
    p.setPen(QPen(state == ItemState::Over ? kAccent : kAccentDeep, 1));
    p.drawLine(QPointF(r.left() + 6, r.bottom() - 3), QPointF(r.right() - 6, r.bottom() - 3));
}

void DrawHeading(QPainter& p, const DesignItem& item) {
    const QRectF r = Frame(item.area);
    p.setPen(QPen(kPanelLine, 1));
    p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRect(QRectF(r.center().x() - 20, r.bottom() - 1, 40, 2));
}

void DrawWindowButton(QPainter& p, const DesignItem& item, ItemState state, bool close) {
    const QRectF r = Frame(item.area);
    QColor glyph = kDim;
    if (state != ItemState::Normal) {
        const QColor fill =
            close ? (state == ItemState::Over ? QColor(196, 43, 43) : QColor(140, 28, 28))
                  : (state == ItemState::Over ? QColor(44, 52, 64) : kAccentDeep);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(r, 3, 3);
        glyph = Qt::white;
    }
    p.setPen(QPen(glyph, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QRectF g = Inset(r, r.width() * 0.3);
    if (close) {
        p.drawLine(g.topLeft(), g.bottomRight());
        p.drawLine(g.topRight(), g.bottomLeft());
    } else {
        p.drawLine(QPointF(g.left(), g.bottom()), QPointF(g.right(), g.bottom()));
    }
}

void DrawChevron(QPainter& p, QPointF centre, double size, const QColor& color, bool down) {
    p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPolygonF chevron;
    if (down) {
        chevron << centre + QPointF(-size, -size / 2) << centre + QPointF(0, size / 2)
                << centre + QPointF(size, -size / 2);
    } else {
        chevron << centre + QPointF(-size / 2, -size) << centre + QPointF(size / 2, 0)
                << centre + QPointF(-size / 2, size);
    }
    p.drawPolyline(chevron);
}

void DrawSlot(QPainter& p, const DesignItem& item, ItemState state) {
    const QRectF r = Frame(item.area);
    QColor line = kControlLine;
    QColor top = QColor(17, 20, 25);
    QColor bottom = QColor(15, 18, 22);
    QColor chevron = kDim;
    if (state == ItemState::Over) {
        line = kAccent;
        top = QColor(24, 33, 41);
        bottom = QColor(20, 28, 35);
        chevron = kAccent;
    } else if (state == ItemState::Down) {
        line = kAccent;
        top = kAccentDeep;
        bottom = kAccentDeeper;
        chevron = Qt::white;
    }
    RoundedBox(p, r, 4, top, bottom, line);
    p.setPen(QPen(state == ItemState::Normal ? kControlLine : Alpha(kAccent, 120), 1));
    const double divider = r.right() - 22;
    p.drawLine(QPointF(divider, r.top() + 5), QPointF(divider, r.bottom() - 5));
    DrawChevron(p, QPointF(r.right() - 11, r.center().y()), 4, chevron, true);
}

void DrawCheck(QPainter& p, const DesignItem& item, ItemState state) {
    const QRectF r = Frame(item.area);
    if (state == ItemState::Down) {
        RoundedBox(p, r, 4, kAccent, QColor(18, 170, 220), kAccent);
        p.setPen(QPen(QColor(8, 20, 26), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPolygonF tick;
        tick << QPointF(r.left() + r.width() * 0.24, r.top() + r.height() * 0.52)
             << QPointF(r.left() + r.width() * 0.43, r.top() + r.height() * 0.72)
             << QPointF(r.left() + r.width() * 0.78, r.top() + r.height() * 0.30);
        p.drawPolyline(tick);
        return;
    }
    RoundedBox(p, r, 4, QColor(17, 20, 25), QColor(15, 18, 22),
               state == ItemState::Over ? kAccent : QColor(74, 83, 98));
}

void DrawRadio(QPainter& p, const DesignItem& item, ItemState state, int level) {
    const QRectF r = Inset(Frame(item.area), 1.5);
    const QColor color = DpiLevelColor(level);
    p.setBrush(QColor(15, 18, 22));
    p.setPen(QPen(state == ItemState::Normal ? Alpha(color, 150) : color,
                  state == ItemState::Normal ? 1.5 : 2.2));
    p.drawEllipse(r);
    if (state == ItemState::Down) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(Inset(r, r.width() * 0.24));
    } else if (state == ItemState::Over) {
        p.setPen(Qt::NoPen);
        p.setBrush(Alpha(color, 70));
        p.drawEllipse(Inset(r, r.width() * 0.24));
    }
}

// The program fills x + 1 .. x + width - 2 and y + 1 .. y + height - 1 of a chosen segment,
// so the frame's left, right and top lines and its bottom row stay the picture's.
void DrawBar(QPainter& p, const DesignItem& item, ItemState state, int level) {
    const QRectF r = Frame(item.area);
    const QColor color = DpiLevelColor(level);
    p.setPen(Qt::NoPen);
    p.setBrush(state == ItemState::Normal ? QColor(17, 20, 26) : Alpha(color, 60));
    p.drawRect(Area(item.area));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(state == ItemState::Normal ? Alpha(color, 110) : color, 1));
    p.drawRect(r);
}

void DrawTrack(QPainter& p, const DesignItem& item, ItemState state) {
    const QRectF r = Frame(item.area);
    const double radius = r.height() / 2;
    if (state == ItemState::Down) {
        QLinearGradient fill(r.topLeft(), r.topRight());
        fill.setColorAt(0, kAccentDeep);
        fill.setColorAt(1, kAccent);
        p.setBrush(fill);
        p.setPen(QPen(kAccent, 1));
        p.drawRoundedRect(r, radius, radius);
        return;
    }
    p.setBrush(kWell);
    p.setPen(QPen(state == ItemState::Over ? kAccent : kControlLine, 1));
    p.drawRoundedRect(r, radius, radius);
    // Tick marks every 50 ms help reading the value.
    p.setPen(QPen(QColor(46, 52, 62), 1));
    for (int i = 1; i < 6; ++i) {
        const double x = std::floor(r.left() + r.width() * i / 6.0) + 0.5;
        p.drawLine(QPointF(x, r.top() + 4), QPointF(x, r.bottom() - 4));
    }
}

void DrawValue(QPainter& p, const DesignItem& item) {
    RoundedBox(p, Frame(item.area), 4, kWell, kWell, QColor(44, 50, 61));
}

// Child controls cover their area with a black background: frame it from outside.
void DrawControlFrame(QPainter& p, const DesignItem& item) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(Area(item.area));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kControlLine, 1));
    p.drawRect(Frame(item.area).adjusted(-1, -1, 1, 1));
}

QPainterPath HintShape(const DesignItem& item, const ItemContext& context) {
    const QRectF r = Inset(Area(item.area), 1.5);
    QPainterPath shape;
    if (item.style == "hintshell" && !context.mouse.isEmpty()) {
        QPainterPath box;
        box.addRoundedRect(r, 6, 6);
        shape = MouseBody(Inset(context.mouse, 1.5)).intersected(box);
    } else {
        const double radius = std::min(r.width(), r.height()) * 0.4;
        shape.addRoundedRect(r, radius, radius);
    }
    return shape;
}

void DrawHint(QPainter& p, const DesignItem& item, ItemState state, const ItemContext& context) {
    const QPainterPath shape = HintShape(item, context);
    const QRectF box = shape.boundingRect();
    QColor number = QColor(120, 129, 145);
    if (state == ItemState::Normal) {
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0, QColor(40, 46, 56));
        fill.setColorAt(1, QColor(30, 35, 43));
        p.setBrush(fill);
        p.setPen(QPen(QColor(66, 74, 88), 1));
    } else {
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0, state == ItemState::Over ? kAccent : QColor(18, 160, 205));
        fill.setColorAt(1, state == ItemState::Over ? QColor(14, 140, 185) : kAccentDeep);
        p.setBrush(fill);
        p.setPen(QPen(QColor(160, 235, 255), 1));
        number = QColor(6, 22, 30);
    }
    p.drawPath(shape);
    if (context.slot >= 0) {
        const int size = box.width() < 20 ? 10 : 14;
        DrawDecorText(p, box, QString::number(context.slot + 1), size, true, number);
    }
}

void DrawPreview(QPainter& p, const DesignItem& item, const ItemContext& context) {
    const QRectF area = Area(item.area);
    const QColor led = LedQColor(context.led);
    const bool off = context.led == LedColor::Gray;
    // The program copies exactly this area between the pictures: nothing may spill out.
    p.setClipRect(area);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(12, 14, 18));
    p.drawRoundedRect(Inset(area, 4), 8, 8);

    const double width = std::min(area.width() - 40, (area.height() - 40) * 0.68);
    const double height = width / 0.68;
    const QRectF body(area.center().x() - width / 2, area.center().y() - height / 2, width, height);
    if (!off) {
        QRadialGradient glow(body.center(), height * 0.62);
        glow.setColorAt(0, Alpha(led, 110));
        glow.setColorAt(0.55, Alpha(led, 45));
        glow.setColorAt(1, Alpha(led, 0));
        p.setBrush(glow);
        p.drawEllipse(body.center(), width * 0.9, height * 0.62);
    }
    const QPainterPath shape = MouseBody(body);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, QColor(42, 47, 56));
    fill.setColorAt(1, QColor(22, 25, 31));
    p.setBrush(fill);
    p.setPen(QPen(off ? QColor(70, 76, 88) : led, 2));
    p.drawPath(shape);

    // Button split, wheel, logo and the two light strips along the sides.
    const auto at = [&](double u, double v) {
        return QPointF(body.left() + u * body.width(), body.top() + v * body.height());
    };
    p.setPen(QPen(QColor(12, 14, 18), 2));
    p.drawLine(at(0.5, 0.02), at(0.5, 0.40));
    p.drawLine(at(0.03, 0.40), at(0.97, 0.40));
    const QColor lit = off ? QColor(58, 63, 72) : led;
    p.setPen(Qt::NoPen);
    p.setBrush(lit);
    p.drawRoundedRect(QRectF(at(0.45, 0.09), at(0.55, 0.25)), 5, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(lit, 3));
    const double logo = 0.24 * body.width();
    p.drawEllipse(QRectF(at(0.5, 0.70) - QPointF(logo / 2, logo / 2), QSizeF(logo, logo)));
    p.setPen(QPen(lit, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(0.10, 0.50), at(0.12, 0.82));
    p.drawLine(at(0.90, 0.50), at(0.88, 0.82));
}

}  // namespace

QColor LedQColor(LedColor led) {
    switch (led) {
        case LedColor::Pink:
            return QColor(255, 70, 200);
        case LedColor::Red:
            return QColor(255, 48, 48);
        case LedColor::Purple:
            return QColor(150, 70, 255);
        case LedColor::Gray:
            return QColor(90, 95, 104);
        case LedColor::Blue:
            return QColor(40, 100, 255);
    }
    return Qt::gray;
}

// Lighter relatives of the program's bar colours (blue, magenta, red, violet), so the frames
// read on the dark ground; the program fills the bars with the pure colours.
QColor DpiLevelColor(int level) {
    switch (level) {
        case 0:
            return QColor(60, 110, 255);
        case 1:
            return QColor(255, 60, 255);
        case 2:
            return QColor(255, 60, 60);
        case 3:
            return QColor(150, 70, 255);
        default:
            return kAccent;
    }
}

QPainterPath MainWindowOutline(const QRectF& w) {
    const double l = w.left(), t = w.top(), r = w.right() + 1, b = w.bottom() + 1;
    const double cx = w.center().x() + 0.5;
    const double notchHalf = w.width() * 0.1875;  // raised part behind the page tabs
    const double c = 24;                          // corner cut
    const double sideTop = t + w.height() * 0.485, sideBottom = t + w.height() * 0.69;
    QPolygonF outline;
    outline << QPointF(l + c, t + 10) << QPointF(cx - notchHalf - 12, t + 10)
            << QPointF(cx - notchHalf, t) << QPointF(cx + notchHalf, t)
            << QPointF(cx + notchHalf + 12, t + 10) << QPointF(r - c, t + 10)
            << QPointF(r, t + 10 + c) << QPointF(r, sideTop) << QPointF(r - 8, sideTop + 8)
            << QPointF(r - 8, sideBottom - 8) << QPointF(r, sideBottom) << QPointF(r, b - c)
            << QPointF(r - c, b) << QPointF(cx + notchHalf + 12, b)
            << QPointF(cx + notchHalf, b - 10) << QPointF(cx - notchHalf, b - 10)
            << QPointF(cx - notchHalf - 12, b) << QPointF(l + c, b) << QPointF(l, b - c)
            << QPointF(l, sideBottom) << QPointF(l + 8, sideBottom - 8)
            << QPointF(l + 8, sideTop + 8) << QPointF(l, sideTop) << QPointF(l, t + 10 + c);
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

QPainterPath WarningOutline(const QRectF& w) {
    const double l = w.left(), t = w.top(), r = w.right() + 1, b = w.bottom() + 1;
    const double c = 16;
    const double cx = w.center().x() + 0.5;
    QPolygonF outline;
    outline << QPointF(l + c, t) << QPointF(r - c, t) << QPointF(r, t + c) << QPointF(r, b - c)
            << QPointF(r - c, b) << QPointF(cx + 90, b) << QPointF(cx + 82, b - 6)
            << QPointF(cx - 82, b - 6) << QPointF(cx - 90, b) << QPointF(l + c, b)
            << QPointF(l, b - c) << QPointF(l, t + c);
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

void DrawWindowBackground(QPainter& p, const QPainterPath& outline, const QRectF& header,
                          const QRectF& footer) {
    const QRectF box = outline.boundingRect();
    p.fillRect(box, kOutside);
    p.save();
    p.setClipPath(outline);
    QLinearGradient back(box.topLeft(), box.bottomLeft());
    back.setColorAt(0, kBackTop);
    back.setColorAt(1, kBackBottom);
    p.fillRect(box, back);
    for (const QRectF& band : {header, footer}) {
        if (band.isEmpty()) continue;
        p.fillRect(band, kBand);
        p.setPen(QPen(kBandLine, 1));
        const double y = band.top() < box.center().y() ? band.bottom() - 0.5 : band.top() + 0.5;
        p.drawLine(QPointF(band.left(), y), QPointF(band.right(), y));
    }
    p.restore();
    // Half of the stroke falls outside the shape and is cut away with it.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Alpha(kAccent, 200), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPath(outline);
}

QImage DrawMask(const QSize& size, const QPainterPath& outline) {
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(outline);
    return mask;
}

QPainterPath MouseBody(const QRectF& r) {
    const auto at = [&](double u, double v) {
        return QPointF(r.left() + u * r.width(), r.top() + v * r.height());
    };
    QPainterPath path(at(0.5, 0));
    path.cubicTo(at(0.80, 0.0), at(1.0, 0.10), at(1.0, 0.32));
    path.cubicTo(at(1.0, 0.48), at(0.93, 0.56), at(0.94, 0.70));
    path.cubicTo(at(0.96, 0.90), at(0.78, 1.0), at(0.5, 1.0));
    path.cubicTo(at(0.22, 1.0), at(0.04, 0.90), at(0.06, 0.70));
    path.cubicTo(at(0.07, 0.56), at(0.0, 0.48), at(0.0, 0.32));
    path.cubicTo(at(0.0, 0.10), at(0.20, 0.0), at(0.5, 0.0));
    return path;
}

void DrawItem(QPainter& p, const DesignItem& item, ItemState state, const ItemContext& context) {
    p.save();
    const std::string& s = item.style;
    if (s == "button") {
        DrawButton(p, item, state, false);
    } else if (s == "toggle") {
        DrawButton(p, item, state, true);
    } else if (s == "dialogbutton") {
        DrawDialogButton(p, item, state);
    } else if (s == "tab") {
        DrawTab(p, item, state);
    } else if (s == "link") {
        DrawLink(p, item, state);
    } else if (s == "heading") {
        DrawHeading(p, item);
    } else if (s == "minimise" || s == "close") {
        DrawWindowButton(p, item, state, s == "close");
    } else if (s == "slot") {
        DrawSlot(p, item, state);
    } else if (s == "check") {
        DrawCheck(p, item, state);
    } else if (s == "radio") {
        DrawRadio(p, item, state, context.dpiLevel);
    } else if (s == "bar") {
        DrawBar(p, item, state, context.dpiLevel);
    } else if (s == "track") {
        DrawTrack(p, item, state);
    } else if (s == "value") {
        DrawValue(p, item);
    } else if (s == "edit" || s == "list") {
        DrawControlFrame(p, item);
    } else if (s == "hint" || s == "hintshell") {
        DrawHint(p, item, state, context);
    } else if (s == "preview") {
        DrawPreview(p, item, context);
    }
    // "label" and "message": the program's text alone.
    p.restore();
}

void DrawDecorText(QPainter& p, const QRectF& r, const QString& text, int pixelSize, bool bold,
                   const QColor& color) {
    p.save();
    p.setFont(DecorFont(pixelSize, bold));
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
    p.restore();
}

void DrawDecor(QPainter& p, const DesignItem& decor) {
    p.save();
    const QRectF r = Frame(decor.area);
    if (decor.style == "panel") {
        RoundedBox(p, r, 6, kPanel, QColor(17, 20, 25), kPanelLine);
    } else if (decor.style == "logo") {
        p.setFont(DecorFont(22, true));
        p.setPen(Qt::white);
        const QRectF name(r.left(), r.top(), 104, r.height());
        p.drawText(name, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ZQ-K770"));
        QFont small = DecorFont(10, true);
        small.setLetterSpacing(QFont::AbsoluteSpacing, 2);
        p.setFont(small);
        p.setPen(kAccent);
        p.drawText(QRectF(r.left() + 108, r.top(), r.width() - 108, r.height() / 2 + 2),
                   Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("GAMING"));
        p.drawText(QRectF(r.left() + 108, r.center().y(), r.width() - 108, r.height() / 2),
                   Qt::AlignLeft | Qt::AlignTop, QStringLiteral("MOUSE"));
    } else if (decor.style == "mouse") {
        const QRectF body = Area(decor.area);
        QRadialGradient shade(body.center() + QPointF(0, -body.height() * 0.1),
                              body.height() * 0.6);
        shade.setColorAt(0, QColor(44, 50, 60));
        shade.setColorAt(1, QColor(24, 27, 33));
        p.setBrush(shade);
        p.setPen(QPen(QColor(78, 87, 102), 1.5));
        p.drawPath(MouseBody(Inset(body, 1.5)));
        // The palm's accent line, a nod to the light strip of the real mouse.
        p.setPen(QPen(Alpha(kAccent, 140), 2, Qt::SolidLine, Qt::RoundCap));
        const auto at = [&](double u, double v) {
            return QPointF(body.left() + u * body.width(), body.top() + v * body.height());
        };
        p.drawLine(at(0.5, 0.58), at(0.5, 0.86));
        p.setPen(QPen(QColor(14, 16, 20), 3));
        p.drawLine(at(0.06, 0.46), at(0.94, 0.46));
    } else if (decor.style == "badge") {
        p.setBrush(QColor(30, 36, 45));
        p.setPen(QPen(kAccent, 1.2));
        p.drawEllipse(Inset(r, 0.5));
        DrawDecorText(p, r, QString::fromStdString(decor.text), 12, true, Qt::white);
    } else if (decor.style == "legend") {
        const double step = r.width() / 4;
        for (int level = 0; level < 4; ++level) {
            const QRectF cell(r.left() + level * step, r.top(), step, r.height());
            const double d = std::min(cell.height(), 20.0);
            const QRectF dot(cell.center().x() - d / 2, cell.center().y() - d / 2, d, d);
            p.setPen(Qt::NoPen);
            p.setBrush(DpiLevelColor(level));
            p.drawEllipse(dot);
            DrawDecorText(p, dot, QString::number(level + 1), 11, true, Qt::white);
        }
    } else if (decor.style == "alert") {
        QPolygonF triangle;
        triangle << QPointF(r.center().x(), r.top() + 2) << QPointF(r.right() - 1, r.bottom() - 2)
                 << QPointF(r.left() + 1, r.bottom() - 2);
        p.setPen(QPen(kAlert, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Alpha(kAlert, 40));
        p.drawPolygon(triangle);
        DrawDecorText(p, r.adjusted(0, 8, 0, 0), QStringLiteral("!"), 20, true, kAlert);
    }
    p.restore();
}

void DrawLeader(QPainter& p, const QRectF& slot, const QRectF& button) {
    const bool fromLeft = slot.center().x() < button.center().x();
    const QPointF start(fromLeft ? slot.right() + 2 : slot.left() - 2, slot.center().y());
    const QPointF elbow(start.x() + (fromLeft ? 8 : -8), start.y());
    // Ends on the button's edge facing the slot, level with the slot where it can, so the
    // button's number stays clear.
    const double y =
        std::clamp(slot.center().y(), button.top() + std::max(4.0, button.height() * 0.4),
                   button.bottom() - 4);
    const QPointF end(fromLeft ? button.left() + 2 : button.right() - 2, y);
    p.save();
    p.setPen(QPen(QColor(84, 94, 110), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{start, elbow, end});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 160, 178));
    p.drawEllipse(end, 2.2, 2.2);
    p.restore();
}

QImage DrawMenu(int width, int rows, ItemState state, int firstArrowRow, int lastArrowRow) {
    const int h = kMenuRowHeight;
    QImage image(width, rows * h + 1, QImage::Format_RGB32);
    image.fill(kPanelLine);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int row = 0; row < rows; ++row) {
        const QRectF band(0, row * h, width, h);
        QColor fill = QColor(22, 26, 32);
        if (state == ItemState::Over) fill = QColor(30, 44, 54);
        if (state == ItemState::Down) fill = kAccentDeep;
        p.fillRect(band.adjusted(1, 1, -1, 0), fill);
        if (state != ItemState::Normal) {
            p.fillRect(QRectF(1, row * h + 1, 3, h - 1), kAccent);
        }
        const int number = row + 1;
        if (number >= firstArrowRow && number <= lastArrowRow) {
            DrawChevron(p, QPointF(width - 14, row * h + h / 2.0), 4,
                        state == ItemState::Normal ? kDim : Qt::white, false);
        }
    }
    return image;
}

}  // namespace trq::skintool
