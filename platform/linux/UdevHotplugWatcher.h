#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "device/HidTransport.h"

struct udev;
struct udev_monitor;

namespace trq::platform {

// Hears hidraw nodes come and go (through udev, once their permissions are set) on a
// thread of its own, which sleeps in poll() until an event or Stop arrives.
class UdevHotplugWatcher {
  public:
    // `onError` receives the reason when the watching thread has to give up; it is called
    // on that thread.
    explicit UdevHotplugWatcher(std::function<void(const std::string&)> onError);
    ~UdevHotplugWatcher();  // Stop()

    UdevHotplugWatcher(const UdevHotplugWatcher&) = delete;
    UdevHotplugWatcher& operator=(const UdevHotplugWatcher&) = delete;

    // Delivers Arrival and Removal with the devnode (/dev/hidrawN) to `callback`, replacing
    // any earlier callback; once Start returns the earlier one is no longer called. A watch
    // that gave up on an error is started afresh. Returns false with the reason in `error`
    // when udev cannot be watched, or when called from the callback itself (which must not
    // call Start or Stop).
    bool Start(device::HotplugCallback callback, std::string& error);

    // Ends the thread and waits for it; no callback runs after it returns. A no-op when not
    // started, and (returning false) when called from the callback.
    bool Stop();

  private:
    void Run();
    void Join();     // the thread, which has been told to end or has given up
    void Release();  // the udev objects, the wake-up event and the callback
    void GiveUp(const std::string& why);
    bool OnWatcherThread() const;

    std::function<void(const std::string&)> onError_;
    std::mutex controlMutex_;  // Start and Stop
    std::thread thread_;
    std::atomic<std::thread::id> watcherThread_{};  // set by the thread itself
    std::atomic<bool> gaveUp_{false};               // the thread ended on an error
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    int wakeFd_ = -1;

    std::mutex callbackMutex_;  // held while the callback runs
    device::HotplugCallback callback_;
};

}  // namespace trq::platform
