#pragma once

// The hand-over between the input reader, which hears the mouse's button reports, and the
// action engine, which performs them. At most one press is pending at a time: a press that
// arrives while another is pending is dropped, not queued.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>

namespace trq::device {

// A press as the reader saw it. Both bytes come from the same report, so the engine acts on
// the DPI level of the very press it performs, not of some later report.
struct PendingPress {
    std::uint8_t code = 0;   // input code, 241..255
    std::uint8_t level = 0;  // byte 2 of the report: the mouse's new DPI level for a DPI button
};

// Thread-safe. Every change goes through the methods below (short sections under one mutex,
// with a notification), so the engine can sleep until a press arrives instead of polling.
// Invariant: stopRequested is only ever set while actionPending is.
class PlaybackFlags {
  public:
    // Hands a press to the engine. Returns false, and stores nothing, while another press is
    // pending.
    bool Post(PendingPress press);

    // Asks the pending action to end after its current repetition. Ignored while nothing is
    // pending, so a stop that arrives while idle cannot cut short the next press.
    void RequestStop();

    // Blocks until a press is pending and returns it; nothing once `stop` is requested.
    std::optional<PendingPress> WaitForPress(std::stop_token stop);

    // The pending action is done: clears actionPending and stopRequested together.
    void Finish();

    // Blocks until nothing is pending or `timeout` has passed; returns whether it is idle.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);

    bool ActionPending() const { return actionPending.load(); }
    bool StopRequested() const { return stopRequested.load(); }
    // The code of the pending press (of the last one once idle).
    std::uint8_t PendingCode() const { return pendingCode.load(); }

  private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::atomic<bool> actionPending{false};
    std::atomic<std::uint8_t> pendingCode{0};
    std::atomic<std::uint8_t> pendingLevel{0};
    std::atomic<bool> stopRequested{false};
};

}  // namespace trq::device
