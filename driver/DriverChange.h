#pragma once

// What the resident core tells its users (the window, the tool) after its state changed.
// A change notice carries no data: the listener reads what it needs through the driver's
// getters, which always show the state after the change.

#include <cstdint>
#include <functional>

namespace trq::driver {

enum class ChangeKind : std::uint8_t {
    Settings,      // the live settings (a user edit, or the mouse's DPI / rate switch)
    Profile,       // another profile became current (its settings came with it)
    Macros,        // the user macro table was replaced (load, import, reset, language)
    Language,      // the interface language changed (the macros follow with Macros)
    Applied,       // an apply finished: AppliedState and the mouse follow the settings
    MouseRemoved,  // the mouse went away (hot-plug removal, or its reads said disconnected)
    MouseArrived,  // the remembered mouse came back and was found again
};

enum class ChangeOrigin : std::uint8_t {
    User,   // a call of the driver's own operations
    Mouse,  // the mouse: its own DPI or rate switch, an unplug, a plug-in
};

struct DriverChange {
    ChangeKind what = ChangeKind::Settings;
    ChangeOrigin origin = ChangeOrigin::User;

    friend bool operator==(const DriverChange&, const DriverChange&) = default;
};

// Called with no lock of the driver held, so it may call the driver back. It runs on
// whatever thread made the change: the caller's thread for the driver's operations, the
// action engine's thread for DPI and rate switches, the input reader's thread for a
// "disconnected" read, and the transport's hot-plug thread for removal and arrival. A window
// re-posts it to its own thread; it must not block for long.
using ChangeListener = std::function<void(const DriverChange&)>;

}  // namespace trq::driver
