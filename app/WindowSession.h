#pragma once

// The window's resident core: the shared session, with what its threads report re-posted
// to the window thread through DriverEvents, never straight to a widget.

#include <memory>
#include <string>

#include "app/AppOptions.h"
#include "base/Notifier.h"
#include "platform/DriverSession.h"

namespace trq::app {

class DriverEvents;

// See platform::DriverSession::Open. `notifier` and `events` must outlive the session.
std::unique_ptr<platform::DriverSession> OpenWindowSession(const AppOptions& options,
                                                           base::Notifier& notifier,
                                                           DriverEvents& events,
                                                           std::string& error);

}  // namespace trq::app
