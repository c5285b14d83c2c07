#pragma once

// What each button function code means: the action byte told to the mouse for the button,
// and what the host does when the mouse reports a press of it.

#include <array>
#include <cstdint>

namespace trq::settings {

enum class HostAction : std::uint8_t {
    None,
    MirrorDpi,         // follow the level the mouse reports (codes 6, 15, 16)
    CycleRate,         // follow the mouse's report-rate switch (code 14)
    Consumer,          // send a consumer-page usage (codes 21..30)
    ConstMacro,        // play constant macro code - 31 once (codes 31..38)
    LaunchCalculator,  // code 39
    LaunchTerminal,    // code 40
    UserMacro,         // play user macro code - 41 (codes 41..52)
};

struct FunctionEntry {
    std::int32_t code;
    std::uint8_t deviceAction;  // 0: the mouse reports presses to the host
    HostAction host;
    std::uint16_t consumerUsage;  // for HostAction::Consumer, else 0
};

inline constexpr std::int32_t kFirstUserMacroCode = 41;
inline constexpr std::int32_t kFirstConstMacroCode = 31;
inline constexpr std::int32_t kLastFunctionCode = 52;

// Entry of every code; codes outside 0..52 (negative ones too) give code 0's entry
// (action 0, no host action) with `code` set to the code asked for.
FunctionEntry LookupFunction(std::int32_t code);

inline std::uint8_t DeviceActionFor(std::int32_t code) {
    return LookupFunction(code).deviceAction;
}
inline HostAction HostActionFor(std::int32_t code) {
    return LookupFunction(code).host;
}
inline std::uint16_t ConsumerUsageFor(std::int32_t code) {
    return LookupFunction(code).consumerUsage;
}

}  // namespace trq::settings
