#pragma once

// The window's resident core and what it stands on: the transport the options choose (the
// real mouse, or the virtual one with its trace file and control pipe), the desktop's
// settings, the program folder's write lock, the playback clock and the MouseDriver. What
// its threads report goes to DriverEvents, never straight to a widget.

#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "base/Notifier.h"
#include "base/ProgramPaths.h"
#include "base/WriteLock.h"
#include "driver/MouseDriver.h"
#include "platform/MouseTransport.h"

namespace trq::app {

class DriverEvents;

class DriverSession {
  public:
    // Nothing, with the reason in `error`, when the program folder does not exist or the
    // trace file or control pipe cannot be made. Make it only while holding the instance
    // lock (the control pipe belongs to the resident copy). `notifier` and `events` must
    // outlive the session.
    static std::unique_ptr<DriverSession> Open(const AppOptions& options, base::Notifier& notifier,
                                               DriverEvents& events, std::string& error);
    ~DriverSession();  // stops the workers, then closes the transport

    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    driver::MouseDriver& Driver() { return *driver_; }
    const driver::MouseDriver& Driver() const { return *driver_; }
    const base::ProgramPaths& Paths() const { return paths_; }
    // Held around the window's own read-modify-writes of the folder's files.
    base::WriteLock& FileLock() { return *fileLock_; }
    // The virtual mouse, or nullptr on the real one.
    device::VirtualMouse* Virtual() { return transport_->Virtual(); }
    settings::DesktopSettings& Desktop() { return transport_->Desktop(); }

  private:
    DriverSession() = default;

    base::ProgramPaths paths_;
    std::unique_ptr<platform::MouseTransport> transport_;
    std::unique_ptr<base::WriteLock> fileLock_;
    std::unique_ptr<device::PlaybackClock> clock_;
    std::unique_ptr<driver::MouseDriver> driver_;  // last: it goes first
};

}  // namespace trq::app
