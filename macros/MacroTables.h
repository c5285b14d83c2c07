#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

#include "macros/MacroRecord.h"

namespace trq::macros {

inline constexpr int kUserMacroCapacity = 12;
inline constexpr int kConstMacroCapacity = 13;

// The user's macros (function codes 41..52 play records 0..11).
struct UserMacroTable {
    std::array<MacroRecord, kUserMacroCapacity> records{};
    std::int16_t macroCount = 0;  // in use; never above the capacity
    int currentMacro = 0;         // shown on the Advanced page
    std::filesystem::path currentMacroFile;
};

// Macros shipped with the program (function codes 31..38 play records 0..7).
struct ConstMacroTable {
    std::array<MacroRecord, kConstMacroCapacity> records{};
    std::int16_t macroCount = 0;
};

}  // namespace trq::macros
