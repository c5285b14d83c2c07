#include "device/ButtonEvent.h"

#include "device/MouseProtocol.h"

namespace trq::device {

std::optional<ButtonEvent> DecodeButtonEvent(std::span<const std::uint8_t> report) {
    if (report.size() <= kEventStateByte || report[kReportIdByte] != kButtonEventReportId) {
        return std::nullopt;
    }
    return ButtonEvent{report[kReportIdByte], report[kEventCodeByte], report[kEventStateByte]};
}

bool IsRelease(const ButtonEvent& event) {
    return event.state == kReleaseState;
}

bool IsButtonCode(std::uint8_t code) {
    return code > kInputCodeBase;
}

std::uint8_t HardwareIdOfCode(std::uint8_t code) {
    return static_cast<std::uint8_t>(code - kInputCodeBase);
}

}  // namespace trq::device
