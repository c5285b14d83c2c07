#pragma once

// The mouse's wire format, written once and used by both sides: the program's encoder and
// input decoder, and the virtual mouse that decodes what the program sends.
//
// Feature report 7 (program -> mouse), one command per report:
//   b0 = 7, b1 = command, then the command's own bytes (kCommandLayouts). A command writes
//   nothing else: the bytes it leaves alone keep what an earlier command put there.
// Input report 6 (mouse -> program), a button event:
//   b0 = 6, b1 = input code (240 + hardware button id; 240 or less: stop signal),
//   b2 = 0x80 on release, anything else on press (the new DPI level for a DPI button).

#include <array>
#include <cstddef>
#include <cstdint>

namespace trq::device {

// --- The device and its two vendor collections ---
inline constexpr std::uint16_t kVendorId = 0x18F8;
inline constexpr std::uint16_t kProductId = 0x1286;

struct CollectionId {
    std::uint16_t usagePage;
    std::uint16_t usage;

    friend constexpr bool operator==(const CollectionId&, const CollectionId&) = default;
};
inline constexpr CollectionId kReadCollection{0xFF00, 1};   // input report 6
inline constexpr CollectionId kWriteCollection{0xFF01, 1};  // feature report 7

// Both the feature report and the input buffer are this big; longer report lengths that
// a device claims are cut down to it.
inline constexpr std::size_t kReportBufferSize = 256;

// --- Feature report 7 ---
inline constexpr std::uint8_t kCommandReportId = 7;
inline constexpr std::size_t kReportIdByte = 0;
inline constexpr std::size_t kCommandByte = 1;

enum class Command : std::uint8_t {
    DpiLevel = 0x09,
    ButtonMap = 0x10,
    WheelStatus = 0x11,
    FireTime = 0x12,
    LedStatus = 0x13,
    Keys = 0x15,
    MouseButtons = 0x16,
    Consumer = 0x17,
    Close = 0x20,
};

// The bytes first..last (inclusive) that a command writes after b0 and b1.
struct CommandLayout {
    Command command;
    std::size_t first;
    std::size_t last;

    constexpr std::size_t size() const { return last - first + 1; }
};

inline constexpr std::array<CommandLayout, 9> kCommandLayouts{{
    {Command::DpiLevel, 2, 4},
    {Command::ButtonMap, 2, 3},
    {Command::WheelStatus, 2, 3},
    {Command::FireTime, 2, 7},
    {Command::LedStatus, 2, 3},
    {Command::Keys, 2, 7},
    {Command::MouseButtons, 3, 3},
    {Command::Consumer, 2, 3},
    {Command::Close, 2, 3},
}};

constexpr const CommandLayout& LayoutOf(Command command) {
    for (const CommandLayout& layout : kCommandLayouts) {
        if (layout.command == command) return layout;
    }
    return kCommandLayouts[0];  // unreachable for the enumerators above
}

// Fields, by absolute byte offset.
namespace dpi_level {
inline constexpr std::size_t kCurrentLevel = 2;  // kCurrentLevelBase + level in use
inline constexpr std::size_t kCodeAndLevel = 3;  // DPI code << 4 | (kLevelBase + level)
inline constexpr std::size_t kEnableMask = 4;    // bit n: level n enabled
inline constexpr std::uint8_t kCurrentLevelBase = 0x40;
inline constexpr std::uint8_t kLevelBase = 8;
}  // namespace dpi_level

namespace button_map {
inline constexpr std::size_t kButtonId = 2;
inline constexpr std::size_t kAction = 3;  // 0: report the button to the host
}  // namespace button_map

namespace wheel_status {
inline constexpr std::size_t kValue = 2;
inline constexpr std::size_t kZero = 3;
}  // namespace wheel_status

namespace fire_time {
inline constexpr std::size_t kHigh = 2;  // fire value = fireTime / 8, big-endian
inline constexpr std::size_t kLow = 3;
inline constexpr std::uint8_t kDivisor = 8;
}  // namespace fire_time

namespace led_status {
inline constexpr std::size_t kMarker = 2;
inline constexpr std::size_t kMode = 3;  // kModeBase + kModeCode[ledStatus]
inline constexpr std::uint8_t kMarkerValue = 0x7F;
inline constexpr std::uint8_t kModeBase = 0x10;
inline constexpr std::array<std::uint8_t, 4> kModeCode{0, 3, 6, 7};
}  // namespace led_status

namespace keys {
inline constexpr std::size_t kFirst = 2;  // six held keyboard usages in press order, 0 = empty
inline constexpr std::size_t kCount = 6;
}  // namespace keys

namespace mouse_buttons {
inline constexpr std::size_t kMask = 3;  // active-low: a 0 bit is a held button
inline constexpr std::uint8_t kLeft = 0x01;
inline constexpr std::uint8_t kRight = 0x02;
inline constexpr std::uint8_t kMiddle = 0x04;
inline constexpr std::uint8_t kAllReleased = 0xFF;
}  // namespace mouse_buttons

namespace consumer {
inline constexpr std::size_t kHigh = 2;  // consumer-page usage, big-endian
inline constexpr std::size_t kLow = 3;
}  // namespace consumer

namespace close {
inline constexpr std::size_t kFirstZero = 2;
inline constexpr std::size_t kSecondZero = 3;
}  // namespace close

static_assert(LayoutOf(Command::DpiLevel).first == dpi_level::kCurrentLevel &&
              LayoutOf(Command::DpiLevel).last == dpi_level::kEnableMask);
static_assert(LayoutOf(Command::ButtonMap).first == button_map::kButtonId &&
              LayoutOf(Command::ButtonMap).last == button_map::kAction);
static_assert(LayoutOf(Command::Keys).first == keys::kFirst &&
              LayoutOf(Command::Keys).size() == keys::kCount);
static_assert(LayoutOf(Command::MouseButtons).first == mouse_buttons::kMask &&
              LayoutOf(Command::MouseButtons).size() == 1);
static_assert(LayoutOf(Command::Consumer).first == consumer::kHigh &&
              LayoutOf(Command::Consumer).last == consumer::kLow);
static_assert(LayoutOf(Command::FireTime).first == fire_time::kHigh);
static_assert(LayoutOf(Command::LedStatus).first == led_status::kMarker &&
              LayoutOf(Command::LedStatus).last == led_status::kMode);
static_assert(LayoutOf(Command::WheelStatus).first == wheel_status::kValue &&
              LayoutOf(Command::WheelStatus).last == wheel_status::kZero);
static_assert(LayoutOf(Command::Close).first == close::kFirstZero &&
              LayoutOf(Command::Close).last == close::kSecondZero);

// --- Input report 6 ---
inline constexpr std::uint8_t kButtonEventReportId = 6;
inline constexpr std::size_t kEventCodeByte = 1;
inline constexpr std::size_t kEventStateByte = 2;
inline constexpr std::uint8_t kReleaseState = 0x80;
inline constexpr std::uint8_t kPressState = 1;  // what the mouse sends for a plain press
inline constexpr std::uint8_t kInputCodeBase = 240;

// The input code of a hardware button id (1..15 give 241..255).
constexpr std::uint8_t InputCodeOf(std::uint8_t hardwareId) {
    return static_cast<std::uint8_t>(kInputCodeBase + hardwareId);
}

}  // namespace trq::device
