#include "device/DeviceLink.h"

#include <algorithm>

namespace trq::device {
namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsMouse(const HidDeviceInfo& info) {
    return info.vendorId == kVendorId && info.productId == kProductId;
}

CollectionId CollectionOf(const HidDeviceInfo& info) {
    return {info.usagePage, info.usage};
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

DeviceLink::DeviceLink(HidTransport& transport) : transport_(transport) {}

HandleSlot DeviceLink::OpenSlot(const HidDeviceInfo& info, OpenMode mode,
                                std::size_t reportLength) {
    HandleSlot slot;
    slot.handle = transport_.Open(info.path, mode);
    slot.state = slot.handle ? SlotState::Open : SlotState::OpenFailed;
    slot.reportLength = std::min(reportLength, kReportBufferSize);
    return slot;
}

bool DeviceLink::FindMouse() {
    std::lock_guard search(searchMutex_);
    return Search();
}

bool DeviceLink::Search() {
    const std::vector<HidDeviceInfo> list = transport_.Enumerate();
    const std::size_t count = std::min(list.size(), kMaxSearchIndices);
    bool openedRead = false;
    bool openedWrite = false;
    bool present = false;
    for (std::size_t index = 0; index < count; ++index) {
        const HidDeviceInfo& info = list[index];
        present = false;
        if (!IsMouse(info)) continue;
        present = true;
        {
            std::lock_guard lock(mutex_);
            devicePath_ = info.path;
        }
        if (CollectionOf(info) == kReadCollection) {
            HandleSlot slot = OpenSlot(info, OpenMode::Read, info.inputReportLength);
            std::lock_guard lock(mutex_);
            read_ = std::move(slot);
            openedRead = true;
            readSlotChanged_.notify_all();
        }
        if (CollectionOf(info) == kWriteCollection) {
            HandleSlot slot = OpenSlot(info, OpenMode::Write, info.featureReportLength);
            std::lock_guard lock(mutex_);
            write_ = std::move(slot);
            openedWrite = true;
        }
        // Slots left by an earlier search do not count: after a re-plug they hold the dead
        // handles of the old device, and stopping early would keep one of them.
        if (openedRead && openedWrite) break;
    }
    std::lock_guard lock(mutex_);
    devicePresent_ = present;
    return present;
}

bool DeviceLink::OnDeviceRemoved(const std::string& path) {
    std::lock_guard search(searchMutex_);
    std::lock_guard lock(mutex_);
    if (devicePath_.empty() || !SamePath(path, devicePath_)) return false;
    devicePresent_ = false;
    return true;
}

bool DeviceLink::OnDeviceArrival(const std::string& path) {
    std::lock_guard search(searchMutex_);
    {
        std::lock_guard lock(mutex_);
        if (devicePath_.empty() || devicePresent_ || !SamePath(path, devicePath_)) return false;
    }
    return Search();
}

bool DeviceLink::DevicePresent() const {
    std::lock_guard lock(mutex_);
    return devicePresent_;
}

std::string DeviceLink::DevicePath() const {
    std::lock_guard lock(mutex_);
    return devicePath_;
}

HandleSlot DeviceLink::ReadSlot() const {
    std::lock_guard lock(mutex_);
    return read_;
}

HandleSlot DeviceLink::WriteSlot() const {
    std::lock_guard lock(mutex_);
    return write_;
}

std::shared_ptr<HidHandle> DeviceLink::WaitForReadHandle(std::stop_token stop,
                                                         const HidHandle* stale) {
    std::unique_lock lock(mutex_);
    const bool ready = readSlotChanged_.wait(
        lock, stop, [&] { return read_.state == SlotState::Open && read_.handle.get() != stale; });
    return ready ? read_.handle : nullptr;
}

}  // namespace trq::device
