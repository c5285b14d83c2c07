#include "device/InputReader.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <span>

#include "device/MouseProtocol.h"

namespace trq::device {
namespace {

enum class Effect : std::uint8_t { None, Post, Stop };
enum EventKind { kStopSignal, kPress, kRelease, kEventKinds };

// What a report does, by its kind, whether an action is pending and whether hold mode is
// on: kEffects[kind][pending][hold].
constexpr Effect kEffects[kEventKinds][2][2] = {
    // stop signal (code 240 or less): stops a running action
    {{Effect::None, Effect::None}, {Effect::Stop, Effect::Stop}},
    // press: starts an action when idle; while one runs, stops it in toggle mode only
    {{Effect::Post, Effect::Post}, {Effect::Stop, Effect::None}},
    // release: stops in hold mode (a release while idle is dropped by RequestStop)
    {{Effect::None, Effect::Stop}, {Effect::None, Effect::Stop}},
};

EventKind KindOf(const ButtonEvent& event) {
    if (!IsButtonCode(event.code)) return kStopSignal;
    return IsRelease(event) ? kRelease : kPress;
}

void Apply(const ButtonEvent& event, bool holdMode, PlaybackFlags& flags) {
    // Only this thread sets actionPending, so "idle" cannot change before Post; "pending"
    // may end meanwhile, and then RequestStop drops the late stop.
    const bool pending = flags.ActionPending();
    switch (kEffects[KindOf(event)][pending][holdMode]) {
        case Effect::Post:
            flags.Post({event.code, event.state});
            break;
        case Effect::Stop:
            flags.RequestStop();
            break;
        case Effect::None:
            break;
    }
}

// The read length: the collection's input-report length, within the buffer.
std::size_t ReadLength(std::size_t reportLength) {
    if (reportLength == 0) return kReportBufferSize;
    return std::min(reportLength, kReportBufferSize);
}

// Keeps a failing handle from turning the reader into a busy loop; false when stopped.
bool PauseAfterError(std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, std::chrono::milliseconds(2), [] { return false; });
    return !stop.stop_requested();
}

}  // namespace

InputReader::InputReader(ReadHandleSource& source, PlaybackFlags& flags, MacroModeSource macroMode2,
                         DisconnectHandler onDisconnected)
    : source_(source),
      flags_(flags),
      macroMode2_(std::move(macroMode2)),
      onDisconnected_(std::move(onDisconnected)) {}

InputReader::~InputReader() {
    Stop();
}

void InputReader::Start() {
    if (thread_.joinable()) return;
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void InputReader::Stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    {
        // Adopt checks the stop under this lock, so either the thread sees the stop or the
        // handle it reads from is cancelled here.
        std::lock_guard lock(mutex_);
        if (current_) current_->CancelRead();
    }
    thread_.join();
}

bool InputReader::Adopt(std::shared_ptr<HidHandle> handle, std::stop_token stop) {
    std::lock_guard lock(mutex_);
    if (stop.stop_requested()) return false;
    current_ = std::move(handle);
    return true;
}

void InputReader::Run(std::stop_token stop) {
    std::shared_ptr<HidHandle> stale;
    while (!stop.stop_requested()) {
        std::shared_ptr<HidHandle> handle = source_.WaitForReadHandle(stop, stale.get());
        if (!handle || !Adopt(handle, stop)) return;
        stale.reset();

        const Loss loss = ReadUntilLost(*handle, stop);
        {
            std::lock_guard lock(mutex_);
            current_.reset();
        }
        if (loss == Loss::Stopped) return;
        if (loss == Loss::Disconnected) {
            flags_.RequestStop();
            if (onDisconnected_) onDisconnected_();
        }
        stale = std::move(handle);
    }
}

InputReader::Loss InputReader::ReadUntilLost(HidHandle& handle, std::stop_token stop) {
    std::array<std::uint8_t, kReportBufferSize> buffer{};
    const std::span<std::uint8_t> target(buffer.data(), ReadLength(source_.InputReportLength()));
    while (!stop.stop_requested()) {
        const ReadResult result = handle.Read(target, std::chrono::milliseconds(-1));
        switch (result.status) {
            case ReadStatus::Ok:
                if (auto event =
                        DecodeButtonEvent(target.first(std::min(result.length, target.size())))) {
                    Apply(*event, macroMode2_() != 0, flags_);
                }
                break;
            case ReadStatus::Timeout:
                break;
            case ReadStatus::Error:
                if (!PauseAfterError(stop)) return Loss::Stopped;
                break;
            case ReadStatus::Cancelled:
                return stop.stop_requested() ? Loss::Stopped : Loss::Cancelled;
            case ReadStatus::Disconnected:
                return Loss::Disconnected;
        }
    }
    return Loss::Stopped;
}

}  // namespace trq::device
