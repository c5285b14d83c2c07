#pragma once

// The resident core and what it stands on, assembled the same way for the window and the
// tool: the program folder (stale temporary files of dead writers removed), the transport
// the options choose (the real mouse, or the virtual one with its trace file and control
// pipe), the desktop's settings, the folder's write lock, the playback clock, launching,
// and the MouseDriver.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "base/Notifier.h"
#include "base/ProgramPaths.h"
#include "base/WriteLock.h"
#include "device/PlaybackClock.h"
#include "driver/DriverChange.h"
#include "driver/MouseDriver.h"
#include "platform/MouseTransport.h"

namespace trq::platform {

struct SessionOptions {
    std::optional<std::filesystem::path> home;  // the program folder; default: the executable's
    TransportOptions transport;
};

struct SessionHooks {
    base::Notifier* notifier = nullptr;  // required; must outlive the session
    TransportEvents transport;           // troubles of the trace file and control pipe
    driver::ChangeListener onChange;     // the driver's change notices (DriverChange.h)
};

class DriverSession {
  public:
    // Nothing, with the reason in `error`, when the program folder does not exist or the
    // trace file or control pipe cannot be made. Ask for a control pipe only while holding
    // the instance lock (the pipe belongs to the resident copy).
    static std::unique_ptr<DriverSession> Open(const SessionOptions& options, SessionHooks hooks,
                                               std::string& error);
    ~DriverSession();  // stops the workers, then closes the transport

    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    driver::MouseDriver& Driver() { return *driver_; }
    const driver::MouseDriver& Driver() const { return *driver_; }
    const base::ProgramPaths& Paths() const { return paths_; }
    // Held around a program's own read-modify-writes of the folder's files.
    base::WriteLock& FileLock() { return *fileLock_; }
    // The virtual mouse, or nullptr on the real one.
    device::VirtualMouse* Virtual() { return transport_->Virtual(); }
    settings::DesktopSettings& Desktop() { return transport_->Desktop(); }

  private:
    DriverSession() = default;

    base::ProgramPaths paths_;
    std::unique_ptr<MouseTransport> transport_;
    std::unique_ptr<base::WriteLock> fileLock_;
    device::SteadyPlaybackClock clock_;
    std::unique_ptr<driver::MouseDriver> driver_;  // last: it goes first
};

}  // namespace trq::platform
