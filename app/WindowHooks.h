#pragma once

// The places where the window hands over to pieces that come later: the Advanced page's
// macro controls and actions, the button slots' function menus and the profile file
// dialogs. The window calls them at the moments the click rules name; until those pieces
// exist the defaults below do nothing, so the clicks are accepted and ignored.

#include <QPoint>
#include <cstdint>
#include <memory>

#include "skin/ClickDispatch.h"
#include "skin/SkinLayout.h"

class QWidget;

namespace trq::app {

// The macro page (Advanced page): its four child controls and the actions of advanced
// items 0..6.
class MacroPageHooks {
  public:
    virtual ~MacroPageHooks() = default;

    // Entering the Advanced page: make the repeat-count edit, the name edit, the macro name
    // list and the step list on the window, placed on the layouts' areas.
    virtual void CreateControls(QWidget& /*window*/, const skin::SkinLayouts& /*layouts*/) {}
    // Leaving it: destroy them (repeat count, name, name list, step list).
    virtual void DestroyControls() {}
    // Refill the name list from the user macros (entering the page, language switch, reset).
    virtual void RefreshMacroNameList() {}
    // (Re)build the step list's context menu in the language (start-up and every language
    // switch, before the tray menu).
    virtual void LoadContextMenu(std::uint8_t /*language*/) {}
    // Import, export, new, delete, record/stop, save, repeat mode (ImportMacros ..
    // ToggleRepeatMode).
    virtual void Act(skin::PressKind /*kind*/) {}

    // What the page's painting shows of the recorder and the step list.
    virtual bool Recording() const { return false; }
    virtual int PressCount() const { return 0; }
    virtual int ReleaseCount() const { return 0; }
};

// The function menu of a button slot (Main page items 25..31).
class FunctionMenuHooks {
  public:
    virtual ~FunctionMenuHooks() = default;
    virtual bool IsOpen() const { return false; }
    virtual void Close() {}
    // `slot` 0..6; `at` is the press position in global coordinates.
    virtual void Open(int /*slot*/, QPoint /*at*/) {}
};

// Profile files (Main page items 14, 15).
class ProfileFileHooks {
  public:
    virtual ~ProfileFileHooks() = default;
    virtual void ImportProfile() {}
    virtual void ExportProfile() {}
};

struct WindowHooks {
    std::unique_ptr<MacroPageHooks> macroPage = std::make_unique<MacroPageHooks>();
    std::unique_ptr<FunctionMenuHooks> functionMenus = std::make_unique<FunctionMenuHooks>();
    std::unique_ptr<ProfileFileHooks> profileFiles = std::make_unique<ProfileFileHooks>();
};

}  // namespace trq::app
