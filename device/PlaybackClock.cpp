#include "device/PlaybackClock.h"

namespace trq::device {

PlaybackClock::TimePoint SteadyPlaybackClock::Now() {
    return std::chrono::steady_clock::now();
}

bool SteadyPlaybackClock::SleepUntil(TimePoint deadline, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, stop, deadline, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace trq::device
