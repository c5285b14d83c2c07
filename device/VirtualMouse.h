#pragma once

// A transport with one virtual mouse on it, which behaves towards the program like the real
// one: its two vendor collections, the button map and DPI levels it is told, input report 6
// for button presses, unplugging and plugging in again. It records all traffic, so tests and
// traces can check the reports byte for byte.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/HidTransport.h"

namespace trq::device {

// Thread-safe throughout: the program's threads read and send while a test thread presses
// buttons or unplugs the mouse. Handles may outlive the mouse; they are dead from then on.
class VirtualMouse : public HidTransport {
  public:
    static constexpr const char* kInputPath = "virtual:trq-gmouse/0";    // 0xFF00/1
    static constexpr const char* kFeaturePath = "virtual:trq-gmouse/1";  // 0xFF01/1
    // Both the input and the feature report are 8 bytes with the report id.
    static constexpr std::size_t kReportLength = 8;
    // Input reports waiting per read handle; the oldest is dropped beyond that.
    static constexpr std::size_t kQueueLimit = 64;
    // Records kept by default; the oldest is dropped beyond that, so a long run stays small.
    static constexpr std::size_t kDefaultHistoryLimit = 4096;

    enum class Direction {
        Feature,  // a feature report the mouse received
        Input,    // an input report the mouse emitted
    };
    struct Record {
        Direction direction;
        std::chrono::nanoseconds at;  // steady time since the mouse was created
        std::vector<std::uint8_t> bytes;
    };
    // Called once per record, in log order, on the thread that sent or emitted the report,
    // with no lock of the mouse's state held. It may read the mouse (Records, ButtonAction
    // ...) but must not send, press, release or emit, which would deadlock.
    using Observer = std::function<void(const Record&)>;

    // Keeps the last `historyLimit` records (at least one) for Records().
    explicit VirtualMouse(std::size_t historyLimit = kDefaultHistoryLimit);
    ~VirtualMouse() override;
    VirtualMouse(const VirtualMouse&) = delete;
    VirtualMouse& operator=(const VirtualMouse&) = delete;

    // --- HidTransport ---
    // The two collections while plugged in; nothing while unplugged.
    std::vector<HidDeviceInfo> Enumerate() override;
    // Either path in either mode while plugged in; nullptr otherwise. Only read-mode handles
    // on kInputPath receive input reports (from the moment they are opened); only handles on
    // kFeaturePath take feature reports, of exactly kReportLength bytes with report id 7.
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenMode mode) override;
    // Removal / Arrival for both paths, delivered on the thread calling Unplug / Plug. The
    // callback must not call Unplug or Plug.
    bool WatchHotplug(HotplugCallback callback) override;
    std::string LastError() const override;

    // --- The user at the mouse ---
    // Presses / releases hardware button `hardwareId` (1..15) and emits what the mouse
    // would, by the device action CMD_BUTTON_MAP last gave the button:
    //   0           press: 06 (240 + id) 01, release: 06 (240 + id) 80
    //   6, 11, 12   press steps the current DPI level through the enabled ones (6: upward,
    //               wrapping from 3 to 0; 11: upward, staying at the top; 12: downward,
    //               staying at the bottom) and emits 06 (240 + id) <new level>; release: none
    //   10          press: 06 (240 + id) 01; release: none
    //   any other   nothing (the firmware acts on its own)
    // A button never mapped emits nothing: what the firmware does for it is unknown. Returns
    // true when a report was emitted; false also while unplugged or for an id out of range.
    bool Press(std::uint8_t hardwareId);
    bool Release(std::uint8_t hardwareId);
    // Emits any input report as it is (report id first). False while unplugged.
    bool EmitInput(std::span<const std::uint8_t> report);
    // While on, every feature report is refused (the send fails), as by a mouse that stopped
    // answering; nothing is recorded or kept.
    void RefuseFeatureReports(bool refuse);

    // Unplugging kills every open handle for good (reads say Disconnected, sends fail);
    // plugging in again makes a new device that needs new handles. The button map and DPI
    // state survive, as the mouse keeps them. Repeated calls change nothing. With
    // `announce` false no hot-plug event is sent, as on a system without udev events.
    void Unplug(bool announce = true);
    void Plug();
    bool IsPlugged() const;

    // --- What the mouse was told (CMD_BUTTON_MAP, CMD_DPI_LEVEL) ---
    std::optional<std::uint8_t> ButtonAction(std::uint8_t hardwareId) const;
    int CurrentLevel() const;         // 0 until told otherwise
    std::uint8_t EnableMask() const;  // bit n: level n enabled; 0x0F until told otherwise
    std::optional<std::uint8_t> DpiCode(int level) const;

    // --- The log ---
    // The records kept (the last historyLimit ones), in order.
    std::vector<Record> Records() const;
    // The bytes of every feature report kept, in order.
    std::vector<std::vector<std::uint8_t>> FeatureReports() const;
    // Records made since the mouse was created or last cleared, kept or not.
    std::size_t RecordCount() const;
    // Waits until RecordCount() is at least `count`; false on timeout.
    bool WaitForRecords(std::size_t count, std::chrono::milliseconds timeout) const;
    void ClearRecords();
    void SetObserver(Observer observer);

    struct Core;  // shared with the handles

  private:
    std::shared_ptr<Core> core_;
};

}  // namespace trq::device
