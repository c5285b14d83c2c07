#include "platform/TerminationSignals.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace trq::platform {
namespace {

class SignalFdWatcher final : public TerminationSignals {
public:
    SignalFdWatcher(int signals, int wake, sigset_t blocked, std::function<void(int)> handler)
        : signals_(signals), wake_(wake), blocked_(blocked), handler_(std::move(handler)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~SignalFdWatcher() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
        thread_.join();
        ::close(signals_);
        ::close(wake_);
        ::pthread_sigmask(SIG_UNBLOCK, &blocked_, nullptr);
    }
    SignalFdWatcher(const SignalFdWatcher&) = delete;
    SignalFdWatcher& operator=(const SignalFdWatcher&) = delete;

private:
    void Run() {
        for (;;) {
            pollfd fds[2] = {{signals_, POLLIN, 0}, {wake_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents != 0) return;
            signalfd_siginfo info{};
            if (::read(signals_, &info, sizeof info) == sizeof info) {
                handler_(static_cast<int>(info.ssi_signo));
            }
        }
    }

    int signals_;
    int wake_;
    sigset_t blocked_;
    std::function<void(int)> handler_;
    std::thread thread_;
};

}  // namespace

std::unique_ptr<TerminationSignals> CatchTerminationSignals(std::function<void(int)> handler) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return nullptr;
    const int signals = ::signalfd(-1, &set, SFD_CLOEXEC);
    const int wake = ::eventfd(0, EFD_CLOEXEC);
    if (signals < 0 || wake < 0) {
        if (signals >= 0) ::close(signals);
        if (wake >= 0) ::close(wake);
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return nullptr;
    }
    return std::make_unique<SignalFdWatcher>(signals, wake, set, std::move(handler));
}

}  // namespace trq::platform
