#include "app/TrayIcon.h"

#include "app/AppIcon.h"
#include "app/WindowCommands.h"
#include "base/Messages.h"
#include "skin/ui/CTrqMenu.h"

namespace trq::app {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
    icon_.setIcon(AppIcon());
    icon_.setToolTip(QString::fromUtf8(base::kWindowTitle.data(),
                                       static_cast<qsizetype>(base::kWindowTitle.size())));
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick) emit doubleClicked();
    });
}

TrayIcon::~TrayIcon() {
    icon_.setContextMenu(nullptr);
    delete menu_;
}

void TrayIcon::LoadMenu(std::uint8_t language) {
    const auto entries = TrayMenuEntries(language);
    skinui::CTrqMenu* menu = skinui::BuildTrqMenu(std::span<const skin::MenuEntry>(entries));
    connect(menu, &skinui::CTrqMenu::commandChosen, this, &TrayIcon::commandChosen);
    icon_.setContextMenu(menu);
    // The old menu may be the one just used to choose a command: let it finish first.
    if (menu_) menu_->deleteLater();
    menu_ = menu;
}

void TrayIcon::Add() {
    icon_.show();
}

void TrayIcon::Remove() {
    icon_.hide();
}

bool TrayIcon::Shown() const {
    return icon_.isVisible();
}

bool TrayIcon::TrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}  // namespace trq::app
