#include "platform/linux/UdevHotplugWatcher.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/linux/SystemError.h"

namespace trq::platform {

UdevHotplugWatcher::UdevHotplugWatcher(std::function<void(const std::string&)> onError)
    : onError_(std::move(onError)) {}

UdevHotplugWatcher::~UdevHotplugWatcher() {
    Stop();
}

bool UdevHotplugWatcher::Start(device::HotplugCallback callback, std::string& error) {
    if (OnWatcherThread()) {
        error = "the hot-plug callback cannot change the hot-plug callback";
        return false;
    }
    const std::lock_guard control(controlMutex_);
    if (thread_.joinable() && !gaveUp_.load()) {
        const std::lock_guard lock(callbackMutex_);
        callback_ = std::move(callback);
        return true;
    }
    if (thread_.joinable()) Join();  // it gave up: start afresh

    udev_ = udev_new();
    if (udev_ == nullptr) {
        error = "cannot create a udev context";
        return false;
    }
    // "udev" rather than "kernel" events: they come once the node's permissions are set.
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    int result = monitor_ == nullptr ? -1 : 0;
    if (result == 0)
        result = udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr);
    if (result == 0) result = udev_monitor_enable_receiving(monitor_);
    if (result == 0) {
        wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd_ < 0) result = -errno;
    }
    if (result != 0) {
        error = monitor_ == nullptr
                    ? "cannot create a udev monitor"
                    : SystemErrorText("cannot watch udev for hidraw devices", -result);
        Release();
        return false;
    }

    {
        const std::lock_guard lock(callbackMutex_);
        callback_ = std::move(callback);
    }
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        error = std::string("cannot start the hot-plug thread: ") + e.what();
        Release();
        return false;
    }
    return true;
}

void UdevHotplugWatcher::Release() {
    if (wakeFd_ >= 0) ::close(wakeFd_);
    wakeFd_ = -1;
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    if (udev_ != nullptr) udev_unref(udev_);
    udev_ = nullptr;
    const std::lock_guard lock(callbackMutex_);
    callback_ = nullptr;
}

bool UdevHotplugWatcher::Stop() {
    if (OnWatcherThread()) return false;
    const std::lock_guard control(controlMutex_);
    if (!thread_.joinable()) return true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    Join();
    return true;
}

void UdevHotplugWatcher::Join() {
    thread_.join();
    watcherThread_.store(std::thread::id{});
    gaveUp_.store(false);
    Release();
}

void UdevHotplugWatcher::GiveUp(const std::string& why) {
    gaveUp_.store(true);
    if (onError_) onError_(why);
}

bool UdevHotplugWatcher::OnWatcherThread() const {
    return watcherThread_.load() == std::this_thread::get_id();
}

void UdevHotplugWatcher::Run() {
    watcherThread_.store(std::this_thread::get_id());
    const int monitorFd = udev_monitor_get_fd(monitor_);
    for (;;) {
        pollfd fds[2] = {{monitorFd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR || errno == ENOMEM) continue;
            GiveUp(SystemErrorText("hot-plug watch stopped: poll", errno));
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents & POLLNVAL) {
            GiveUp("hot-plug watch stopped: the udev monitor closed");
            return;
        }
        if (fds[0].revents == 0) continue;

        // Returns null for messages it filters out or cannot read; the next poll goes on.
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (device == nullptr) continue;
        const char* action = udev_device_get_action(device);
        const char* devnode = udev_device_get_devnode(device);
        std::optional<device::HotplugEvent> event;
        if (action != nullptr && std::strcmp(action, "add") == 0) {
            event = device::HotplugEvent::Arrival;
        } else if (action != nullptr && std::strcmp(action, "remove") == 0) {
            event = device::HotplugEvent::Removal;
        }
        if (event && devnode != nullptr) {
            const std::string path(devnode);
            const std::lock_guard lock(callbackMutex_);
            try {
                if (callback_) callback_(*event, path);
            } catch (const std::exception& e) {
                if (onError_) onError_(std::string("the hot-plug callback failed: ") + e.what());
            } catch (...) {
                if (onError_) onError_("the hot-plug callback failed");
            }
        }
        udev_device_unref(device);
    }
}

}  // namespace trq::platform
