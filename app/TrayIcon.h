#pragma once

// The icon in the notification area and its two-entry menu, drawn as a CTrqMenu in the
// language's texts.

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <cstdint>

#include "skin/ui/CTrqMenu.h"

namespace trq::app {

class TrayIcon : public QObject {
    Q_OBJECT

  public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Rebuilds the menu in the language (0 Chinese, anything else English).
    void LoadMenu(std::uint8_t language);
    // Shows the icon; again after it vanished, harmless while it shows.
    void Add();
    void Remove();
    bool Shown() const;

    // Whether the desktop has a notification area to put the icon in now.
    static bool TrayAvailable();

    skinui::CTrqMenu* Menu() const { return menu_; }
    // The program's icon, shown here and by the window.
    QIcon Icon() const { return icon_.icon(); }

  signals:
    void commandChosen(int id);  // an entry of the menu
    void doubleClicked();

  private:
    QSystemTrayIcon icon_;
    QPointer<skinui::CTrqMenu> menu_;
};

}  // namespace trq::app
