#include "app/WindowSession.h"

#include "app/DriverEvents.h"

namespace trq::app {

std::unique_ptr<platform::DriverSession> OpenWindowSession(const AppOptions& options,
                                                           base::Notifier& notifier,
                                                           DriverEvents& events,
                                                           std::string& error) {
    platform::SessionOptions session;
    session.home = options.home;
    session.transport.virtualMouse = options.virtualMouse;
    session.transport.trace = options.trace;
    session.transport.control = options.control;
    platform::SessionHooks hooks;
    hooks.notifier = &notifier;
    hooks.transport.traceFailed = [&events](const std::string& text) { events.PostProblem(text); };
    hooks.onChange = [&events](const driver::DriverChange& change) { events.PostChange(change); };
    return platform::DriverSession::Open(session, std::move(hooks), error);
}

}  // namespace trq::app
