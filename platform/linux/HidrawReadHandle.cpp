#include "platform/linux/HidrawReadHandle.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <mutex>

#include "platform/linux/SystemError.h"

namespace trq::platform {
namespace {

using device::ReadResult;
using device::ReadStatus;

constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours{24 * 365};

class HidrawReadHandle final : public device::HidHandle {
  public:
    HidrawReadHandle(int fd, int cancelFd, bool numberedReports)
        : fd_(fd), cancelFd_(cancelFd), numberedReports_(numberedReports) {}

    ~HidrawReadHandle() override {
        ::close(fd_);
        ::close(cancelFd_);
    }

    HidrawReadHandle(const HidrawReadHandle&) = delete;
    HidrawReadHandle& operator=(const HidrawReadHandle&) = delete;

    bool SendFeatureReport(std::span<const std::uint8_t>) override {
        SetError("this handle was opened for reading");
        return false;
    }

    ReadResult Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        if (cancelled_.load()) return {ReadStatus::Cancelled, 0};
        if (disconnected_.load()) return {ReadStatus::Disconnected, 0};
        const std::size_t prefix = numberedReports_ ? 0 : 1;
        if (buffer.size() <= prefix) {
            SetError("read buffer too small");
            return {ReadStatus::Error, 0};
        }

        using Clock = std::chrono::steady_clock;
        const bool forever = timeout.count() < 0;
        // A year is as good as forever and keeps the deadline far from overflowing.
        const Clock::time_point deadline =
            Clock::now() + (forever ? Clock::duration{} : std::min(timeout, kLongestWait));
        for (;;) {
            int waitMs = -1;
            if (!forever) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
                waitMs = static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
            }
            pollfd fds[2] = {{fd_, POLLIN, 0}, {cancelFd_, POLLIN, 0}};
            const int ready = ::poll(fds, 2, waitMs);
            if (ready < 0) {
                if (errno == EINTR) continue;
                SetError(SystemErrorText("poll", errno));
                return {ReadStatus::Error, 0};
            }
            // The cancel event is never drained, so every later read ends here too.
            if (fds[1].revents != 0 || cancelled_.load()) return {ReadStatus::Cancelled, 0};
            if (ready == 0) return {ReadStatus::Timeout, 0};
            if (fds[0].revents & POLLNVAL) {
                SetError("the device handle is not open");
                return {ReadStatus::Error, 0};
            }
            // Reports still queued are read before a hang-up is reported.
            if ((fds[0].revents & POLLIN) == 0) return Disconnected("the device was removed");

            const ssize_t got = ::read(fd_, buffer.data() + prefix, buffer.size() - prefix);
            if (got > 0) {
                if (prefix != 0) buffer[0] = 0;
                return {ReadStatus::Ok, static_cast<std::size_t>(got) + prefix};
            }
            if (got == 0) {
                SetError("the device returned an empty report");
                return {ReadStatus::Error, 0};
            }
            const int error = errno;
            if (error == EAGAIN || error == EINTR) continue;
            if (error == ENODEV || error == EIO || error == ENXIO) {
                return Disconnected(SystemErrorText("read", error));
            }
            SetError(SystemErrorText("read", error));
            return {ReadStatus::Error, 0};
        }
    }

    void CancelRead() override {
        cancelled_.store(true);
        const std::uint64_t one = 1;
        // Only fails when the counter is about to overflow, and then it is readable anyway.
        [[maybe_unused]] const ssize_t written = ::write(cancelFd_, &one, sizeof one);
    }

    std::string LastError() const override {
        const std::lock_guard lock(errorMutex_);
        return lastError_;
    }

  private:
    ReadResult Disconnected(const std::string& why) {
        disconnected_.store(true);
        SetError(why);
        return {ReadStatus::Disconnected, 0};
    }

    void SetError(const std::string& text) {
        const std::lock_guard lock(errorMutex_);
        lastError_ = text;
    }

    const int fd_;
    const int cancelFd_;
    const bool numberedReports_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> disconnected_{false};
    mutable std::mutex errorMutex_;
    std::string lastError_;
};

}  // namespace

std::unique_ptr<device::HidHandle> MakeHidrawReadHandle(int fd, bool numberedReports,
                                                        std::string& error) {
    const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd < 0) {
        error = SystemErrorText("eventfd", errno);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<HidrawReadHandle>(fd, cancelFd, numberedReports);
}

}  // namespace trq::platform
