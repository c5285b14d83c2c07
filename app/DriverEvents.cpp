#include "app/DriverEvents.h"

namespace trq::app {

void DriverEvents::PostChange() {
    QMetaObject::invokeMethod(
        this, [this] { emit changed(); }, Qt::QueuedConnection);
}

void DriverEvents::PostHotplug(device::HotplugEvent event, const std::string& path) {
    QMetaObject::invokeMethod(
        this, [this, event, p = QString::fromStdString(path)] { emit hotplug(event, p); },
        Qt::QueuedConnection);
}

}  // namespace trq::app
