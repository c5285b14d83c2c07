#pragma once

// How the default skin looks: the look of every item style in its three states, the
// decorations, the window outlines and the mouse drawing. Used by the skin generator.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include "tools/MakeSkinDesign.h"

namespace trq::skintool {

enum class ItemState { Normal, Over, Down };

// What the Color page's LED preview shows in each of its pictures.
enum class LedColor { Pink, Red, Purple, Gray, Blue };

// Everything an item's look may depend on besides its own entry.
struct ItemContext {
    int dpiLevel = -1;  // 0..3 for DPI bars and selectors
    int slot = -1;      // 0..6 for the mouse buttons (hint areas)
    QRectF mouse;       // the mouse drawing, for the two main buttons
    LedColor led = LedColor::Pink;
};

QColor LedQColor(LedColor led);
QColor DpiLevelColor(int level);

// The main window's irregular outline inside `window`, and the warning dialog's.
QPainterPath MainWindowOutline(const QRectF& window);
QPainterPath WarningOutline(const QRectF& window);

// The window background (outline filled, border, header and footer bands where given).
void DrawWindowBackground(QPainter& p, const QPainterPath& outline, const QRectF& header,
                          const QRectF& footer);

// A mask: the outline's pixels pure black, everything else pure white, no smoothing, so that
// JPEG noise never moves a pixel across the light threshold.
QImage DrawMask(const QSize& size, const QPainterPath& outline);

// The top view of the mouse's body inside `r`.
QPainterPath MouseBody(const QRectF& r);

void DrawItem(QPainter& p, const DesignItem& item, ItemState state, const ItemContext& context);

// One decoration of the main, page or warning layout ("panel", "logo", "mouse", "badge",
// "legend", "alert"; "window" and "scale" are drawn by the caller).
void DrawDecor(QPainter& p, const DesignItem& decor);

// A line from a button slot to the mouse button it stands for.
void DrawLeader(QPainter& p, const QRectF& slot, const QRectF& button);

// A caption in the decoration font, centred in `r`.
void DrawDecorText(QPainter& p, const QRectF& r, const QString& text, int pixelSize, bool bold,
                   const QColor& color);

// A function-menu picture: `rows` rows of kMenuRowHeight, plus one line below the last.
// Rows given in `arrowRows` (counted from 1) open a sub-menu and show an arrow.
QImage DrawMenu(int width, int rows, ItemState state, int firstArrowRow, int lastArrowRow);

}  // namespace trq::skintool
