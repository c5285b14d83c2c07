#pragma once

#include <memory>
#include <string>

#include "device/HidTransport.h"

namespace trq::platform {

// A handle that reads input reports from the open hidraw node `fd` (taking ownership of
// it; it should be non-blocking). A read waits in poll() on the node and on a cancel
// event, so it costs nothing while the device is quiet. When `numberedReports` is false
// the device's reports carry no id and each read puts a 0 before the data, as callers
// expect byte 0 to be the id. Sending feature reports through it fails. Returns nullptr
// with the reason in `error` when the cancel event cannot be made (fd is closed then).
std::unique_ptr<device::HidHandle> MakeHidrawReadHandle(int fd, bool numberedReports,
                                                        std::string& error);

}  // namespace trq::platform
