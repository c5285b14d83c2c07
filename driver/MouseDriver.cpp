#include "driver/MouseDriver.h"

#include "macros/MacroFile.h"
#include "settings/SettingsFile.h"

namespace trq::driver {

using namespace trq::base;
using namespace trq::settings;
using namespace trq::device;

MouseDriver::MouseDriver(DriverServices services)
    : services_(std::move(services)),
      link_(*services_.transport),
      sender_(link_),
      reader_(static_cast<ReadHandleSource&>(*this), flags_, [this] { return macroMode2_.load(); }),
      engine_(flags_, static_cast<EngineHost&>(*this), *services_.clock) {}

MouseDriver::~MouseDriver() {
    StopWorkers();
}

void MouseDriver::LoadState() {
    const std::filesystem::path config = services_.paths.ConfigPath();
    const std::int32_t profile = settings::ReadCurrentProfile(config);
    const std::uint8_t language = settings::ReadLanguage(config);
    settings::DeviceSettings loaded;
    settings::LoadProfile(config, profile, false, language, loaded);

    macros::UserMacroTable user;
    user.currentMacroFile = services_.paths.UserMacroFile(language);
    macros::LoadUserMacros(user.currentMacroFile, user, *services_.notifier);
    macros::ConstMacroTable constant;
    macros::LoadConstMacros(services_.paths.ConstMacroFile(), constant, *services_.notifier);

    std::lock_guard lock(mutex_);
    currentProfile_ = profile;
    language_ = language;
    settings_ = loaded;
    macroMode2_ = loaded.macroMode2;
    userMacros_ = std::move(user);
    constMacros_ = std::move(constant);
}

base::FileResult MouseDriver::SelectProfile(std::int32_t profile) {
    settings::DeviceSettings loaded;
    const base::FileResult result =
        settings::LoadProfile(services_.paths.ConfigPath(), profile, false, Language(), loaded);
    std::lock_guard lock(mutex_);
    currentProfile_ = profile;
    settings_ = loaded;
    macroMode2_ = loaded.macroMode2;
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
    driver::ApplyResult result =
        driver::ApplySettings(current, profile, services_.paths.ConfigPath(), sender_,
                              *services_.desktop, [this] { Repaint(); });
    std::lock_guard lock(mutex_);
    applied_ = result.applied;
    return result;
}

void MouseDriver::StartWorkers() {
    reader_.Start();
    engine_.Start();
}

void MouseDriver::StopWorkers() {
    reader_.Stop();
    engine_.Stop();
}

void MouseDriver::ExitDriver() {
    if (link_.WriteSlot().state != SlotState::OpenFailed) sender_.SendClose();
    if (services_.desktop->PointerSpeed()) services_.desktop->SetPointerSpeed(10);
}

bool MouseDriver::HandleHotplug(HotplugEvent event, const std::string& path) {
    if (event == HotplugEvent::Removal) return link_.OnDeviceRemoved(path);
    link_.OnDeviceArrival(path);
    return false;
}

settings::DeviceSettings MouseDriver::Settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void MouseDriver::EditSettings(const std::function<void(settings::DeviceSettings&)>& edit) {
    std::lock_guard lock(mutex_);
    edit(settings_);
    macroMode2_ = settings_.macroMode2;
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
    std::lock_guard lock(mutex_);
    const std::filesystem::path file = userMacros_.currentMacroFile;
    userMacros_ = table;
    userMacros_.currentMacroFile = file;  // imported macros go to the language's file
}

macros::ConstMacroTable MouseDriver::ConstMacros() const {
    std::lock_guard lock(mutex_);
    return constMacros_;
}

base::FileResult MouseDriver::SaveCurrentProfile() {
    const auto [current, profile] = CurrentCopy();
    return settings::SaveProfile(services_.paths.ConfigPath(), profile, current);
}

base::FileResult MouseDriver::SaveUserMacros() {
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
    std::int32_t profile = 0;
    {
        std::lock_guard lock(mutex_);
        settings_.dpiLevel = level;
        profile = currentProfile_;
    }
    Repaint();
    settings::SaveDpiLevel(services_.paths.ConfigPath(), profile, level);
}

void MouseDriver::CycleUsbSpeed() {
    std::int32_t profile = 0;
    std::uint8_t speed = 0;
    {
        std::lock_guard lock(mutex_);
        speed = settings_.usbSpeed = settings::NextUsbSpeed(settings_.usbSpeed);
        profile = currentProfile_;
    }
    Repaint();
    settings::SaveUsbSpeed(services_.paths.ConfigPath(), profile, speed);
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

void MouseDriver::Repaint() const {
    if (services_.repaint) services_.repaint();
}

}  // namespace trq::driver
