#include "app/DriverSession.h"

#include "app/DriverEvents.h"
#include "device/PlaybackClock.h"
#include "device/VirtualMouse.h"
#include "platform/DesktopSettingsFactory.h"
#include "platform/ExecutableFolder.h"
#include "platform/HidTransportFactory.h"
#include "platform/Launcher.h"

namespace trq::app {

struct DriverSession::Parts {
    std::unique_ptr<device::HidTransport> transport;
    std::unique_ptr<settings::DesktopSettings> desktop;
    device::SteadyPlaybackClock clock;
};

std::unique_ptr<DriverSession> DriverSession::Open(const AppOptions& options,
                                                   base::Notifier& notifier, DriverEvents& events,
                                                   std::string& error) {
    std::unique_ptr<DriverSession> session(new DriverSession);
    session->parts_ = std::make_unique<Parts>();
    Parts& parts = *session->parts_;
    if (options.virtualMouse) {
        parts.transport = std::make_unique<device::VirtualMouse>();
        // The virtual mouse is a rehearsal: the real desktop's pointer speed is left alone.
        parts.desktop = std::make_unique<settings::RecordingDesktopSettings>();
    } else {
        parts.transport = platform::MakeSystemHidTransport();
        parts.desktop = platform::MakeSystemDesktopSettings();
    }
    if (options.trace || options.control) {
        error = "--trace and --control are not available in this build yet";
        return nullptr;
    }

    session->events_ = &events;
    session->paths_.moduleFolder = options.home ? *options.home : platform::ExecutableFolder();
    driver::DriverServices services;
    services.paths = session->paths_;
    services.transport = parts.transport.get();
    services.desktop = parts.desktop.get();
    services.notifier = &notifier;
    services.clock = &parts.clock;
    services.launch = [](device::LaunchTarget target) { return platform::Launch(target); };
    services.repaint = [&events] { events.PostChange(); };
    session->driver_ = std::make_unique<driver::MouseDriver>(std::move(services));
    return session;
}

DriverSession::~DriverSession() {
    if (parts_ && parts_->transport) parts_->transport->WatchHotplug({});
    driver_.reset();
}

void DriverSession::WatchHotplug() {
    DriverEvents* events = events_;
    parts_->transport->WatchHotplug([events](device::HotplugEvent event, const std::string& path) {
        events->PostHotplug(event, path);
    });
}

}  // namespace trq::app
