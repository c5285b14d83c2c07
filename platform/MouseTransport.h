#pragma once

// What the program talks to, chosen in one place for the window and the tool: the system's
// HID devices and desktop, or the built-in virtual mouse (with its trace file and control
// pipe) and a desktop kept in memory, so a rehearsal never changes the real pointer speed.
// Hot-plug events of the transport are heard by MouseDriver::StartWorkers.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "device/HidTransport.h"
#include "device/VirtualMouse.h"
#include "settings/DesktopSettings.h"

namespace trq::platform {

struct TransportOptions {
    bool virtualMouse = false;
    // Virtual mouse only: append every report as a trace line (device/VirtualMouseConsole.h).
    std::optional<std::filesystem::path> trace;
    // Virtual mouse only: a named pipe taking control lines. Ask for it only while holding
    // the instance lock: the pipe belongs to the one resident copy, and is removed with it.
    std::optional<std::filesystem::path> control;
};

// Where later troubles are told, as one line each; called on the thread that met them, with
// no lock of the transport held. Either may be empty.
struct TransportEvents {
    std::function<void(const std::string&)> controlProblem;  // a control line was refused
    std::function<void(const std::string&)> traceFailed;     // a trace write failed (once)
};

class MouseTransport {
  public:
    virtual ~MouseTransport() = default;  // closes the control pipe (removing it) and the trace

    virtual device::HidTransport& Transport() = 0;
    virtual settings::DesktopSettings& Desktop() = 0;
    // The virtual mouse, or nullptr on the system's devices.
    virtual device::VirtualMouse* Virtual() = 0;
};

struct TransportResult {
    std::unique_ptr<MouseTransport> transport;  // nullptr when something could not be opened
    std::string error;                          // then: what, which file, and the OS's reason
};

// Fails when a trace or control pipe is asked for without the virtual mouse, the trace file
// cannot be opened for appending, or the control pipe cannot be made.
TransportResult OpenMouseTransport(const TransportOptions& options, TransportEvents events = {});

}  // namespace trq::platform
