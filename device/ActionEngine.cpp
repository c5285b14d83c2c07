#include "device/ActionEngine.h"

#include "device/MouseProtocol.h"
#include "settings/FunctionTable.h"

namespace trq::device {
namespace {

std::uint32_t UserMacroRepeats(const macros::MacroRecord& macro, std::int32_t macroMode2) {
    if (macroMode2 != 0) return kHoldModeRepeats;
    return macro.repeatMode == 0 ? 1u : macros::RepeatCount(macro);
}

}  // namespace

ActionEngine::ActionEngine(PlaybackFlags& flags, EngineHost& host, PlaybackClock& clock)
    : flags_(flags), host_(host), player_(host, clock) {}

ActionEngine::~ActionEngine() {
    Stop();
}

void ActionEngine::Start() {
    if (thread_.joinable()) return;
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void ActionEngine::Stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

void ActionEngine::Run(std::stop_token stop) {
    while (const auto press = flags_.WaitForPress(stop)) {
        Perform(*press, stop);
        flags_.Finish();
    }
}

void ActionEngine::Perform(PendingPress press, std::stop_token stop) {
    const EngineSnapshot snapshot = host_.Snapshot();
    for (int slot = 0; slot < settings::kButtonCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        if (InputCodeOf(settings::HardwareButtonId[index]) != press.code) continue;
        if (snapshot.dpiMirrorFlags[index]) host_.MirrorDpiLevel(press.level);
        if (snapshot.rateCycleFlags[index]) host_.CycleUsbSpeed();
        PerformFunction(snapshot.buttonFunction[index], snapshot, stop);
    }
}

void ActionEngine::PerformFunction(std::int32_t function, const EngineSnapshot& snapshot,
                                   std::stop_token stop) {
    const settings::FunctionEntry entry = settings::LookupFunction(function);
    switch (entry.host) {
        case settings::HostAction::UserMacro:
            if (const auto macro = host_.UserMacro(function - settings::kFirstUserMacroCode)) {
                player_.Play(*macro, UserMacroRepeats(*macro, snapshot.macroMode2), flags_, stop);
            }
            break;
        case settings::HostAction::ConstMacro:
            if (const auto macro = host_.ConstMacro(function - settings::kFirstConstMacroCode)) {
                player_.Play(*macro, 1, flags_, stop);
            }
            break;
        case settings::HostAction::Consumer:
            host_.SendConsumer(entry.consumerUsage);
            break;
        case settings::HostAction::LaunchCalculator:
            host_.Launch(LaunchTarget::Calculator);
            break;
        case settings::HostAction::LaunchTerminal:
            host_.Launch(LaunchTarget::Terminal);
            break;
        case settings::HostAction::MirrorDpi:  // followed through dpiMirrorFlags
        case settings::HostAction::CycleRate:  // followed through rateCycleFlags
        case settings::HostAction::None:
            break;
    }
}

}  // namespace trq::device
