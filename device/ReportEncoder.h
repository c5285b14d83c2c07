#pragma once

// The one feature-report buffer and the encoding of every command into it.

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/MouseProtocol.h"
#include "settings/DeviceSettings.h"

namespace trq::device {

using FeatureBuffer = std::array<std::uint8_t, kReportBufferSize>;
using HeldKeys = std::array<std::uint8_t, keys::kCount>;

// Each method writes b0 = 7, b1 = its command and exactly the bytes MouseProtocol.h lists
// for that command. Every other byte keeps what an earlier command left there (zero at the
// start): the mouse has only ever been sent reports built this way, so the traffic stays the
// same byte for byte. Values from the settings go through the settings' Clamped* views. Not
// thread-safe: CommandSender owns one and serialises it.
class ReportEncoder {
  public:
    const FeatureBuffer& Bytes() const { return bytes_; }

    // CMD_DPI_LEVEL for `level` (0..3, a precondition): the level in use, the level's DPI
    // code and level number, the enable mask of all four levels (the sum of
    // dpiSetEnabled[n] << n, in 8 bits).
    void DpiLevel(const settings::DeviceSettings& s, int level);
    // CMD_BUTTON_MAP: what the mouse does for one hardware button.
    void ButtonMap(std::uint8_t hardwareId, std::uint8_t deviceAction);
    // CMD_WHEEL_STATUS: the low byte of wheelStatus, then 0.
    void WheelStatus(const settings::DeviceSettings& s);
    // CMD_FIRE_TIME: fireTime / 8 big-endian in b2..b3, b4..b7 cleared.
    void FireTime(const settings::DeviceSettings& s);
    // CMD_LED_STATUS: 0x7F, then 0x10 + the mode code of ledStatus.
    void LedStatus(const settings::DeviceSettings& s);
    // CMD_KEYS: the six held keyboard usages in press order, 0 for an empty slot.
    void Keys(const HeldKeys& held);
    // CMD_MOUSE_BUTTONS: the active-low button mask in b3; b2 is left alone.
    void MouseButtons(std::uint8_t mask);
    // CMD_CONSUMER: a consumer-page usage, big-endian.
    void Consumer(std::uint16_t usage);
    // CMD_CLOSE: 07 20 00 00.
    void Close();

  private:
    void Write(Command command, const std::uint8_t* payload, std::size_t size);
    template <std::size_t N>
    void Write(Command command, const std::array<std::uint8_t, N>& payload) {
        Write(command, payload.data(), N);
    }

    FeatureBuffer bytes_{};
};

}  // namespace trq::device
