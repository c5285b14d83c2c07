#include "platform/DriverSession.h"

#include "base/FileIo.h"
#include "platform/ExecutableFolder.h"
#include "platform/HomeWriteLock.h"
#include "platform/Launcher.h"

namespace trq::platform {

std::unique_ptr<DriverSession> DriverSession::Open(const SessionOptions& options,
                                                   SessionHooks hooks, std::string& error) {
    std::unique_ptr<DriverSession> session(new DriverSession);
    session->paths_.moduleFolder = options.home ? *options.home : ExecutableFolder();
    if (!std::filesystem::is_directory(session->paths_.moduleFolder)) {
        error = "no such folder: " + session->paths_.moduleFolder.string();
        return nullptr;
    }
    // What a copy that died while writing left behind (no live writer's file is taken).
    base::RemoveStaleTempFiles(session->paths_.moduleFolder);

    TransportResult opened = OpenMouseTransport(options.transport, std::move(hooks.transport));
    if (!opened.transport) {
        error = opened.error;
        return nullptr;
    }
    session->transport_ = std::move(opened.transport);
    session->fileLock_ = OpenHomeWriteLock(session->paths_.moduleFolder);

    driver::DriverServices services;
    services.paths = session->paths_;
    services.transport = &session->transport_->Transport();
    services.desktop = &session->transport_->Desktop();
    services.notifier = hooks.notifier;
    services.clock = &session->clock_;
    services.fileLock = session->fileLock_.get();
    services.launch = [](device::LaunchTarget target) { return Launch(target); };
    services.onChange = std::move(hooks.onChange);
    session->driver_ = std::make_unique<driver::MouseDriver>(std::move(services));
    return session;
}

DriverSession::~DriverSession() {
    driver_.reset();
}

}  // namespace trq::platform
