#pragma once

// Input report 6 as the program reads it (layout in MouseProtocol.h).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace trq::device {

struct ButtonEvent {
    std::uint8_t reportId = 0;  // always 6 for a decoded event
    std::uint8_t code = 0;      // 241..255: button (code - 240); 240 or less: stop signal
    std::uint8_t state = 0;     // 0x80: release; otherwise press (or the new DPI level)

    friend bool operator==(const ButtonEvent&, const ButtonEvent&) = default;
};

// The event in `report` (the bytes a read returned, report id first). Empty for any other
// report id and for a report too short to hold the code and state; those are ignored.
std::optional<ButtonEvent> DecodeButtonEvent(std::span<const std::uint8_t> report);

bool IsRelease(const ButtonEvent& event);
// True for codes 241..255, which name a hardware button; false for a stop signal.
bool IsButtonCode(std::uint8_t code);
// The hardware button id of a button code (241..255 -> 1..15).
std::uint8_t HardwareIdOfCode(std::uint8_t code);

}  // namespace trq::device
