#pragma once

#include <memory>

#include "device/HidTransport.h"

namespace trq::platform {

// The transport to this system's real HID devices (on Linux: hidraw through hidapi, hot-plug
// through udev). Never null; a transport that cannot reach the devices reports it through its
// calls.
std::unique_ptr<device::HidTransport> MakeSystemHidTransport();

}  // namespace trq::platform
