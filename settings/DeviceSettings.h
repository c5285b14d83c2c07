#pragma once

// The settings of one profile, the constant tables that give them meaning, and the
// editing operations of the main window.
//
// Values read from a file are kept exactly as read, even out of range, so a file read and
// saved again is unchanged. Every use that indexes a table or builds a report goes through
// the Clamped* helpers below, which pull a value to the nearest end of its range:
//   dpiLevel     0..3      (below 0 -> 0, above 3 -> 3)
//   dpiSet[i]    0..11     (12 or more -> 11)
//   ledStatus    0..3      (above 3 -> 3)
//   dpiSpeed     0..9      (above 9 -> 9, as the pointer-speed table already does)
//   wheelSpeed   0..9      (above 9 -> 9)
//   usbSpeed     0..3      (above 3 -> 3, so the next rate switch gives 0)
//   fireTime     0..300
// Function codes need no clamp: codes outside the table (negative ones too) are sent as
// device action 0 and have no host action (FunctionTable.h).

#include <array>
#include <cstdint>

namespace trq::settings {

inline constexpr int kButtonCount = 7;
inline constexpr int kDpiLevelCount = 4;
inline constexpr int kDpiValueCount = 12;
inline constexpr int kMaxFireTime = 300;

// Profile numbers besides the user profiles 1..5.
inline constexpr int kAppliedProfile = 6;   // snapshot of the settings last sent to the mouse
inline constexpr int kExchangeProfile = 7;  // the one section of a profile file

// The mouse's own number for the button in slot K0..K6.
inline constexpr std::array<std::uint8_t, kButtonCount> HardwareButtonId{1, 2, 3, 5, 4, 8, 6};
inline constexpr std::array<std::int32_t, kButtonCount> DefaultButtonFunction{1, 2,  3, 5,
                                                                              4, 15, 16};
// DPI value index -> the code sent to the mouse, and the DPI shown for it.
inline constexpr std::array<std::uint8_t, kDpiValueCount> DpiCodeTable{1, 2, 3,  4,  5,  6,
                                                                       7, 9, 11, 13, 14, 15};
inline constexpr std::array<int, kDpiValueCount> DpiValues{200,  400,  600,  800,  1000, 1200,
                                                           1600, 2000, 2400, 3200, 4000, 4800};

struct DeviceSettings {
    std::array<std::int32_t, kButtonCount> buttonFunction{};   // FunctionCode of K0..K6
    std::int32_t dpiLevel = 0;                                 // level in use, 0..3
    std::int32_t wheelStatus = 0;                              // 0 or 1
    std::int32_t macroMode2 = 0;                               // 1: macros loop while held
    std::array<std::uint8_t, kDpiLevelCount> dpiSet{};         // DPI value index per level
    std::array<std::uint8_t, kDpiLevelCount> dpiSetEnabled{};  // 0 or 1 per level
    std::uint8_t ledStatus = 0;                                // LED mode 0..3
    std::uint8_t dpiSpeed = 0;                                 // pointer-speed step 0..9
    std::uint8_t wheelSpeed = 0;                               // wheel step 0..9
    std::uint8_t usbSpeed = 0;                                 // report-rate step 0..3
    std::int32_t fireTime = 0;                                 // ms, 0..300

    friend bool operator==(const DeviceSettings&, const DeviceSettings&) = default;
};

// The built-in defaults (profile 1 after a reset); macroMode2 is not part of them and is
// given by the caller.
DeviceSettings DefaultSettings(std::int32_t macroMode2);

// --- Clamped views (see the rule at the top) ---
int ClampedDpiLevel(const DeviceSettings& s);
int ClampedDpiSet(const DeviceSettings& s, int level);
int ClampedLedStatus(const DeviceSettings& s);
int ClampedUsbSpeed(const DeviceSettings& s);
int ClampedFireTime(const DeviceSettings& s);

std::uint8_t DpiCodeOfLevel(const DeviceSettings& s, int level);  // DpiCodeTable entry
int DpiValueOfLevel(const DeviceSettings& s, int level);          // DpiValues entry
// The system pointer speed for a dpiSpeed step: 1, 2, 4, ..., 16 for 0..8, 18 otherwise.
int PointerSpeedFor(std::uint8_t dpiSpeed);
// Wheel scroll lines for a wheelSpeed step: step + 1.
int WheelLinesFor(std::uint8_t wheelSpeed);
// The rate step after the mouse's rate-switch button: 0,1,2,3,0,...
std::uint8_t NextUsbSpeed(std::uint8_t usbSpeed);

// --- Editing operations (memory only) ---
// Levels and slots outside their ranges are ignored.
void SelectDpiLevel(DeviceSettings& s, int level);
void ToggleDpiLevelEnabled(DeviceSettings& s, int level);
void SetDpiValue(DeviceSettings& s, int level, int index);
void SetWheelStatus(DeviceSettings& s, int value);
void SetLedStatus(DeviceSettings& s, int mode);
void SetDpiSpeed(DeviceSettings& s, int step);
void SetWheelSpeed(DeviceSettings& s, int step);
// fireTime := (x - left) * 300 / width for a click inside the slider (0..299); a click
// outside it or a zero width changes nothing.
void SetFireTimeFromSlider(DeviceSettings& s, int x, int left, int width);
void IncrementFireTime(DeviceSettings& s);
void DecrementFireTime(DeviceSettings& s);
// Stores the code, then EnsureLeftButton(slot).
void SetButtonFunction(DeviceSettings& s, int slot, std::int32_t code);
// Keeps the left-button function on some slot: if no slot holds code 1, slot + 1 gets it
// (slot 6 itself when slot is 6).
void EnsureLeftButton(DeviceSettings& s, int slot);

}  // namespace trq::settings
