#pragma once

// Text front ends of the virtual mouse: the trace file's lines and the control commands.

#include <string>
#include <string_view>

#include "device/VirtualMouse.h"

namespace trq::device {

// "12.345 feature 07 10 01 01 00 00 00 00": milliseconds since the mouse started, the
// direction, every byte as two lowercase hex digits.
std::string FormatTraceLine(const VirtualMouse::Record& record);

// Acts on one control line: "press ID", "release ID", "input HEX...", "unplug", "plug",
// "unplug quiet" (no hot-plug event, as on a system without udev), "refuse on" / "refuse
// off" (feature reports fail while on).
// Returns an empty text when done, else why the line was not understood.
std::string RunControlLine(VirtualMouse& mouse, std::string_view line);

}  // namespace trq::device
