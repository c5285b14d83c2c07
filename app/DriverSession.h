#pragma once

// The window's resident core and what it stands on: the transport the options choose (the
// real mouse, or the virtual one with its trace file and control pipe), the desktop's
// settings, the playback clock and the MouseDriver. Events of its threads go to
// DriverEvents, never straight to a widget.

#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "base/Notifier.h"
#include "base/ProgramPaths.h"
#include "driver/MouseDriver.h"

namespace trq::app {

class DriverEvents;

class DriverSession {
  public:
    // Nothing, with the reason in `error`, when the trace file or the control pipe cannot be
    // made. `notifier` and `events` must outlive the session.
    static std::unique_ptr<DriverSession> Open(const AppOptions& options, base::Notifier& notifier,
                                               DriverEvents& events, std::string& error);
    ~DriverSession();  // stops hot-plug events, then the workers

    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    driver::MouseDriver& Driver() { return *driver_; }
    const base::ProgramPaths& Paths() const { return paths_; }

    // Starts delivering the transport's hot-plug events to DriverEvents.
    void WatchHotplug();

  private:
    DriverSession() = default;

    struct Parts;
    std::unique_ptr<Parts> parts_;
    base::ProgramPaths paths_;
    DriverEvents* events_ = nullptr;
    std::unique_ptr<driver::MouseDriver> driver_;
};

}  // namespace trq::app
