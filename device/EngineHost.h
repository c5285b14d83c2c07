#pragma once

// Everything the action engine needs from the rest of the program, in one interface: the
// reports it sends, the settings and macros it reads, and the changes it asks for. The
// program implements it over its live state; tests implement it with a recorder.

#include <array>
#include <cstdint>
#include <optional>

#include "device/ReportEncoder.h"
#include "macros/MacroRecord.h"
#include "settings/DeviceSettings.h"

namespace trq::device {

enum class LaunchTarget { Calculator, Terminal };

// What the engine reads of the settings for one press, taken in one piece.
struct EngineSnapshot {
    std::array<std::int32_t, settings::kButtonCount> buttonFunction{};  // of K0..K6
    std::int32_t macroMode2 = 0;
    // Per slot, as the last apply left them: the slot's function changes the mouse's DPI
    // level / report rate, which the program follows.
    std::array<bool, settings::kButtonCount> dpiMirrorFlags{};
    std::array<bool, settings::kButtonCount> rateCycleFlags{};
};

// Every method is called on the engine's thread, one at a time. The host guards its own
// state against the window thread; the engine keeps no reference into it.
class EngineHost {
  public:
    virtual ~EngineHost() = default;

    // One report each (CMD_KEYS, CMD_MOUSE_BUTTONS, CMD_CONSUMER). A failed send is the
    // host's to note; playback goes on either way.
    virtual void SendKeys(const HeldKeys& keys) = 0;
    virtual void SendMouseButtons(std::uint8_t mask) = 0;
    virtual void SendConsumer(std::uint16_t usage) = 0;

    // The current settings, consistent with each other.
    virtual EngineSnapshot Snapshot() = 0;

    // A copy of user macro `index` (function 41 + index) or constant macro `index`
    // (function 31 + index); nothing when the table holds no such macro.
    virtual std::optional<macros::MacroRecord> UserMacro(int index) = 0;
    virtual std::optional<macros::MacroRecord> ConstMacro(int index) = 0;

    // The mouse switched its DPI level to `level` (as it reported it): store it as dpiLevel,
    // save it to the current profile and repaint.
    virtual void MirrorDpiLevel(std::uint8_t level) = 0;
    // The mouse switched its report rate: usbSpeed := NextUsbSpeed(usbSpeed), save, repaint.
    virtual void CycleUsbSpeed() = 0;

    // Starts the program directly, without a shell; a failure is ignored.
    virtual void Launch(LaunchTarget target) = 0;
};

}  // namespace trq::device
