#pragma once

// One macro: a name and up to 255 key or mouse-button steps with a delay after each.
// The layout is fixed to the byte (it is also the byte order of a macro file value):
//   0     40 bytes  name, UTF-16LE, zero-terminated (at most 19 characters)
//   40    1         repeatMode (0 once, nonzero: repeatCount times)
//   41    2         repeatCount, little-endian
//   43    1         stepCount, 0..254
//   44    255 x 2   keys: step i = (code, action) at 44 + 2i
//   554   255 x 2   delays: step i = delayMs little-endian at 554 + 2i
// A step code is a keyboard usage ID, or 240/241/242 for the left/right/middle button;
// the action is 1 (down) or 2 (up). Slots at stepCount and above may hold stale data and
// are kept as they are.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trq::macros {

inline constexpr int kMaxSteps = 255;
inline constexpr int kNameUnits = 20;  // 19 characters and the terminating zero
inline constexpr std::uint16_t kDefaultStepDelay = 30;

inline constexpr std::uint8_t kCodeLeftButton = 240;
inline constexpr std::uint8_t kCodeRightButton = 241;
inline constexpr std::uint8_t kCodeMiddleButton = 242;
inline constexpr std::uint8_t kActionDown = 1;
inline constexpr std::uint8_t kActionUp = 2;

struct MacroKey {
    std::uint8_t code;
    std::uint8_t action;

    friend bool operator==(const MacroKey&, const MacroKey&) = default;
};

struct MacroRecord {
    std::array<std::uint8_t, 2 * kNameUnits> name;
    std::uint8_t repeatMode;
    std::array<std::uint8_t, 2> repeatCount;
    std::uint8_t stepCount;
    std::array<MacroKey, kMaxSteps> keys;
    std::array<std::array<std::uint8_t, 2>, kMaxSteps> delays;

    friend bool operator==(const MacroRecord&, const MacroRecord&) = default;
};

static_assert(sizeof(MacroRecord) == 1064, "MacroRecord must be exactly 1064 bytes");
static_assert(alignof(MacroRecord) == 1);
static_assert(offsetof(MacroRecord, repeatMode) == 40);
static_assert(offsetof(MacroRecord, repeatCount) == 41);
static_assert(offsetof(MacroRecord, stepCount) == 43);
static_assert(offsetof(MacroRecord, keys) == 44);
static_assert(offsetof(MacroRecord, delays) == 554);

// All zero bytes.
MacroRecord EmptyMacro();

// The name up to its terminating zero (or all 20 units when a file left none).
std::u16string MacroName(const MacroRecord& record);
// Stores at most 19 UTF-16 units (never half of a surrogate pair) and zero-fills the rest.
void SetMacroName(MacroRecord& record, std::u16string_view name);

std::uint16_t RepeatCount(const MacroRecord& record);
void SetRepeatCount(MacroRecord& record, std::uint16_t count);
// Step slot i, 0..254; slots outside that range read as 0 and are not written.
std::uint16_t StepDelay(const MacroRecord& record, int slot);
void SetStepDelay(MacroRecord& record, int slot, std::uint16_t delayMs);

// The record's bytes in layout order, and back.
std::array<std::uint8_t, sizeof(MacroRecord)> RecordBytes(const MacroRecord& record);
MacroRecord RecordFromBytes(const std::array<std::uint8_t, sizeof(MacroRecord)>& bytes);

}  // namespace trq::macros
