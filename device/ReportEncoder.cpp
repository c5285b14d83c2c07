#include "device/ReportEncoder.h"

#include <algorithm>
#include <cassert>

namespace trq::device {
namespace {

std::uint8_t Byte(unsigned value) {
    return static_cast<std::uint8_t>(value & 0xFFu);
}

}  // namespace

void ReportEncoder::Write(Command command, const std::uint8_t* payload, std::size_t size) {
    const CommandLayout& layout = LayoutOf(command);
    assert(layout.command == command && layout.size() == size);
    bytes_[kReportIdByte] = kCommandReportId;
    bytes_[kCommandByte] = static_cast<std::uint8_t>(command);
    std::copy_n(payload, std::min(size, layout.size()), bytes_.begin() + layout.first);
}

void ReportEncoder::DpiLevel(const settings::DeviceSettings& s, int level) {
    assert(level >= 0 && level < settings::kDpiLevelCount);
    const auto current = static_cast<unsigned>(settings::ClampedDpiLevel(s));
    const unsigned code = settings::DpiCodeOfLevel(s, level);
    unsigned mask = 0;
    for (int n = 0; n < settings::kDpiLevelCount; ++n) {
        mask += static_cast<unsigned>(s.dpiSetEnabled[n]) << n;
    }
    Write(Command::DpiLevel,
          std::array{Byte(dpi_level::kCurrentLevelBase + current),
                     Byte(code * 16 + dpi_level::kLevelBase + static_cast<unsigned>(level)),
                     Byte(mask)});
}

void ReportEncoder::ButtonMap(std::uint8_t hardwareId, std::uint8_t deviceAction) {
    Write(Command::ButtonMap, std::array{hardwareId, deviceAction});
}

void ReportEncoder::WheelStatus(const settings::DeviceSettings& s) {
    Write(Command::WheelStatus, std::array{Byte(static_cast<unsigned>(s.wheelStatus)), Byte(0)});
}

void ReportEncoder::FireTime(const settings::DeviceSettings& s) {
    const auto value = static_cast<unsigned>(settings::ClampedFireTime(s)) / fire_time::kDivisor;
    Write(Command::FireTime,
          std::array{Byte(value >> 8), Byte(value), Byte(0), Byte(0), Byte(0), Byte(0)});
}

void ReportEncoder::LedStatus(const settings::DeviceSettings& s) {
    const std::uint8_t code = led_status::kModeCode[settings::ClampedLedStatus(s)];
    Write(Command::LedStatus,
          std::array{led_status::kMarkerValue, Byte(led_status::kModeBase + code)});
}

void ReportEncoder::Keys(const HeldKeys& held) {
    Write(Command::Keys, held);
}

void ReportEncoder::MouseButtons(std::uint8_t mask) {
    Write(Command::MouseButtons, std::array{mask});
}

void ReportEncoder::Consumer(std::uint16_t usage) {
    Write(Command::Consumer, std::array{Byte(usage >> 8u), Byte(usage)});
}

void ReportEncoder::Close() {
    Write(Command::Close, std::array{Byte(0), Byte(0)});
}

}  // namespace trq::device
