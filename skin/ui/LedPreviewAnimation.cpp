#include "skin/ui/LedPreviewAnimation.h"

#include <chrono>
#include <utility>

namespace trq::skinui {

namespace {

std::uint16_t Pack(skin::LedPreview shown) {
    return static_cast<std::uint16_t>(shown.previewColor | (shown.previewGray ? 0x100 : 0));
}

skin::LedPreview Unpack(std::uint16_t packed) {
    return {static_cast<std::uint8_t>(packed & 0xFF), (packed & 0x100) != 0};
}

PreviewStep RepaintThenWait(int ms) {
    return {true, std::chrono::milliseconds(ms), false};
}

PreviewStep EndNow() {
    return {false, std::chrono::milliseconds(0), true};
}

}  // namespace

LedPreviewSteps::LedPreviewSteps(ReadInputs read, Publish publish, skin::LedPreview shownBefore)
    : read_(std::move(read)), publish_(std::move(publish)) {
    state_.shown = shownBefore;
}

PreviewStep LedPreviewSteps::operator()() {
    if (pendingPhaseMs_ >= 0) {
        const int phase = pendingPhaseMs_;
        pendingPhaseMs_ = -1;
        return RepaintThenWait(phase);
    }
    const LedPreviewInputs in = read_ ? read_() : LedPreviewInputs{};
    if (!started_) {
        started_ = true;
        state_ = skin::StartLedPreview(state_.shown, in.dpiLevel);
        if (publish_) publish_(state_.shown);
    }
    if (!in.colorPageShown) return EndNow();

    const skin::LedPreviewStep step = skin::NextLedPreview(state_, in.appliedLedMode, in.dpiLevel);
    state_ = step.state;
    if (publish_) publish_(state_.shown);
    if (step.holdMs > 0) {
        pendingPhaseMs_ = step.waitMs;
        return RepaintThenWait(step.holdMs);
    }
    return RepaintThenWait(step.waitMs);
}

LedPreviewAnimation::LedPreviewAnimation(LedPreviewSteps::ReadInputs read,
                                         LedPreviewWorker::Repaint repaint)
    : read_(std::move(read)), repaint_(std::move(repaint)) {}

LedPreviewAnimation::~LedPreviewAnimation() {
    Stop();
}

bool LedPreviewAnimation::Start() {
    if (worker_.Running()) return false;
    LedPreviewSteps steps(
        read_, [this](skin::LedPreview shown) { shown_.store(Pack(shown)); }, Shown());
    return worker_.Start(std::move(steps), repaint_);
}

void LedPreviewAnimation::Stop() {
    worker_.Stop();
}

skin::LedPreview LedPreviewAnimation::Shown() const {
    return Unpack(shown_.load());
}

}  // namespace trq::skinui
