#pragma once

// Finds the mouse among the system's HID collections, keeps the two vendor collections it
// talks through, and follows the mouse's removal and arrival.

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>

#include "device/HidTransport.h"
#include "device/MouseProtocol.h"

namespace trq::device {

// At most this many collections of the system's list are looked at by one search.
inline constexpr std::size_t kMaxSearchIndices = 100;

enum class SlotState {
    NotAttempted,  // no open was tried for this collection yet
    OpenFailed,    // the last open failed: reads and sends are skipped
    Open,
};

// One of the two collections as the last search left it.
struct HandleSlot {
    SlotState state = SlotState::NotAttempted;
    std::shared_ptr<HidHandle> handle;  // set only when state is Open
    // The read collection's input-report length, or the write collection's feature-report
    // length (both count the report id and are cut to kReportBufferSize).
    std::size_t reportLength = 0;
};

// Thread-safe: the window thread searches and handles hot-plug events while the reader and
// the sender threads take handles. Handles are shared, so one taken by a thread stays
// usable (or cleanly dead) while a later search replaces the slot.
class DeviceLink {
  public:
    // `transport` must outlive the link.
    explicit DeviceLink(HidTransport& transport);

    // Searches the first kMaxSearchIndices collections of the transport's list, in its order.
    // For each: devicePresent is cleared; a collection with the mouse's vendor and product id
    // sets it again and becomes devicePath; the read / write collection among them is opened
    // into its slot (a failed open marks the slot OpenFailed). Slots are not cleared first.
    // The search stops once this search has filled both slots, and returns devicePresent —
    // so when the indices run out first, the result is what the last listed collection gave.
    bool FindMouse();

    // A removal notification: true (and devicePresent cleared) when `path` is devicePath
    // regardless of ASCII letter case; the caller then shuts the program down. Handles are
    // left in their slots.
    bool OnDeviceRemoved(const std::string& path);

    // An arrival notification: when `path` is devicePath (ASCII case ignored) and the mouse is
    // not present, searches again. True when that search found the mouse.
    bool OnDeviceArrival(const std::string& path);

    bool DevicePresent() const;
    std::string DevicePath() const;  // empty until a collection of the mouse was listed

    HandleSlot ReadSlot() const;
    HandleSlot WriteSlot() const;

    // Blocks until the read slot holds an open handle other than `stale` and returns it;
    // nullptr once `stop` is requested. A reader passes the handle it still holds whose reads
    // said Disconnected (or nullptr at first) and so waits for the next search instead of
    // polling.
    std::shared_ptr<HidHandle> WaitForReadHandle(std::stop_token stop,
                                                 const HidHandle* stale = nullptr);

  private:
    bool Search();  // FindMouse with searchMutex_ held
    HandleSlot OpenSlot(const HidDeviceInfo& info, OpenMode mode, std::size_t reportLength);

    HidTransport& transport_;
    std::mutex searchMutex_;  // one search or hot-plug handler at a time

    mutable std::mutex mutex_;  // guards everything below
    std::condition_variable_any readSlotChanged_;
    HandleSlot read_;
    HandleSlot write_;
    std::string devicePath_;
    bool devicePresent_ = false;
};

// ASCII-only case-insensitive comparison, as device paths are compared.
bool SamePath(const std::string& a, const std::string& b);

}  // namespace trq::device
