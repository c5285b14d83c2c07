#include "device/MacroPlayer.h"

#include <algorithm>
#include <optional>

#include "device/MouseProtocol.h"

namespace trq::device {
namespace {

// The ButtonMask bit of a mouse-button step code, if it has one.
std::optional<std::uint8_t> ButtonBit(std::uint8_t code) {
    switch (code) {
        case macros::kCodeLeftButton:
            return mouse_buttons::kLeft;
        case macros::kCodeRightButton:
            return mouse_buttons::kRight;
        case macros::kCodeMiddleButton:
            return mouse_buttons::kMiddle;
        default:
            return std::nullopt;
    }
}

}  // namespace

void RemoveHeldKey(HeldKeys& held, std::uint8_t code) {
    const auto found = std::find(held.begin(), held.end(), code);
    if (found != held.end()) std::move(found + 1, held.end(), found);
    held.back() = 0;
}

MacroPlayer::MacroPlayer(EngineHost& host, PlaybackClock& clock) : host_(host), clock_(clock) {}

void MacroPlayer::Play(const macros::MacroRecord& macro, std::uint32_t repetitions,
                       const PlaybackFlags& flags, std::stop_token stop) {
    MarkReport();  // an empty macro's first pause counts from the start
    for (std::uint32_t repetition = 0; repetition < repetitions; ++repetition) {
        if (stop.stop_requested()) return;
        bool cut = false;
        for (int step = 0; step < macro.stepCount && !cut; ++step) {
            const macros::MacroKey key = macro.keys[static_cast<std::size_t>(step)];
            EmulateInput(key.code, key.action);
            const std::chrono::milliseconds delay(macros::StepDelay(macro, step));
            cut = !Wait(std::max(delay, kMinStepDelay), stop);
        }
        ReleaseAll(stop);
        if (cut || flags.StopRequested()) return;
    }
}

void MacroPlayer::EmulateInput(std::uint8_t code, std::uint8_t action) {
    if (code < macros::kCodeLeftButton) {
        if (action == macros::kActionDown) {
            const auto free = std::find(heldKeys_.begin(), heldKeys_.end(), 0);
            if (free != heldKeys_.end()) *free = code;
        } else if (action == macros::kActionUp) {
            RemoveHeldKey(heldKeys_, code);
        }
        MarkReport();
        host_.SendKeys(heldKeys_);
        return;
    }
    if (const auto bit = ButtonBit(code)) {
        if (action == macros::kActionDown) buttonMask_ &= static_cast<std::uint8_t>(~*bit);
        if (action == macros::kActionUp) buttonMask_ |= *bit;
    }
    MarkReport();
    host_.SendMouseButtons(buttonMask_);
}

void MacroPlayer::ReleaseAll(std::stop_token stop) {
    constexpr auto kAllButtons = static_cast<std::uint8_t>(
        mouse_buttons::kLeft | mouse_buttons::kRight | mouse_buttons::kMiddle);
    Wait(kReleaseGap, stop);
    buttonMask_ |= kAllButtons;
    MarkReport();
    host_.SendMouseButtons(buttonMask_);
    Wait(kReleaseGap, stop);
    heldKeys_.fill(0);
    MarkReport();
    host_.SendKeys(heldKeys_);
}

void MacroPlayer::MarkReport() {
    due_ = clock_.Now();
}

bool MacroPlayer::Wait(std::chrono::milliseconds delay, std::stop_token stop) {
    due_ += delay;
    return clock_.SleepUntil(due_, stop);
}

}  // namespace trq::device
