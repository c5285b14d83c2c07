#pragma once

// Sends the mouse's commands through the one shared feature-report buffer.

#include <cstdint>
#include <mutex>
#include <string>

#include "device/DeviceLink.h"
#include "device/ReportEncoder.h"
#include "settings/DeviceSettings.h"

namespace trq::device {

// Each Send* encodes its command into the shared buffer (ReportEncoder) and sends the buffer
// to the write collection with that collection's feature-report length, as one step under a
// lock, so the window thread and the action engine may send at the same time without
// tearing a report. Returns true when the write handle took the report; false when there is
// no usable write handle (never opened, open failed, zero report length) or the send failed,
// with the reason in LastError(). The buffer changes the same way whether the send succeeds
// or not. Nothing is retried.
class CommandSender {
  public:
    // `link` must outlive the sender.
    explicit CommandSender(const DeviceLink& link);

    bool SendDpiLevel(const settings::DeviceSettings& s, int level);  // level 0..3
    bool SendButtonMap(std::uint8_t hardwareId, std::uint8_t deviceAction);
    bool SendWheelStatus(const settings::DeviceSettings& s);
    bool SendFireTime(const settings::DeviceSettings& s);
    bool SendLedStatus(const settings::DeviceSettings& s);
    bool SendKeys(const HeldKeys& held);
    bool SendMouseButtons(std::uint8_t mask);
    bool SendConsumer(std::uint16_t usage);
    bool SendClose();

    // A copy of the whole buffer as the last command left it.
    FeatureBuffer Snapshot() const;
    // Why the last failed send failed; empty after a successful one.
    std::string LastError() const;

  private:
    template <typename Encode>
    bool Send(Encode encode);

    const DeviceLink& link_;
    mutable std::mutex mutex_;  // guards the buffer and lastError_, and orders the sends
    ReportEncoder encoder_;
    std::string lastError_;
};

}  // namespace trq::device
