#pragma once

// The thread that performs the button functions the program carries out itself: it sleeps
// until the input reader hands it a press, then plays a macro, sends a multimedia key,
// starts a program, or follows the mouse's own DPI-level and report-rate switches.

#include <cstdint>
#include <stop_token>
#include <thread>

#include "device/EngineHost.h"
#include "device/MacroPlayer.h"
#include "device/PlaybackClock.h"
#include "device/PlaybackFlags.h"

namespace trq::device {

// Repetitions of a user macro in hold mode: it plays while the button is held, up to this.
inline constexpr std::uint32_t kHoldModeRepeats = 10000;

class ActionEngine {
  public:
    // `flags`, `host` and `clock` must outlive the engine.
    ActionEngine(PlaybackFlags& flags, EngineHost& host, PlaybackClock& clock);
    ~ActionEngine();  // Stop()

    ActionEngine(const ActionEngine&) = delete;
    ActionEngine& operator=(const ActionEngine&) = delete;

    // Starts the thread; does nothing while it runs. For each press the flags hand over, the
    // engine takes a Snapshot() and, for the slot K0..K6 whose input code (240 + hardware
    // id) is the press's code:
    //   1. dpiMirrorFlags: MirrorDpiLevel(the level byte of that press);
    //   2. rateCycleFlags: CycleUsbSpeed();
    //   3. the slot's function: user macro 41..52 (kHoldModeRepeats repetitions in hold
    //      mode, else once, or repeatCount times when repeatMode is set), constant macro
    //      31..38 (once), consumer key 21..30 (one report, no release), 39 calculator,
    //      40 terminal; anything else does nothing.
    // A macro is copied when its playback starts; edits made meanwhile apply to the next
    // press. Then the flags are cleared (Finish), also for a press no slot matched.
    void Start();

    // Ends the thread and waits for it. A macro playing at that moment ends after the step
    // being waited on and still releases everything it holds (MacroPlayer::Play).
    void Stop();

  private:
    void Run(std::stop_token stop);
    void Perform(PendingPress press, std::stop_token stop);
    void PerformFunction(std::int32_t function, const EngineSnapshot& snapshot,
                         std::stop_token stop);

    PlaybackFlags& flags_;
    EngineHost& host_;
    MacroPlayer player_;
    std::jthread thread_;
};

}  // namespace trq::device
