#pragma once

// The key tables: keyboard usage IDs (in memory and on the wire) against the virtual-key
// codes stored in macro files, and the display name of each step code.

#include <cstdint>
#include <string_view>

namespace trq::macros {

// A value the pair table does not list translates to itself.
std::uint8_t VirtualKeyToUsage(std::uint8_t virtualKey);
std::uint8_t UsageToVirtualKey(std::uint8_t usage);

// Display text of a step code ("A", "RETURN", "L-KEY", ...); "NON-AVAILABLE" when unnamed.
std::string_view KeyName(std::uint8_t code);

}  // namespace trq::macros
