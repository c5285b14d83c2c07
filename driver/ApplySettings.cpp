#include "driver/ApplySettings.h"

#include "settings/FunctionTable.h"
#include "settings/SettingsFile.h"

namespace trq::driver {

using namespace trq::base;
using namespace trq::settings;
using namespace trq::device;
namespace {

void Keep(FileResult& first, FileResult next) {
    if (first.ok() && !next.ok()) first = std::move(next);
}

class FileLockGuard {
  public:
    explicit FileLockGuard(base::WriteLock* lock) : lock_(lock) {
        if (lock_ != nullptr) lock_->lock();
    }
    ~FileLockGuard() {
        if (lock_ != nullptr) lock_->unlock();
    }
    FileLockGuard(const FileLockGuard&) = delete;
    FileLockGuard& operator=(const FileLockGuard&) = delete;

  private:
    base::WriteLock* lock_;
};

}  // namespace

ApplyResult ApplySettings(const DeviceSettings& settings, std::int32_t currentProfile,
                          const std::filesystem::path& configPath, device::CommandSender& sender,
                          DesktopSettings& desktop, const ApplyHooks& hooks) {
    ApplyResult result;
    AppliedState& applied = result.applied;
    const auto sent = [&](bool ok) {
        if (ok) {
            ++result.reportsSent;
        } else if (result.sendError.empty()) {
            result.sendError = sender.LastError();
        }
    };

    {
        FileLockGuard files(hooks.fileLock);
        Keep(result.file, WriteCurrentProfile(configPath, currentProfile));
        Keep(result.file, SaveProfile(configPath, kAppliedProfile, settings));
    }

    for (int slot = 0; slot < kButtonCount; ++slot) {
        const FunctionEntry function = LookupFunction(settings.buttonFunction[slot]);
        applied.dpiMirrorFlags[slot] = function.host == HostAction::MirrorDpi;
        applied.rateCycleFlags[slot] = function.host == HostAction::CycleRate;
        sent(sender.SendButtonMap(HardwareButtonId[slot], function.deviceAction));
    }
    sent(sender.SendWheelStatus(settings));
    for (int level = 0; level < kDpiLevelCount; ++level) {
        applied.dpiCodes[level] = DpiCodeOfLevel(settings, level);
        sent(sender.SendDpiLevel(settings, level));
    }
    applied.ledMode = settings.ledStatus;
    sent(sender.SendLedStatus(settings));
    if (hooks.repaint) hooks.repaint();

    if (desktop.PointerSpeed()) desktop.SetPointerSpeed(PointerSpeedFor(settings.dpiSpeed));
    if (desktop.WheelScrollLines()) desktop.SetWheelScrollLines(WheelLinesFor(settings.wheelSpeed));

    sent(sender.SendFireTime(settings));
    {
        FileLockGuard files(hooks.fileLock);
        Keep(result.file, hooks.saveCurrent ? hooks.saveCurrent()
                                            : SaveProfile(configPath, currentProfile, settings));
    }
    return result;
}

}  // namespace trq::driver
