#pragma once

// The thread behind the Color page's LED preview: it runs the preview's steps, waits between
// them and asks the window to repaint. Standard library only, so it is tested without a
// display; the window turns the repaint request into a queued call to its own thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace trq::skinui {

// What one step of the preview asks for.
struct PreviewStep {
    bool repaint = false;               // ask the window to repaint now
    std::chrono::milliseconds wait{0};  // then wait this long before the next step
    bool end = false;                   // then end instead (after the repaint, if asked)
};

class LedPreviewWorker {
  public:
    // Runs on the worker thread for every step. It reads and writes only state that is safe
    // to share (atomics).
    using Step = std::function<PreviewStep()>;
    // Runs on the worker thread; must not block on the window thread (post, never wait),
    // since Stop() on the window thread waits for the worker.
    using Repaint = std::function<void()>;

    LedPreviewWorker() = default;
    ~LedPreviewWorker();  // Stop()
    LedPreviewWorker(const LedPreviewWorker&) = delete;
    LedPreviewWorker& operator=(const LedPreviewWorker&) = delete;

    // Starts a thread that calls `step` until a step ends it or Stop() is called. Refused
    // (false) while one runs: at most one preview runs at a time. A thread that has ended by
    // itself is joined here before the new one starts. Call from one thread (the window's).
    bool Start(Step step, Repaint repaint);

    // Ends the thread at once, also in the middle of a wait, and joins it; no repaint is
    // asked for after Stop() returns. Does nothing when none runs. Same thread as Start().
    void Stop();

    // True from Start() until the thread has finished its last step.
    bool Running() const { return running_.load(std::memory_order_acquire); }

  private:
    void Run(Step step, Repaint repaint);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;  // guarded by mutex_
    std::atomic<bool> running_{false};
};

}  // namespace trq::skinui
