#include "macros/MacroRecord.h"

#include <algorithm>
#include <bit>

namespace trq::macros {
namespace {

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsSlot(int slot) {
    return slot >= 0 && slot < kMaxSteps;
}

}  // namespace

MacroRecord EmptyMacro() {
    return std::bit_cast<MacroRecord>(std::array<std::uint8_t, sizeof(MacroRecord)>{});
}

std::u16string MacroName(const MacroRecord& record) {
    std::u16string name;
    for (int i = 0; i < kNameUnits; ++i) {
        const auto unit = static_cast<char16_t>(record.name[2 * i] | record.name[2 * i + 1] << 8);
        if (unit == 0) break;
        name.push_back(unit);
    }
    return name;
}

void SetMacroName(MacroRecord& record, std::u16string_view name) {
    std::size_t units = std::min<std::size_t>(name.size(), kNameUnits - 1);
    // Cutting between the halves of a pair would leave a lone high surrogate.
    if (units < name.size() && units > 0 && IsHighSurrogate(name[units - 1])) --units;
    record.name.fill(0);
    for (std::size_t i = 0; i < units; ++i) {
        record.name[2 * i] = static_cast<std::uint8_t>(name[i] & 0xFF);
        record.name[2 * i + 1] = static_cast<std::uint8_t>(name[i] >> 8);
    }
}

std::uint16_t RepeatCount(const MacroRecord& record) {
    return static_cast<std::uint16_t>(record.repeatCount[0] | record.repeatCount[1] << 8);
}

void SetRepeatCount(MacroRecord& record, std::uint16_t count) {
    record.repeatCount = {static_cast<std::uint8_t>(count & 0xFF),
                          static_cast<std::uint8_t>(count >> 8)};
}

std::uint16_t StepDelay(const MacroRecord& record, int slot) {
    if (!IsSlot(slot)) return 0;
    const auto& delay = record.delays[static_cast<std::size_t>(slot)];
    return static_cast<std::uint16_t>(delay[0] | delay[1] << 8);
}

void SetStepDelay(MacroRecord& record, int slot, std::uint16_t delayMs) {
    if (!IsSlot(slot)) return;
    record.delays[static_cast<std::size_t>(slot)] = {static_cast<std::uint8_t>(delayMs & 0xFF),
                                                     static_cast<std::uint8_t>(delayMs >> 8)};
}

std::array<std::uint8_t, sizeof(MacroRecord)> RecordBytes(const MacroRecord& record) {
    return std::bit_cast<std::array<std::uint8_t, sizeof(MacroRecord)>>(record);
}

MacroRecord RecordFromBytes(const std::array<std::uint8_t, sizeof(MacroRecord)>& bytes) {
    return std::bit_cast<MacroRecord>(bytes);
}

}  // namespace trq::macros
