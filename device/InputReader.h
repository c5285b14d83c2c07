#pragma once

// The thread that reads the mouse's button reports and turns them into PlaybackFlags for
// the action engine. It never sends anything.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

#include "device/ButtonEvent.h"
#include "device/HidTransport.h"
#include "device/PlaybackFlags.h"
#include "device/ReadHandleSource.h"

namespace trq::device {

class InputReader {
  public:
    // Called on the reader thread for every report; non-zero means hold mode (a macro plays
    // while its button is held), zero toggle mode (a second press stops it).
    using MacroModeSource = std::function<std::int32_t()>;
    // Called on the reader thread when the read handle says the mouse is gone.
    using DisconnectHandler = std::function<void()>;

    // `source` and `flags` must outlive the reader; `macroMode2` must be callable from the
    // reader thread. `onDisconnected` may be empty.
    InputReader(ReadHandleSource& source, PlaybackFlags& flags, MacroModeSource macroMode2,
                DisconnectHandler onDisconnected = {});
    ~InputReader();  // Stop()

    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    // Starts the thread; does nothing while it runs. The thread waits for a read handle,
    // then blocks in the read: it wakes only for a report, an unplug or Stop.
    // - A report with id 6 (and the code and state bytes) updates the flags; others change
    //   nothing.
    // - Disconnected: a pending action is asked to stop (nothing can end it any more),
    //   onDisconnected runs, and the thread waits for a different handle.
    // - Cancelled (by someone else than Stop): the thread waits for a different handle.
    // - Any other failure: the read is tried again after a 2 ms pause.
    void Start();

    // Ends the thread and waits for it. Cancels the read on the handle in use, which
    // answers Cancelled to every read from then on.
    void Stop();

  private:
    enum class Loss { Stopped, Disconnected, Cancelled };

    void Run(std::stop_token stop);
    // Makes `handle` the one Stop cancels; false when stop was already requested.
    bool Adopt(std::shared_ptr<HidHandle> handle, std::stop_token stop);
    Loss ReadUntilLost(HidHandle& handle, std::stop_token stop);

    ReadHandleSource& source_;
    PlaybackFlags& flags_;
    MacroModeSource macroMode2_;
    DisconnectHandler onDisconnected_;

    std::mutex mutex_;  // guards current_
    std::shared_ptr<HidHandle> current_;
    std::jthread thread_;
};

}  // namespace trq::device
