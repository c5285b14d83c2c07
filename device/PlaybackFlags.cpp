#include "device/PlaybackFlags.h"

namespace trq::device {

bool PlaybackFlags::Post(PendingPress press) {
    {
        std::lock_guard lock(mutex_);
        if (actionPending.load()) return false;
        pendingCode.store(press.code);
        pendingLevel.store(press.level);
        actionPending.store(true);
    }
    changed_.notify_all();
    return true;
}

void PlaybackFlags::RequestStop() {
    std::lock_guard lock(mutex_);
    if (actionPending.load()) stopRequested.store(true);
}

std::optional<PendingPress> PlaybackFlags::WaitForPress(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait(lock, stop, [this] { return actionPending.load(); })) return std::nullopt;
    return PendingPress{pendingCode.load(), pendingLevel.load()};
}

void PlaybackFlags::Finish() {
    {
        std::lock_guard lock(mutex_);
        actionPending.store(false);
        stopRequested.store(false);
    }
    changed_.notify_all();
}

bool PlaybackFlags::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return !actionPending.load(); });
}

}  // namespace trq::device
