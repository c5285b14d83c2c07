#include "skin/ui/CTrqMenu.h"

#include <QAction>
#include <QPainter>
#include <QPolygon>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace trq::skinui {

namespace {

constexpr int kTextRightRoom = 4;
constexpr int kArrowRoom = 12;  // the submenu arrow right of the text

// Trailing blanks in a text (some entries have them) leave no ink to make room for.
QString WithoutTrailingBlanks(const std::string& text) {
    QString q = QString::fromStdString(text);
    while (!q.isEmpty() && q.back().isSpace())
        q.chop(1);
    return q;
}

QColor ToQColor(skin::MenuRgb c) {
    return QColor(c.r, c.g, c.b);
}

// QAction text treats '&' as a mnemonic marker; entries show their text literally.
QString EscapeMnemonics(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

QString UnescapeMnemonics(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
        plain.append(text[i]);
    }
    return plain;
}

skin::MenuEntry EntryOfOption(const QStyleOptionMenuItem& option) {
    skin::MenuEntry entry;
    entry.text = UnescapeMnemonics(option.text).toStdString();
    switch (option.menuItemType) {
        case QStyleOptionMenuItem::Separator:
            entry.id = skin::kMenuSeparatorId;
            break;
        case QStyleOptionMenuItem::SubMenu:
            entry.id = skin::kMenuSubmenuId;
            break;
        default:
            entry.id = 1;  // any command: the drawing does not depend on which
            break;
    }
    return entry;
}

// Sizes and draws every menu entry the owner-drawn way; the rest of the look is the
// application's style. No margins or frame, so entries cover the whole menu.
class TrqMenuStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_MenuPanelWidth:
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuDesktopFrameWidth:
                return 0;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || item == nullptr) {
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        }
        const skin::MenuEntry entry = EntryOfOption(*item);
        const skin::MenuItemSize measured = skin::MeasureMenuEntry(entry);
        if (entry.id == skin::kMenuSeparatorId) {
            // A menu leaves out entries of zero width; a separator without text still shows.
            return {std::max(measured.width, 1), measured.height};
        }
        // Eight pixels per character is narrower than some texts in the menu's font (Chinese
        // ones in particular): widen rather than cut the text off.
        const int needed = skin::kMenuTextLeft +
                           item->fontMetrics.horizontalAdvance(WithoutTrailingBlanks(entry.text)) +
                           kTextRightRoom + (entry.id == skin::kMenuSubmenuId ? kArrowRoom : 0);
        return {std::max(measured.width, needed), measured.height};
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuItem && item != nullptr) {
            DrawMenuEntry(*painter, item->rect, EntryOfOption(*item),
                          (item->state & State_Selected) != 0);
            return;
        }
        if (element == CE_MenuEmptyArea) {
            painter->fillRect(option->rect, ToQColor(skin::kMenuFillColor));
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelMenu) {
            painter->fillRect(option->rect, ToQColor(skin::kMenuFillColor));
            return;
        }
        if (element == PE_FrameMenu) return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

// One style serves every menu, for the life of the process: a widget does not own its
// style, and menus may outlive one another in any order.
QStyle* SharedMenuStyle() {
    static QStyle* const style = new TrqMenuStyle;
    return style;
}

constexpr const char* kEntryIdProperty = "trqMenuEntryId";

}  // namespace

void DrawMenuEntry(QPainter& painter, const QRect& item, const skin::MenuEntry& entry,
                   bool selected) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::NoBrush);

    if (entry.id == skin::kMenuSeparatorId) {
        const skin::SkinRect r{item.x(), item.y(), item.width(), item.height()};
        for (const skin::MenuFill& fill : skin::SeparatorFrame(r)) {
            painter.fillRect(QRect(fill.area.x, fill.area.y, fill.area.width, fill.area.height),
                             ToQColor(fill.color));
        }
        painter.restore();
        return;
    }

    if (selected) {
        // One-pixel frame on the entry's border, the gradient inside it.
        const QColor frame = ToQColor(skin::kMenuFrameColor);
        painter.fillRect(QRect(item.left(), item.top(), item.width(), 1), frame);
        painter.fillRect(QRect(item.left(), item.bottom(), item.width(), 1), frame);
        painter.fillRect(QRect(item.left(), item.top(), 1, item.height()), frame);
        painter.fillRect(QRect(item.right(), item.top(), 1, item.height()), frame);
        const QRect inner = item.adjusted(1, 1, -1, -1);
        const std::vector<skin::MenuRgb> rows = skin::MenuGradientRows(inner.height());
        for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
            painter.fillRect(QRect(inner.left(), inner.top() + row, inner.width(), 1),
                             ToQColor(rows[static_cast<std::size_t>(row)]));
        }
    } else {
        painter.fillRect(item, ToQColor(skin::kMenuFillColor));
    }

    painter.setPen(ToQColor(skin::kMenuTextColor));
    painter.drawText(item.adjusted(skin::kMenuTextLeft, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(entry.text));

    if (entry.id == skin::kMenuSubmenuId) {
        // Tells the user the entry opens more entries, as the system's menus do.
        const int cx = item.right() - 8;
        const int cy = item.top() + item.height() / 2;
        painter.setPen(Qt::NoPen);
        painter.setBrush(ToQColor(skin::kMenuTextColor));
        painter.drawPolygon(QPolygon({QPoint(cx, cy - 4), QPoint(cx + 4, cy), QPoint(cx, cy + 4)}));
    }
    painter.restore();
}

CTrqMenu::CTrqMenu(QWidget* parent) : QMenu(parent) {
    setStyle(SharedMenuStyle());
    // Separators show wherever they are placed, as in the menu descriptions.
    setSeparatorsCollapsible(false);
    connect(this, &QMenu::triggered, this, [this](QAction* action) {
        const skin::MenuEntry entry = EntryOf(*action);
        if (entry.id != skin::kMenuSeparatorId && entry.id != skin::kMenuSubmenuId) {
            emit commandChosen(entry.id);
        }
    });
}

CTrqMenu::~CTrqMenu() = default;

QAction* CTrqMenu::AddEntry(const skin::MenuEntry& entry) {
    if (entry.id == skin::kMenuSeparatorId) {
        QAction* separator = addSeparator();
        separator->setText(EscapeMnemonics(QString::fromStdString(entry.text)));
        return separator;
    }
    QAction* action = addAction(EscapeMnemonics(QString::fromStdString(entry.text)));
    action->setProperty(kEntryIdProperty, entry.id);
    return action;
}

CTrqMenu* CTrqMenu::AddSubmenu(const std::string& text) {
    auto* submenu = new CTrqMenu(this);
    submenu->setTitle(EscapeMnemonics(QString::fromStdString(text)));
    QAction* action = addMenu(submenu);
    action->setProperty(kEntryIdProperty, skin::kMenuSubmenuId);
    return submenu;
}

void CTrqMenu::AddEntries(std::span<const MenuNode> nodes) {
    for (const MenuNode& node : nodes) {
        if (node.children.empty() && node.entry.id != skin::kMenuSubmenuId) {
            AddEntry(node.entry);
        } else {
            AddSubmenu(node.entry.text)->AddEntries(node.children);
        }
    }
}

void CTrqMenu::AddEntries(std::span<const skin::MenuEntry> entries) {
    for (const skin::MenuEntry& entry : entries) {
        if (entry.id == skin::kMenuSubmenuId) {
            AddSubmenu(entry.text);
        } else {
            AddEntry(entry);
        }
    }
}

skin::MenuEntry CTrqMenu::EntryOf(const QAction& action) {
    skin::MenuEntry entry;
    entry.text = UnescapeMnemonics(action.text()).toStdString();
    if (action.isSeparator()) {
        entry.id = skin::kMenuSeparatorId;
    } else if (action.menu() != nullptr) {
        entry.id = skin::kMenuSubmenuId;
    } else {
        const QVariant id = action.property(kEntryIdProperty);
        entry.id = id.isValid() ? id.toInt() : skin::kMenuSeparatorId;
    }
    return entry;
}

CTrqMenu* BuildTrqMenu(std::span<const skin::MenuEntry> entries, QWidget* parent) {
    auto* menu = new CTrqMenu(parent);
    menu->AddEntries(entries);
    return menu;
}

CTrqMenu* BuildTrqMenu(std::span<const MenuNode> nodes, QWidget* parent) {
    auto* menu = new CTrqMenu(parent);
    menu->AddEntries(nodes);
    return menu;
}

}  // namespace trq::skinui
