#pragma once

// Hands what the resident core's threads report to the window thread: every Post* may be
// called from any thread and returns at once; the signals arrive, queued, on the thread the
// object lives on. Keep the object alive until those threads have stopped.

#include <QObject>
#include <QString>

#include "device/HidTransport.h"

namespace trq::app {

class DriverEvents : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    // The settings, profile, macros or applied state changed (e.g. a DPI switch mirrored
    // from the mouse): the window repaints.
    void PostChange();
    // A device came or went.
    void PostHotplug(device::HotplugEvent event, const std::string& path);

  signals:
    void changed();
    void hotplug(trq::device::HotplugEvent event, const QString& path);
};

}  // namespace trq::app
