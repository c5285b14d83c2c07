#include "platform/TerminationSignals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <optional>

#include "platform/linux/FdWatcher.h"

namespace trq::platform {
namespace {

class SignalFdWatcher final : public TerminationSignals {
  public:
    SignalFdWatcher(int signals, sigset_t blocked, std::function<void(int)> handler)
        : signals_(signals), blocked_(blocked), handler_(std::move(handler)) {
        watcher_.emplace(signals_, [this] {
            signalfd_siginfo info{};
            if (::read(signals_, &info, sizeof info) == sizeof info) {
                handler_(static_cast<int>(info.ssi_signo));
            }
        });
    }
    ~SignalFdWatcher() override {
        watcher_.reset();
        ::close(signals_);
        // A SIGPIPE of a failed write on this thread is still pending; unblocked, it would
        // end the process after all. The program is past its way out: drop what is pending.
        const timespec none{};
        while (::sigtimedwait(&blocked_, nullptr, &none) > 0) {
        }
        ::pthread_sigmask(SIG_UNBLOCK, &blocked_, nullptr);
    }
    SignalFdWatcher(const SignalFdWatcher&) = delete;
    SignalFdWatcher& operator=(const SignalFdWatcher&) = delete;

    bool ok() const { return watcher_ && watcher_->ok(); }

  private:
    int signals_;
    sigset_t blocked_;
    std::function<void(int)> handler_;
    std::optional<FdWatcher> watcher_;
};

}  // namespace

std::unique_ptr<TerminationSignals> CatchTerminationSignals(std::function<void(int)> handler) {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        sigaddset(&set, signal);
    }
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return nullptr;
    const int signals = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals < 0) {
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return nullptr;
    }
    auto watcher = std::make_unique<SignalFdWatcher>(signals, set, std::move(handler));
    if (!watcher->ok()) return nullptr;  // its destructor unblocks the signals again
    return watcher;
}

}  // namespace trq::platform
