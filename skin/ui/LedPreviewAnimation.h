#pragma once

// The Color page's LED preview: the preview steps of skin/LedPreview.h driven by one worker
// thread, with the shown colour kept where the paint can read it. Standard library only.
//
// The window starts it when the Color tab is chosen and stops it when the page is left and
// at exit; the worker also ends by itself when it finds the page no longer shown.

#include <atomic>
#include <cstdint>
#include <functional>

#include "skin/LedPreview.h"
#include "skin/ui/LedPreviewWorker.h"

namespace trq::skinui {

// What the preview reads at every step.
struct LedPreviewInputs {
    bool colorPageShown = false;
    int appliedLedMode = 0;  // the LED mode last sent to the mouse
    int dpiLevel = 0;        // the DPI level in use
};

// The preview's steps for the worker: each call reads the inputs, advances the preview
// and says what to repaint and how long to wait. The first call starts the preview (and
// ends it at once, without a repaint, when the page is not shown); later calls end it when
// the page is no longer shown. A DPI level change holds the new colour: a repaint and the
// hold wait, then a repaint and the phase wait. Not thread-safe itself: one worker calls it.
class LedPreviewSteps {
  public:
    using ReadInputs = std::function<LedPreviewInputs()>;
    // Where the shown colour is published after every change, for the paint to read.
    using Publish = std::function<void(skin::LedPreview)>;

    LedPreviewSteps(ReadInputs read, Publish publish, skin::LedPreview shownBefore);

    PreviewStep operator()();

  private:
    ReadInputs read_;
    Publish publish_;
    skin::LedPreviewState state_;
    bool started_ = false;
    int pendingPhaseMs_ = -1;  // the phase wait that follows a level hold
};

class LedPreviewAnimation {
  public:
    // `read` runs on the worker thread and must be safe there (atomics or a short lock);
    // `repaint` runs on the worker thread and must only post a request to the window
    // thread, never wait for it.
    LedPreviewAnimation(LedPreviewSteps::ReadInputs read, LedPreviewWorker::Repaint repaint);
    ~LedPreviewAnimation();  // Stop()

    // Starts the preview unless one runs (false then).
    bool Start();
    // Ends the preview at once and waits for its thread; no repaint is asked for afterwards.
    void Stop();
    bool Running() const { return worker_.Running(); }

    // The colour the paint shows (PaintState::previewColor and previewGray); any thread.
    skin::LedPreview Shown() const;

  private:
    LedPreviewSteps::ReadInputs read_;
    LedPreviewWorker::Repaint repaint_;
    // Packed into one atomic so a paint never sees a colour with the other phase's gray.
    std::atomic<std::uint16_t> shown_{0};
    LedPreviewWorker worker_;  // last: stopped before the members it uses go
};

}  // namespace trq::skinui
