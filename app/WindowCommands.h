#pragma once

// The entries of the tray menu and of the window menu in both languages, and what their
// commands do.

#include <array>
#include <cstdint>

#include "skin/MenuLook.h"

namespace trq::app {

inline constexpr std::int32_t kShowWindowEnglish = 32801;
inline constexpr std::int32_t kExitDriverEnglish = 32800;
inline constexpr std::int32_t kShowWindowChinese = 32837;
inline constexpr std::int32_t kExitDriverChinese = 32838;

// The window menu (right click or Alt+Space on the window): minimise, close (to the tray)
// and the about box.
inline constexpr std::int32_t kMinimiseCommand = 0xF020;
inline constexpr std::int32_t kCloseCommand = 0xF060;
inline constexpr std::int32_t kAboutCommand = 16;

enum class WindowCommand : std::uint8_t { None, ShowWindow, ExitDriver, Minimise, Close, About };

// Both languages' ids act the same whichever menu is loaded.
constexpr WindowCommand WindowCommandOf(std::int32_t id) {
    switch (id) {
        case kShowWindowEnglish:
        case kShowWindowChinese:
            return WindowCommand::ShowWindow;
        case kExitDriverEnglish:
        case kExitDriverChinese:
            return WindowCommand::ExitDriver;
        case kMinimiseCommand:
            return WindowCommand::Minimise;
        case kCloseCommand:
            return WindowCommand::Close;
        case kAboutCommand:
            return WindowCommand::About;
        default:
            return WindowCommand::None;
    }
}

// The tray menu of a language (0 Chinese, anything else English), in menu order. The
// Chinese "show" text carries three trailing blanks, as it always has.
inline std::array<skin::MenuEntry, 2> TrayMenuEntries(std::uint8_t language) {
    if (language != 0) {
        return {skin::MenuEntry{"Show Window", kShowWindowEnglish},
                skin::MenuEntry{"Exit Driver", kExitDriverEnglish}};
    }
    return {skin::MenuEntry{"显示窗口   ", kShowWindowChinese},
            skin::MenuEntry{"关闭驱动", kExitDriverChinese}};
}

// The window menu of a language; the about entry reads the same in both.
inline std::array<skin::MenuEntry, 4> WindowMenuEntries(std::uint8_t language) {
    const bool english = language != 0;
    return {skin::MenuEntry{english ? "Minimize" : "最小化", kMinimiseCommand},
            skin::MenuEntry{english ? "Close" : "关闭", kCloseCommand},
            skin::MenuEntry{"", skin::kMenuSeparatorId},
            skin::MenuEntry{"About TRQ_GMouse...", kAboutCommand}};
}

}  // namespace trq::app
