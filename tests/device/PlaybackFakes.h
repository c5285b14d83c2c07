#pragma once

// Fakes for the input reader and the action engine: a read handle the test feeds reports
// into (and can unplug), a source that hands it out, a clock that records the waits
// instead of sleeping, and a host that records every report with its time.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "device/EngineHost.h"
#include "device/HidTransport.h"
#include "device/PlaybackClock.h"
#include "device/ReadHandleSource.h"
#include "macros/MacroRecord.h"

namespace trq::device::test {

// Long enough never to fire on a working test, short enough that a broken one fails.
inline constexpr std::chrono::seconds kPatience{10};

using Report = std::vector<std::uint8_t>;

// A read collection. Read blocks until the test pushes a report, unplugs or cancels.
class FakeReadHandle : public HidHandle {
  public:
    void Push(Report report) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back({ReadStatus::Ok, std::move(report)});
        }
        changed_.notify_all();
    }
    // The next read answers `status` (Error, Timeout) instead of a report.
    void PushStatus(ReadStatus status) {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back({status, {}});
        }
        changed_.notify_all();
    }
    void Unplug() {
        {
            std::lock_guard lock(mutex_);
            unplugged_ = true;
        }
        changed_.notify_all();
    }
    // Blocks until every pushed report was read and the reader waits in Read again, i.e. it
    // has acted on all of them, or until the handle is unplugged or cancelled (then nothing
    // more is read from it). False on timeout.
    bool WaitUntilDrained() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] {
            return (queue_.empty() && waiting_) || unplugged_ || cancelled_;
        });
    }

    bool SendFeatureReport(std::span<const std::uint8_t>) override { return false; }

    ReadResult Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds) override {
        std::unique_lock lock(mutex_);
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !queue_.empty() || cancelled_ || unplugged_; });
        waiting_ = false;
        if (cancelled_) return {ReadStatus::Cancelled, 0};
        if (unplugged_) return {ReadStatus::Disconnected, 0};
        Entry entry = std::move(queue_.front());
        queue_.pop_front();
        const std::size_t length = std::min(entry.report.size(), buffer.size());
        std::copy_n(entry.report.begin(), length, buffer.begin());
        return {entry.status, entry.status == ReadStatus::Ok ? length : 0};
    }

    void CancelRead() override {
        {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
    }

    std::string LastError() const override { return {}; }

  private:
    struct Entry {
        ReadStatus status;
        Report report;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Entry> queue_;
    bool waiting_ = false;
    bool cancelled_ = false;
    bool unplugged_ = false;
};

// Hands out whatever handle the test plugged in.
class FakeReadSource : public ReadHandleSource {
  public:
    void Plug(std::shared_ptr<HidHandle> handle) {
        {
            std::lock_guard lock(mutex_);
            handle_ = std::move(handle);
        }
        changed_.notify_all();
    }

    std::shared_ptr<HidHandle> WaitForReadHandle(std::stop_token stop,
                                                 const HidHandle* stale) override {
        std::unique_lock lock(mutex_);
        stales_.push_back(stale);
        ++waiting_;
        changed_.notify_all();
        const bool ready =
            changed_.wait(lock, stop, [&] { return handle_ && handle_.get() != stale; });
        --waiting_;
        return ready ? handle_ : nullptr;
    }

    std::size_t InputReportLength() const override { return 8; }

    // Blocks until the reader has asked for a handle `calls` times and waits in that call.
    bool WaitForCaller(std::size_t calls) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience,
                                 [&] { return stales_.size() >= calls && waiting_ > 0; });
    }
    // The `stale` argument of each call so far.
    std::vector<const HidHandle*> Stales() {
        std::lock_guard lock(mutex_);
        return stales_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::shared_ptr<HidHandle> handle_;
    std::vector<const HidHandle*> stales_;
    int waiting_ = 0;
};

// Virtual time: a sleep moves the time to its deadline at once and records how long it
// would have waited. onSleep, when set before the engine starts, runs on the sleeping
// thread after each sleep with the sleep's index (0, 1, ...).
class FakeClock : public PlaybackClock {
  public:
    TimePoint Now() override {
        std::lock_guard lock(mutex_);
        return now_;
    }

    bool SleepUntil(TimePoint deadline, std::stop_token stop) override {
        int index = 0;
        {
            std::lock_guard lock(mutex_);
            waits_.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now_));
            if (deadline > now_) now_ = deadline;
            index = static_cast<int>(waits_.size()) - 1;
        }
        if (onSleep) onSleep(index);
        return !stop.stop_requested();
    }

    // Time passing while the engine works, e.g. during a send.
    void Advance(std::chrono::milliseconds time) {
        std::lock_guard lock(mutex_);
        now_ += time;
    }

    std::vector<std::chrono::milliseconds> Waits() {
        std::lock_guard lock(mutex_);
        return waits_;
    }
    // Milliseconds since the clock was made.
    long long Elapsed() {
        std::lock_guard lock(mutex_);
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - kStart).count();
    }

    std::function<void(int)> onSleep;

  private:
    static constexpr TimePoint kStart{std::chrono::hours(1)};
    std::mutex mutex_;
    TimePoint now_ = kStart;
    std::vector<std::chrono::milliseconds> waits_;
};

// What the engine did, in order, as text: "keys 04 00 00 00 00 00", "buttons FE",
// "consumer 00E9", "launch calculator", "launch terminal", "dpi 2", "rate".
struct HostEvent {
    long long ms;  // when, on the clock given to the host (-1 without one)
    std::string what;

    friend bool operator==(const HostEvent&, const HostEvent&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const HostEvent& e) {
    return out << e.ms << ": " << e.what;
}

class RecordingHost : public EngineHost {
  public:
    explicit RecordingHost(FakeClock* clock = nullptr) : clock_(clock) {}

    // Set before the engine starts.
    EngineSnapshot snapshot;
    std::vector<macros::MacroRecord> userMacros;
    std::vector<macros::MacroRecord> constMacros;
    std::function<void()> onSnapshot;       // runs on the engine thread before each snapshot
    std::chrono::milliseconds sendCost{0};  // how long each report takes to send

    void SendKeys(const HeldKeys& keys) override {
        char text[32];
        std::snprintf(text, sizeof text, "keys %02X %02X %02X %02X %02X %02X", keys[0], keys[1],
                      keys[2], keys[3], keys[4], keys[5]);
        RecordSend(text);
    }
    void SendMouseButtons(std::uint8_t mask) override {
        char text[16];
        std::snprintf(text, sizeof text, "buttons %02X", mask);
        RecordSend(text);
    }
    void SendConsumer(std::uint16_t usage) override {
        char text[16];
        std::snprintf(text, sizeof text, "consumer %04X", usage);
        RecordSend(text);
    }
    EngineSnapshot Snapshot() override {
        if (onSnapshot) onSnapshot();
        std::lock_guard lock(mutex_);
        return snapshot;
    }
    std::optional<macros::MacroRecord> UserMacro(int index) override {
        std::lock_guard lock(mutex_);
        return Copy(userMacros, index);
    }
    std::optional<macros::MacroRecord> ConstMacro(int index) override {
        std::lock_guard lock(mutex_);
        return Copy(constMacros, index);
    }
    void MirrorDpiLevel(std::uint8_t level) override { Record("dpi " + std::to_string(level)); }
    void CycleUsbSpeed() override { Record("rate"); }
    void Launch(LaunchTarget target) override {
        Record(target == LaunchTarget::Calculator ? "launch calculator" : "launch terminal");
    }

    // Replaces user macro `index` while the engine may be running.
    void EditUserMacro(int index, const macros::MacroRecord& macro) {
        std::lock_guard lock(mutex_);
        userMacros.at(static_cast<std::size_t>(index)) = macro;
    }

    // Blocks until at least `count` events were recorded; false on timeout.
    bool WaitForEvents(std::size_t count) {
        std::unique_lock lock(mutex_);
        return recorded_.wait_for(lock, kPatience, [&] { return events_.size() >= count; });
    }

    std::vector<HostEvent> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<std::string> What() {
        std::lock_guard lock(mutex_);
        std::vector<std::string> what;
        for (const HostEvent& e : events_)
            what.push_back(e.what);
        return what;
    }

  private:
    static std::optional<macros::MacroRecord> Copy(const std::vector<macros::MacroRecord>& table,
                                                   int index) {
        if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return std::nullopt;
        return table[static_cast<std::size_t>(index)];
    }
    // A report is stamped when its send starts.
    void RecordSend(std::string what) {
        Record(std::move(what));
        if (clock_) clock_->Advance(sendCost);
    }
    void Record(std::string what) {
        const long long ms = clock_ ? clock_->Elapsed() : -1;
        {
            std::lock_guard lock(mutex_);
            events_.push_back({ms, std::move(what)});
        }
        recorded_.notify_all();
    }

    FakeClock* clock_;
    std::mutex mutex_;
    std::condition_variable recorded_;
    std::vector<HostEvent> events_;
};

struct Step {
    std::uint8_t code;
    std::uint8_t action;
    std::uint16_t delayMs;
};

inline macros::MacroRecord MakeMacro(const std::vector<Step>& steps, std::uint8_t repeatMode = 0,
                                     std::uint16_t repeatCount = 0) {
    macros::MacroRecord macro = macros::EmptyMacro();
    macro.repeatMode = repeatMode;
    macros::SetRepeatCount(macro, repeatCount);
    macro.stepCount = static_cast<std::uint8_t>(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        macro.keys[i] = {steps[i].code, steps[i].action};
        macros::SetStepDelay(macro, static_cast<int>(i), steps[i].delayMs);
    }
    return macro;
}

}  // namespace trq::device::test
