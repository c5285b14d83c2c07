#pragma once

// Makes the mouse and the desktop follow a profile: records it as current and applied in
// the settings file, sends the fourteen configuration reports, sets pointer speed and
// wheel lines, and works out what the action engine needs to follow the mouse.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "base/FileResult.h"
#include "base/WriteLock.h"
#include "device/CommandSender.h"
#include "settings/DesktopSettings.h"
#include "settings/DeviceSettings.h"

namespace trq::driver {

// What the last apply sent, for the engine and the window.
struct AppliedState {
    std::array<bool, settings::kButtonCount> dpiMirrorFlags{};  // slot's function is 6, 15 or 16
    std::array<bool, settings::kButtonCount> rateCycleFlags{};  // slot's function is 14
    std::array<std::uint8_t, settings::kDpiLevelCount> dpiCodes{};
    std::uint8_t ledMode = 0;
};

// Reports an apply sends: seven button maps, wheel status, four DPI levels, LED, fire time.
inline constexpr int kApplyReportCount = 14;

struct ApplyResult {
    AppliedState applied;
    base::FileResult file;  // the first settings-file write that failed, or Ok
    int reportsSent = 0;    // of the kApplyReportCount reports, how many the mouse took
    std::string sendError;  // why the first report the mouse did not take failed
};

// In this order: Init/CurConfig := currentProfile; Config6 := settings; seven button maps,
// wheel status, four DPI levels, LED mode; `repaint`; pointer speed and wheel lines (each
// only where the desktop could read it first); fire time; Config<currentProfile> := settings.
// Every step runs even when an earlier one failed (the mouse gets its settings even when
// the file cannot be written, and the other way round).
struct ApplyHooks {
    std::function<void()> repaint;  // after the LED report; may be empty
    // Does the last step instead of saving `settings` (a caller that merges what changed
    // meanwhile); may be empty.
    std::function<base::FileResult()> saveCurrent;
    // Held around the first two writes and around the last one, not while sending; may be
    // null.
    base::WriteLock* fileLock = nullptr;
};
ApplyResult ApplySettings(const settings::DeviceSettings& settings, std::int32_t currentProfile,
                          const std::filesystem::path& configPath, device::CommandSender& sender,
                          settings::DesktopSettings& desktop, const ApplyHooks& hooks);

}  // namespace trq::driver
