#pragma once

// The program's view of the system's HID devices: list the collections, open one for
// reading or writing, send feature reports, read input reports, hear about hot-plug.
// The real backend (hidapi on hidraw, libudev) and the virtual mouse implement it; one
// function picks which (MakeTransport in the program's start-up code).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace trq::device {

// One top-level collection of one HID interface, in the order the system lists them.
struct HidDeviceInfo {
    std::string path;  // the collection's device path; compared without regard to case
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    // Largest input / feature report of this collection in bytes, counting the report-id
    // byte (what Windows reports in HIDP_CAPS); 0 when it has none.
    std::size_t inputReportLength = 0;
    std::size_t featureReportLength = 0;
};

enum class ReadStatus {
    Ok,            // `length` bytes were read, byte 0 is the report id
    Timeout,       // nothing arrived in time
    Cancelled,     // CancelRead was called
    Disconnected,  // the device is gone; every later read says so too
    Error,         // any other failure
};

struct ReadResult {
    ReadStatus status = ReadStatus::Error;
    std::size_t length = 0;
};

// An open collection. Safe to use from two threads at once as long as each of Read,
// SendFeatureReport and CancelRead is called by one thread at a time.
class HidHandle {
  public:
    virtual ~HidHandle() = default;

    // Sends one feature report; report[0] is the report id. Returns false on failure,
    // with the reason in LastError().
    virtual bool SendFeatureReport(std::span<const std::uint8_t> report) = 0;

    // Reads one input report into `buffer` (report id first). A negative timeout blocks
    // until a report arrives, the device goes away or CancelRead is called.
    virtual ReadResult Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) = 0;

    // Makes a blocked Read (and every later one) return Cancelled. Any thread.
    virtual void CancelRead() = 0;

    virtual std::string LastError() const = 0;
};

enum class OpenMode { Read, Write };

enum class HotplugEvent { Arrival, Removal };
// Called on the transport's own thread; keep it short and hand the work over.
using HotplugCallback = std::function<void(HotplugEvent, const std::string& path)>;

class HidTransport {
  public:
    virtual ~HidTransport() = default;

    // Every HID collection present now, in the system's order.
    virtual std::vector<HidDeviceInfo> Enumerate() = 0;

    // Opens a collection; nullptr when it cannot be opened (reason in LastError()).
    virtual std::unique_ptr<HidHandle> Open(const std::string& path, OpenMode mode) = 0;

    // Starts delivering hot-plug events to `callback` (replacing any earlier one); an
    // empty callback stops them. Returns false when this transport cannot watch.
    virtual bool WatchHotplug(HotplugCallback callback) = 0;

    virtual std::string LastError() const = 0;
};

}  // namespace trq::device
