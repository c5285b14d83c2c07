#include "device/CommandSender.h"

#include <span>

namespace trq::device {

CommandSender::CommandSender(const DeviceLink& link) : link_(link) {}

template <typename Encode>
bool CommandSender::Send(Encode encode) {
    std::lock_guard lock(mutex_);
    encode(encoder_);
    const HandleSlot slot = link_.WriteSlot();
    if (slot.state != SlotState::Open) {
        lastError_ = slot.state == SlotState::OpenFailed
                         ? "the mouse could not be opened for writing"
                         : "the mouse is not open";
        return false;
    }
    if (slot.reportLength == 0) {
        lastError_ = "the mouse reports no feature report";
        return false;
    }
    const std::span<const std::uint8_t> report(encoder_.Bytes().data(), slot.reportLength);
    if (!slot.handle->SendFeatureReport(report)) {
        lastError_ = slot.handle->LastError();
        if (lastError_.empty()) lastError_ = "the feature report was not sent";
        return false;
    }
    lastError_.clear();
    return true;
}

bool CommandSender::SendDpiLevel(const settings::DeviceSettings& s, int level) {
    return Send([&](ReportEncoder& e) { e.DpiLevel(s, level); });
}

bool CommandSender::SendButtonMap(std::uint8_t hardwareId, std::uint8_t deviceAction) {
    return Send([&](ReportEncoder& e) { e.ButtonMap(hardwareId, deviceAction); });
}

bool CommandSender::SendWheelStatus(const settings::DeviceSettings& s) {
    return Send([&](ReportEncoder& e) { e.WheelStatus(s); });
}

bool CommandSender::SendFireTime(const settings::DeviceSettings& s) {
    return Send([&](ReportEncoder& e) { e.FireTime(s); });
}

bool CommandSender::SendLedStatus(const settings::DeviceSettings& s) {
    return Send([&](ReportEncoder& e) { e.LedStatus(s); });
}

bool CommandSender::SendKeys(const HeldKeys& held) {
    return Send([&](ReportEncoder& e) { e.Keys(held); });
}

bool CommandSender::SendMouseButtons(std::uint8_t mask) {
    return Send([&](ReportEncoder& e) { e.MouseButtons(mask); });
}

bool CommandSender::SendConsumer(std::uint16_t usage) {
    return Send([&](ReportEncoder& e) { e.Consumer(usage); });
}

bool CommandSender::SendClose() {
    return Send([](ReportEncoder& e) { e.Close(); });
}

FeatureBuffer CommandSender::Snapshot() const {
    std::lock_guard lock(mutex_);
    return encoder_.Bytes();
}

std::string CommandSender::LastError() const {
    std::lock_guard lock(mutex_);
    return lastError_;
}

}  // namespace trq::device
