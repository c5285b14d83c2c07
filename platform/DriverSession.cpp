#include "app/DriverSession.h"

#include "app/DriverEvents.h"
#include "base/FileIo.h"
#include "device/PlaybackClock.h"
#include "platform/ExecutableFolder.h"
#include "platform/HomeWriteLock.h"
#include "platform/Launcher.h"

namespace trq::app {

std::unique_ptr<DriverSession> DriverSession::Open(const AppOptions& options,
                                                   base::Notifier& notifier, DriverEvents& events,
                                                   std::string& error) {
    std::unique_ptr<DriverSession> session(new DriverSession);
    session->paths_.moduleFolder = options.home ? *options.home : platform::ExecutableFolder();
    if (!std::filesystem::is_directory(session->paths_.moduleFolder)) {
        error = "no such folder: " + session->paths_.moduleFolder.string();
        return nullptr;
    }
    // What a copy that died while writing left behind (no live writer's file is taken).
    base::RemoveStaleTempFiles(session->paths_.moduleFolder);

    platform::TransportOptions transportOptions;
    transportOptions.virtualMouse = options.virtualMouse;
    transportOptions.trace = options.trace;
    transportOptions.control = options.control;
    platform::TransportEvents transportEvents;
    transportEvents.traceFailed = [&events](const std::string& text) { events.PostProblem(text); };
    platform::TransportResult opened =
        platform::OpenMouseTransport(transportOptions, std::move(transportEvents));
    if (!opened.transport) {
        error = opened.error;
        return nullptr;
    }
    session->transport_ = std::move(opened.transport);
    session->fileLock_ = platform::OpenHomeWriteLock(session->paths_.moduleFolder);
    session->clock_ = std::make_unique<device::SteadyPlaybackClock>();

    driver::DriverServices services;
    services.paths = session->paths_;
    services.transport = &session->transport_->Transport();
    services.desktop = &session->transport_->Desktop();
    services.notifier = &notifier;
    services.clock = session->clock_.get();
    services.fileLock = session->fileLock_.get();
    services.launch = [](device::LaunchTarget target) { return platform::Launch(target); };
    services.onChange = [&events](const driver::DriverChange& change) {
        events.PostChange(change);
    };
    session->driver_ = std::make_unique<driver::MouseDriver>(std::move(services));
    return session;
}

DriverSession::~DriverSession() {
    driver_.reset();
}

}  // namespace trq::app
