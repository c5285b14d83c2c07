#include "skin/ui/LedPreviewWorker.h"

#include <algorithm>
#include <utility>

namespace trq::skinui {

namespace {
constexpr std::chrono::milliseconds kLongestWait = std::chrono::hours(24);
}

LedPreviewWorker::~LedPreviewWorker() {
    Stop();
}

bool LedPreviewWorker::Start(Step step, Repaint repaint) {
    if (Running()) return false;
    if (thread_.joinable()) thread_.join();
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    running_.store(true, std::memory_order_release);
    thread_ = std::thread(&LedPreviewWorker::Run, this, std::move(step), std::move(repaint));
    return true;
}

void LedPreviewWorker::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void LedPreviewWorker::Run(Step step, Repaint repaint) {
    for (;;) {
        {
            const std::lock_guard lock(mutex_);
            if (stopRequested_) break;
        }
        PreviewStep next;
        if (step) {
            next = step();
        } else {
            next.end = true;
        }
        if (next.repaint && repaint) {
            // Checked again so that no repaint is asked for once Stop() has begun.
            const std::lock_guard lock(mutex_);
            if (stopRequested_) break;
            repaint();
        }
        if (next.end) break;
        // Bounded so that the deadline cannot overflow the clock.
        const auto wait = std::clamp(next.wait, std::chrono::milliseconds{0}, kLongestWait);
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, wait, [this] { return stopRequested_; })) break;
    }
    running_.store(false, std::memory_order_release);
}

}  // namespace trq::skinui
