#include "driver/MouseDriver.h"

#include "macros/MacroFile.h"
#include "settings/SettingsFile.h"

namespace trq::driver {

using namespace trq::base;
using namespace trq::settings;
using namespace trq::device;

MouseDriver::MouseDriver(DriverServices services)
    : services_(std::move(services)),
      fileLock_(services_.fileLock != nullptr ? services_.fileLock : &ownFileLock_),
      link_(*services_.transport),
      sender_(link_),
      reader_(
          static_cast<ReadHandleSource&>(*this), flags_, [this] { return macroMode2_.load(); },
          [this] { MouseGone(); }),
      engine_(flags_, static_cast<EngineHost&>(*this), *services_.clock) {}

MouseDriver::~MouseDriver() {
    StopWorkers();
}

base::FileResult MouseDriver::LoadState() {
    const std::filesystem::path config = services_.paths.ConfigPath();
    const std::int32_t profile = settings::ReadCurrentProfile(config);
    const std::uint8_t language = settings::ReadLanguage(config);
    settings::DeviceSettings loaded;
    // A missing file is the program's first start (zeros, seeded files); one that cannot be
    // read must not pass for it.
    const auto unreadable = [](const base::FileResult& r) {
        return r.error == base::FileError::ReadFailed;
    };
    base::FileResult read = settings::LoadProfile(config, profile, false, language, loaded);
    if (unreadable(read)) return read;

    macros::UserMacroTable user;
    user.currentMacroFile = services_.paths.UserMacroFile(language);
    read = macros::LoadUserMacros(user.currentMacroFile, user, *services_.notifier, language);
    if (unreadable(read)) return read;
    macros::ConstMacroTable constant;
    read = macros::LoadConstMacros(services_.paths.ConstMacroFile(), constant, *services_.notifier,
                                   language);
    if (unreadable(read)) return read;

    std::lock_guard lock(mutex_);
    currentProfile_ = profile;
    language_ = language;
    settings_ = loaded;
    macroMode2_ = loaded.macroMode2;
    userMacros_ = std::move(user);
    constMacros_ = std::move(constant);
    ++settingsVersion_;
    return base::FileResult::Ok();
}

base::FileResult MouseDriver::SelectProfile(std::int32_t profile) {
    settings::DeviceSettings loaded;
    const base::FileResult result =
        settings::LoadProfile(services_.paths.ConfigPath(), profile, false, Language(), loaded);
    if (result.error == base::FileError::ReadFailed) return result;  // nothing changes
    {
        std::lock_guard lock(mutex_);
        currentProfile_ = profile;
        settings_ = loaded;
        macroMode2_ = loaded.macroMode2;
        ++settingsVersion_;
    }
    Tell(ChangeKind::Profile);
    return result;
}

bool MouseDriver::FindMouse() {
    return link_.FindMouse();
}

MouseDriver::Current MouseDriver::CurrentCopy() const {
    std::lock_guard lock(mutex_);
    return {settings_, currentProfile_};
}

driver::ApplyResult MouseDriver::Apply() {
    const auto [current, profile] = CurrentCopy();
    driver::ApplyHooks hooks;
    hooks.fileLock = &FileLock();
    hooks.saveCurrent = [&, profile = profile, current = current] {
        return SaveAppliedProfile(profile, current);
    };
    const driver::ApplyResult result = driver::ApplySettings(
        current, profile, services_.paths.ConfigPath(), sender_, *services_.desktop, hooks);
    {
        std::lock_guard lock(mutex_);
        applied_ = result.applied;
    }
    Tell(ChangeKind::Applied);
    return result;
}

base::FileResult MouseDriver::SaveAppliedProfile(std::int32_t profile,
                                                 const settings::DeviceSettings& applied) {
    settings::DeviceSettings saved = applied;
    {
        std::lock_guard lock(mutex_);
        if (currentProfile_ == profile) {
            saved.dpiLevel = settings_.dpiLevel;
            saved.usbSpeed = settings_.usbSpeed;
        }
    }
    return settings::SaveProfile(services_.paths.ConfigPath(), profile, saved);
}

void MouseDriver::StartWorkers() {
    reader_.Start();
    engine_.Start();
    services_.transport->WatchHotplug(
        [this](HotplugEvent event, const std::string& path) { HandleHotplug(event, path); });
}

void MouseDriver::StopWorkers() {
    services_.transport->WatchHotplug({});
    reader_.Stop();
    engine_.Stop();
}

void MouseDriver::ExitDriver() {
    StopWorkers();
    if (link_.WriteSlot().state != SlotState::OpenFailed) sender_.SendClose();
    if (services_.desktop->PointerSpeed()) services_.desktop->SetPointerSpeed(10);
}

bool MouseDriver::HandleHotplug(HotplugEvent event, const std::string& path) {
    if (event == HotplugEvent::Removal) {
        if (!link_.OnDeviceRemoved(path)) return false;
        if (!goneTold_.exchange(true)) Tell(ChangeKind::MouseRemoved, ChangeOrigin::Mouse);
        return true;
    }
    if (link_.OnDeviceArrival(path)) {
        goneTold_ = false;
        Tell(ChangeKind::MouseArrived, ChangeOrigin::Mouse);
    }
    return false;
}

void MouseDriver::MouseGone() {
    const std::string path = link_.DevicePath();
    if (!path.empty()) link_.OnDeviceRemoved(path);
    if (!goneTold_.exchange(true)) Tell(ChangeKind::MouseRemoved, ChangeOrigin::Mouse);
}

bool MouseDriver::WaitUntilIdle(std::chrono::milliseconds timeout) {
    return flags_.WaitUntilIdle(timeout);
}

DriverStatus MouseDriver::Status() const {
    const HandleSlot read = link_.ReadSlot();
    const HandleSlot write = link_.WriteSlot();
    DriverStatus status;
    status.devicePath = link_.DevicePath();
    status.present = link_.DevicePresent();
    status.readState = read.state;
    status.writeState = write.state;
    status.inputReportLength = read.reportLength;
    status.featureReportLength = write.reportLength;
    return status;
}

settings::DeviceSettings MouseDriver::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

SettingsCopy MouseDriver::SettingsForEdit() const {
    std::lock_guard lock(mutex_);
    return {settings_, settingsVersion_};
}

bool MouseDriver::CommitSettings(const SettingsCopy& edited) {
    {
        std::lock_guard lock(mutex_);
        if (edited.version != settingsVersion_) return false;
        settings_ = edited.settings;
        macroMode2_ = settings_.macroMode2;
        ++settingsVersion_;
    }
    Tell(ChangeKind::Settings);
    return true;
}

void MouseDriver::ReplaceSettings(const settings::DeviceSettings& replacement) {
    {
        std::lock_guard lock(mutex_);
        settings_ = replacement;
        macroMode2_ = settings_.macroMode2;
        ++settingsVersion_;
    }
    Tell(ChangeKind::Settings);
}

std::int32_t MouseDriver::CurrentProfile() const {
    std::lock_guard lock(mutex_);
    return currentProfile_;
}

std::uint8_t MouseDriver::Language() const {
    std::lock_guard lock(mutex_);
    return language_;
}

driver::AppliedState MouseDriver::Applied() const {
    std::lock_guard lock(mutex_);
    return applied_;
}

macros::UserMacroTable MouseDriver::UserMacros() const {
    std::lock_guard lock(mutex_);
    return userMacros_;
}

void MouseDriver::SetUserMacros(const macros::UserMacroTable& table) {
    {
        std::lock_guard lock(mutex_);
        const std::filesystem::path file = userMacros_.currentMacroFile;
        userMacros_ = table;
        userMacros_.currentMacroFile = file;  // imported macros go to the language's file
    }
    Tell(ChangeKind::Macros);
}

macros::ConstMacroTable MouseDriver::ConstMacros() const {
    std::lock_guard lock(mutex_);
    return constMacros_;
}

base::FileResult MouseDriver::SaveCurrentProfile() {
    std::lock_guard files(FileLock());
    const auto [current, profile] = CurrentCopy();
    return settings::SaveProfile(services_.paths.ConfigPath(), profile, current);
}

base::FileResult MouseDriver::SaveUserMacros() {
    std::lock_guard files(FileLock());
    const macros::UserMacroTable table = UserMacros();
    return macros::SaveUserMacros(table.currentMacroFile, table);
}

void MouseDriver::SendKeys(const HeldKeys& keys) {
    sender_.SendKeys(keys);
}
void MouseDriver::SendMouseButtons(std::uint8_t mask) {
    sender_.SendMouseButtons(mask);
}
void MouseDriver::SendConsumer(std::uint16_t usage) {
    sender_.SendConsumer(usage);
}

EngineSnapshot MouseDriver::Snapshot() {
    std::lock_guard lock(mutex_);
    EngineSnapshot snapshot;
    snapshot.buttonFunction = settings_.buttonFunction;
    snapshot.macroMode2 = settings_.macroMode2;
    snapshot.dpiMirrorFlags = applied_.dpiMirrorFlags;
    snapshot.rateCycleFlags = applied_.rateCycleFlags;
    return snapshot;
}

std::optional<macros::MacroRecord> MouseDriver::UserMacro(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= userMacros_.macroCount) return std::nullopt;
    return userMacros_.records[static_cast<std::size_t>(index)];
}

std::optional<macros::MacroRecord> MouseDriver::ConstMacro(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= constMacros_.macroCount) return std::nullopt;
    return constMacros_.records[static_cast<std::size_t>(index)];
}

void MouseDriver::MirrorDpiLevel(std::uint8_t level) {
    // A level the mouse cannot have is a garbled report: nothing to follow, nothing to save.
    if (level >= settings::kDpiLevelCount) return;
    {
        std::lock_guard lock(mutex_);
        settings_.dpiLevel = level;
        ++settingsVersion_;
    }
    Tell(ChangeKind::Settings, ChangeOrigin::Mouse);
    // The value saved is the live one once the file is ours, so a later switch or an apply
    // that saved meanwhile is never rolled back by this older value.
    std::lock_guard files(FileLock());
    const auto [current, profile] = CurrentCopy();
    settings::SaveDpiLevel(services_.paths.ConfigPath(), profile, current.dpiLevel);
}

void MouseDriver::CycleUsbSpeed() {
    {
        std::lock_guard lock(mutex_);
        settings_.usbSpeed = settings::NextUsbSpeed(settings_.usbSpeed);
        ++settingsVersion_;
    }
    Tell(ChangeKind::Settings, ChangeOrigin::Mouse);
    std::lock_guard files(FileLock());
    const auto [current, profile] = CurrentCopy();
    settings::SaveUsbSpeed(services_.paths.ConfigPath(), profile, current.usbSpeed);
}

void MouseDriver::Launch(LaunchTarget target) {
    if (services_.launch) services_.launch(target);
}

std::shared_ptr<HidHandle> MouseDriver::WaitForReadHandle(std::stop_token stop,
                                                          const HidHandle* stale) {
    return link_.WaitForReadHandle(std::move(stop), stale);
}

std::size_t MouseDriver::InputReportLength() const {
    return link_.ReadSlot().reportLength;
}

void MouseDriver::Tell(ChangeKind what, ChangeOrigin origin) const {
    if (services_.onChange) services_.onChange({what, origin});
}

LanguageResult MouseDriver::SwitchLanguage(std::uint8_t language) {
    const std::uint8_t chosen = language != 0 ? 1 : 0;
    LanguageResult result;
    {
        std::lock_guard files(FileLock());
        result.written = settings::WriteLanguage(services_.paths.ConfigPath(), chosen);
    }
    {
        std::lock_guard lock(mutex_);
        language_ = chosen;
    }
    Tell(ChangeKind::Language);

    macros::UserMacroTable table = UserMacros();
    table.currentMacroFile = services_.paths.UserMacroFile(chosen);
    result.macros =
        macros::LoadUserMacros(table.currentMacroFile, table, *services_.notifier, chosen);
    // A file that cannot be read leaves the macros, and the file they are saved to, as they
    // were: saving them into the other language's file would overwrite its macros.
    if (result.macros.error == base::FileError::ReadFailed) return result;
    {
        std::lock_guard lock(mutex_);
        userMacros_ = std::move(table);
    }
    Tell(ChangeKind::Macros);
    return result;
}

ResetResult MouseDriver::ResetToDefaults() {
    ResetResult result;
    {
        std::lock_guard files(FileLock());
        const auto [current, profile] = CurrentCopy();
        const std::uint8_t language = Language();
        settings::DeviceSettings reset = current;  // keeps macroMode2
        result.profiles =
            settings::ResetProfiles(services_.paths.ConfigPath(), profile, language, reset);
        macros::UserMacroTable table = UserMacros();
        table.currentMacroFile = services_.paths.UserMacroFile(language);
        result.macros =
            macros::ResetUserMacros(services_.paths.DefaultMacroFile(language),
                                    table.currentMacroFile, table, *services_.notifier, language);
        std::lock_guard lock(mutex_);
        settings_ = reset;
        macroMode2_ = reset.macroMode2;
        ++settingsVersion_;
        userMacros_ = std::move(table);
    }
    Tell(ChangeKind::Settings);
    Tell(ChangeKind::Macros);
    result.apply = Apply();
    return result;
}

}  // namespace trq::driver
