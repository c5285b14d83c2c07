#pragma once

// The program's owner-drawn pop-up menu (tray menu, step-list context menu): entries 20
// pixels high and 8 pixels wide per character, a blue-to-cyan gradient under the selected
// entry, teal under the others, white text, and a red and blue separator line. Looks come
// from skin/MenuLook.h; this class draws them on a QMenu.

#include <QMenu>
#include <span>
#include <string>
#include <vector>

#include "skin/MenuLook.h"

class QAction;
class QPainter;

namespace trq::skinui {

// One entry of a menu description; an entry with children (whatever its id) opens them as a
// submenu.
struct MenuNode {
    skin::MenuEntry entry;
    std::vector<MenuNode> children = {};
};

class CTrqMenu : public QMenu {
    Q_OBJECT

  public:
    explicit CTrqMenu(QWidget* parent = nullptr);
    ~CTrqMenu() override;

    // Appends an entry: id 0 a separator, any other id a command entry (for -1 use
    // AddSubmenu). The text is shown exactly as given, '&' included.
    QAction* AddEntry(const skin::MenuEntry& entry);
    // Appends an entry that opens a new, empty submenu owned by this menu.
    CTrqMenu* AddSubmenu(const std::string& text);
    // Appends the described entries in order, submenus included.
    void AddEntries(std::span<const MenuNode> nodes);
    void AddEntries(std::span<const skin::MenuEntry> entries);

    // The entry an action of any CTrqMenu stands for: its text and id (-1 for a submenu
    // entry). An action not made by a CTrqMenu gives an entry with id 0 and its own text.
    static skin::MenuEntry EntryOf(const QAction& action);

  signals:
    // A command entry was chosen, in this menu or any of its submenus (the top menu is told
    // about every entry below it).
    void commandChosen(int id);
};

// Builds a menu of the described entries, e.g. the tray menu:
//   BuildTrqMenu({{"Show Window", 32801}, {"Exit Driver", 32800}}, window)
// The parent owns it (or the caller, when parent is null).
CTrqMenu* BuildTrqMenu(std::span<const skin::MenuEntry> entries, QWidget* parent = nullptr);
CTrqMenu* BuildTrqMenu(std::span<const MenuNode> nodes, QWidget* parent = nullptr);
inline CTrqMenu* BuildTrqMenu(std::initializer_list<skin::MenuEntry> entries,
                              QWidget* parent = nullptr) {
    return BuildTrqMenu(std::span<const skin::MenuEntry>(entries.begin(), entries.size()), parent);
}

// Draws one entry in rectangle `item`: what the menu paints, open for tests and for other
// owner-drawn lists. The font is the painter's.
void DrawMenuEntry(QPainter& painter, const QRect& item, const skin::MenuEntry& entry,
                   bool selected);

}  // namespace trq::skinui
