#include "settings/DeviceSettings.h"

#include <algorithm>

namespace trq::settings {
namespace {

bool ValidLevel(int level) {
    return level >= 0 && level < kDpiLevelCount;
}

}  // namespace

DeviceSettings DefaultSettings(std::int32_t macroMode2) {
    DeviceSettings s;
    s.buttonFunction = DefaultButtonFunction;
    s.dpiLevel = 0;
    s.wheelStatus = 0;
    s.macroMode2 = macroMode2;
    s.dpiSet = {3, 6, 8, 10};
    s.dpiSetEnabled = {1, 1, 1, 1};
    s.ledStatus = 0;
    s.dpiSpeed = 4;
    s.wheelSpeed = 2;
    s.usbSpeed = 2;
    s.fireTime = 50;
    return s;
}

int ClampedDpiLevel(const DeviceSettings& s) {
    return std::clamp(s.dpiLevel, 0, kDpiLevelCount - 1);
}

int ClampedDpiSet(const DeviceSettings& s, int level) {
    if (!ValidLevel(level)) return 0;
    return std::min<int>(s.dpiSet[level], kDpiValueCount - 1);
}

int ClampedLedStatus(const DeviceSettings& s) {
    return std::min<int>(s.ledStatus, 3);
}
int ClampedUsbSpeed(const DeviceSettings& s) {
    return std::min<int>(s.usbSpeed, 3);
}
int ClampedFireTime(const DeviceSettings& s) {
    return std::clamp(s.fireTime, 0, kMaxFireTime);
}

std::uint8_t DpiCodeOfLevel(const DeviceSettings& s, int level) {
    return DpiCodeTable[ClampedDpiSet(s, level)];
}

int DpiValueOfLevel(const DeviceSettings& s, int level) {
    return DpiValues[ClampedDpiSet(s, level)];
}

int PointerSpeedFor(std::uint8_t dpiSpeed) {
    static constexpr std::array<int, 9> kSpeeds{1, 2, 4, 6, 8, 10, 12, 14, 16};
    return dpiSpeed < kSpeeds.size() ? kSpeeds[dpiSpeed] : 18;
}

int WheelLinesFor(std::uint8_t wheelSpeed) {
    return std::min<int>(wheelSpeed, 9) + 1;
}

std::uint8_t NextUsbSpeed(std::uint8_t usbSpeed) {
    return usbSpeed >= 3 ? 0 : static_cast<std::uint8_t>(usbSpeed + 1);
}

void SelectDpiLevel(DeviceSettings& s, int level) {
    if (ValidLevel(level) && s.dpiSetEnabled[level] != 0) s.dpiLevel = level;
}

void ToggleDpiLevelEnabled(DeviceSettings& s, int level) {
    if (!ValidLevel(level)) return;
    if (s.dpiSetEnabled[level] == 0) {
        s.dpiSetEnabled[level] = 1;
        return;
    }
    s.dpiSetEnabled[level] = 0;
    if (s.dpiLevel != level) return;
    // The level in use went off: move to the next enabled one upward, wrapping.
    for (int step = 1; step < kDpiLevelCount; ++step) {
        const int next = (level + step) % kDpiLevelCount;
        if (s.dpiSetEnabled[next] == 1) {
            s.dpiLevel = next;
            return;
        }
    }
    // It was the last enabled level: it stays on and in use.
    s.dpiLevel = level;
    s.dpiSetEnabled[level] = 1;
}

void SetDpiValue(DeviceSettings& s, int level, int index) {
    if (ValidLevel(level) && index >= 0 && index < kDpiValueCount) {
        s.dpiSet[level] = static_cast<std::uint8_t>(index);
    }
}

void SetWheelStatus(DeviceSettings& s, int value) {
    if (value == 0 || value == 1) s.wheelStatus = value;
}

void SetLedStatus(DeviceSettings& s, int mode) {
    if (mode >= 0 && mode <= 3) s.ledStatus = static_cast<std::uint8_t>(mode);
}

void SetDpiSpeed(DeviceSettings& s, int step) {
    if (step >= 0 && step <= 9) s.dpiSpeed = static_cast<std::uint8_t>(step);
}

void SetWheelSpeed(DeviceSettings& s, int step) {
    if (step >= 0 && step <= 9) s.wheelSpeed = static_cast<std::uint8_t>(step);
}

void SetFireTimeFromSlider(DeviceSettings& s, int x, int left, int width) {
    if (width <= 0 || x < left || x - left >= width) return;
    s.fireTime = static_cast<std::int32_t>(static_cast<unsigned>(x - left) * kMaxFireTime /
                                           static_cast<unsigned>(width));
}

void IncrementFireTime(DeviceSettings& s) {
    if (s.fireTime < kMaxFireTime) ++s.fireTime;
}

void DecrementFireTime(DeviceSettings& s) {
    if (s.fireTime > 0) --s.fireTime;
}

void SetButtonFunction(DeviceSettings& s, int slot, std::int32_t code) {
    if (slot < 0 || slot >= kButtonCount) return;
    s.buttonFunction[slot] = code;
    EnsureLeftButton(s, slot);
}

void EnsureLeftButton(DeviceSettings& s, int slot) {
    if (slot < 0 || slot >= kButtonCount) return;
    if (std::find(s.buttonFunction.begin(), s.buttonFunction.end(), 1) != s.buttonFunction.end()) {
        return;
    }
    s.buttonFunction[slot == kButtonCount - 1 ? slot : slot + 1] = 1;
}

}  // namespace trq::settings
