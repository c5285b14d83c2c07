#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/HidTransport.h"
#include "platform/linux/UdevHotplugWatcher.h"

namespace trq::platform {

// The system's HID devices through hidapi's hidraw backend. Collections are listed by
// hidapi and completed with report lengths from the descriptors in sysfs; a collection
// opened for writing is a hidapi device, one opened for reading the raw hidraw node, so
// reads can wait without polling and be cancelled. Hot-plug events come from udev.
// All calls may come from any thread.
class HidapiTransport final : public device::HidTransport {
  public:
    // `sysfsRoot` is where the kernel's sysfs is mounted.
    explicit HidapiTransport(std::filesystem::path sysfsRoot = "/sys");
    ~HidapiTransport() override;  // stops the hot-plug watch

    HidapiTransport(const HidapiTransport&) = delete;
    HidapiTransport& operator=(const HidapiTransport&) = delete;

    // In hidapi's order. A collection whose report descriptor cannot be read or parsed is
    // still listed, with report lengths 0 (and the reason in LastError()).
    std::vector<device::HidDeviceInfo> Enumerate() override;

    // `path` is a devnode from Enumerate (/dev/hidrawN). Read opens the node itself
    // (read-only); Write opens it through hidapi. nullptr with the reason in LastError()
    // when the path cannot be opened or is no device node.
    std::unique_ptr<device::HidHandle> Open(const std::string& path,
                                            device::OpenMode mode) override;

    // The callback runs on the watcher's thread and must not call WatchHotplug.
    bool WatchHotplug(device::HotplugCallback callback) override;

    std::string LastError() const override;

  private:
    void SetError(const std::string& text);
    std::unique_ptr<device::HidHandle> OpenForReading(const std::string& path);
    std::unique_ptr<device::HidHandle> OpenForWriting(const std::string& path);

    const std::filesystem::path sysfsRoot_;
    mutable std::mutex errorMutex_;
    std::string lastError_;
    UdevHotplugWatcher watcher_;  // last: stopped before the rest goes
};

}  // namespace trq::platform
