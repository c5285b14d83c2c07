#include "settings/FunctionTable.h"

namespace trq::settings {
namespace {

using enum HostAction;

// Code, action byte told to the mouse, host action, consumer usage.
constexpr std::array<FunctionEntry, kLastFunctionCode + 1> kFunctions{{
    {0, 0, None, 0},
    {1, 1, None, 0},  // mouse buttons 1..5
    {2, 2, None, 0},
    {3, 3, None, 0},
    {4, 4, None, 0},
    {5, 5, None, 0},
    {6, 6, MirrorDpi, 0},
    {7, 0, None, 0},  // 7..10 are menu captions, never assigned
    {8, 0, None, 0},
    {9, 0, None, 0},
    {10, 0, None, 0},
    {11, 7, None, 0},  // mouse functions 7..9
    {12, 8, None, 0},
    {13, 9, None, 0},
    {14, 10, CycleRate, 0},
    {15, 11, MirrorDpi, 0},
    {16, 12, MirrorDpi, 0},
    {17, 13, None, 0},
    {18, 0, None, 0},
    {19, 0, None, 0},
    {20, 0, None, 0},
    {21, 0, Consumer, 0x0223},  // AC Home
    {22, 0, Consumer, 0x0183},  // AL Consumer Control Configuration
    {23, 0, Consumer, 0x018A},  // AL Email Reader
    {24, 0, Consumer, 0x00E9},  // Volume Increment
    {25, 0, Consumer, 0x00EA},  // Volume Decrement
    {26, 0, Consumer, 0x00B6},  // Scan Previous Track
    {27, 0, Consumer, 0x00B5},  // Scan Next Track
    {28, 0, Consumer, 0x00E2},  // Mute
    {29, 0, Consumer, 0x00CD},  // Play/Pause
    {30, 0, Consumer, 0x0192},  // AL Calculator
    {31, 0, ConstMacro, 0},
    {32, 0, ConstMacro, 0},
    {33, 0, ConstMacro, 0},
    {34, 0, ConstMacro, 0},
    {35, 0, ConstMacro, 0},
    {36, 0, ConstMacro, 0},
    {37, 0, ConstMacro, 0},
    {38, 0, ConstMacro, 0},
    {39, 0, LaunchCalculator, 0},
    {40, 0, LaunchTerminal, 0},
    {41, 0, UserMacro, 0},
    {42, 0, UserMacro, 0},
    {43, 0, UserMacro, 0},
    {44, 0, UserMacro, 0},
    {45, 0, UserMacro, 0},
    {46, 0, UserMacro, 0},
    {47, 0, UserMacro, 0},
    {48, 0, UserMacro, 0},
    {49, 0, UserMacro, 0},
    {50, 0, UserMacro, 0},
    {51, 0, UserMacro, 0},
    {52, 0, UserMacro, 0},
}};

constexpr bool CodesMatchIndexes() {
    for (std::size_t i = 0; i < kFunctions.size(); ++i) {
        if (kFunctions[i].code != static_cast<std::int32_t>(i)) return false;
    }
    return true;
}
static_assert(CodesMatchIndexes());

}  // namespace

FunctionEntry LookupFunction(std::int32_t code) {
    if (code < 0 || code > kLastFunctionCode) return {code, 0, None, 0};
    return kFunctions[static_cast<std::size_t>(code)];
}

}  // namespace trq::settings
