#pragma once

// The time source that paces macro playback; tests swap in a clock that records the waits.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace trq::device {

class PlaybackClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~PlaybackClock() = default;

    virtual TimePoint Now() = 0;

    // Blocks until `deadline` (at once when it has passed) or until `stop` is requested.
    // Returns true when the deadline was reached, false when stopped. Any thread.
    virtual bool SleepUntil(TimePoint deadline, std::stop_token stop) = 0;
};

// std::chrono::steady_clock; a sleep wakes as soon as its stop is requested.
class SteadyPlaybackClock final : public PlaybackClock {
  public:
    TimePoint Now() override;
    bool SleepUntil(TimePoint deadline, std::stop_token stop) override;

  private:
    std::mutex mutex_;
    std::condition_variable_any wake_;  // only ever woken by a stop request
};

}  // namespace trq::device
