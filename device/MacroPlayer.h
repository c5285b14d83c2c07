#pragma once

// Plays a macro by sending key and mouse-button reports to the mouse, which turns them into
// real input. Each step is followed by its delay (at least kMinStepDelay); each repetition
// ends with ReleaseAll.
//
// Pacing: every wait is measured from the moment the previous report was sent (absolute
// deadlines), so the gap between two reports is the nominal delay plus only the wake-up
// latency: send times and oversleeping never pile up over a macro, and no delay is ever
// shortened to catch up.

#include <chrono>
#include <cstdint>
#include <stop_token>

#include "device/EngineHost.h"
#include "device/PlaybackClock.h"
#include "device/PlaybackFlags.h"
#include "device/ReportEncoder.h"
#include "macros/MacroRecord.h"

namespace trq::device {

inline constexpr std::chrono::milliseconds kMinStepDelay{15};
inline constexpr std::chrono::milliseconds kReleaseGap{10};  // before each ReleaseAll report

// Frees the first slot holding `code` by moving the later slots forward. The sixth slot is
// cleared in every case, also when `code` was not held (so a seventh key that never found a
// slot takes the sixth key with it on release).
void RemoveHeldKey(HeldKeys& held, std::uint8_t code);

// Not thread-safe: the engine's thread owns it.
class MacroPlayer {
  public:
    // `host` and `clock` must outlive the player.
    MacroPlayer(EngineHost& host, PlaybackClock& clock);

    // Plays `macro` `repetitions` times (0: sends nothing at all). flags.StopRequested() is
    // looked at after each repetition only, so a repetition always runs to its end. When
    // `stop` is requested (shutdown) the playback ends after the step being waited on, and
    // ReleaseAll still sends its two reports, without its pauses, so nothing stays held.
    void Play(const macros::MacroRecord& macro, std::uint32_t repetitions,
              const PlaybackFlags& flags, std::stop_token stop);

    // One step. A keyboard usage (code below 240): action 1 takes the first free slot of
    // HeldKeys (dropped when all six are taken; a key already held takes a second slot),
    // action 2 is RemoveHeldKey; then CMD_KEYS is sent. A mouse button (240 left, 241 right,
    // 242 middle; higher codes have no bit): action 1 clears its bit of ButtonMask, action 2
    // sets it; then CMD_MOUSE_BUTTONS is sent, also when nothing changed. Other actions
    // change nothing but still send.
    void EmulateInput(std::uint8_t code, std::uint8_t action);

    // Ends a repetition: waits kReleaseGap, releases all buttons (CMD_MOUSE_BUTTONS), waits
    // kReleaseGap, releases all keys (CMD_KEYS all zero). Once `stop` is requested the
    // pauses are skipped; the reports are always sent.
    void ReleaseAll(std::stop_token stop);

    const HeldKeys& Held() const { return heldKeys_; }
    std::uint8_t ButtonMask() const { return buttonMask_; }

  private:
    void MarkReport();  // the next wait counts from now
    bool Wait(std::chrono::milliseconds delay, std::stop_token stop);

    EngineHost& host_;
    PlaybackClock& clock_;
    HeldKeys heldKeys_{};             // keyboard usages held by playback, in press order
    std::uint8_t buttonMask_ = 0xFF;  // active-low: bit 0 left, 1 right, 2 middle
    PlaybackClock::TimePoint due_{};  // end of the waits since the last report
};

}  // namespace trq::device
