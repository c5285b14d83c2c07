#include "platform/linux/FdWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace trq::platform {

FdWatcher::FdWatcher(int fd, std::function<void()> onReadable)
    : fd_(fd), wake_(::eventfd(0, EFD_CLOEXEC)), onReadable_(std::move(onReadable)) {
    if (wake_ >= 0) thread_ = std::thread([this] { Run(); });
}

FdWatcher::~FdWatcher() {
    if (wake_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    thread_.join();
    ::close(wake_);
}

void FdWatcher::Run() {
    for (;;) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents & (POLLERR | POLLNVAL)) return;
        if (fds[0].revents != 0) onReadable_();
    }
}

}  // namespace trq::platform
