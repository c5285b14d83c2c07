#pragma once

// The program's resident core, without a window: the settings and macros of the running
// program, the link to the mouse, the input reader and the action engine, applying the
// settings and the exit sequence. The window and the command-line tool both drive it.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "base/FileResult.h"
#include "base/Notifier.h"
#include "base/ProgramPaths.h"
#include "device/ActionEngine.h"
#include "device/CommandSender.h"
#include "device/DeviceLink.h"
#include "device/EngineHost.h"
#include "device/InputReader.h"
#include "device/PlaybackClock.h"
#include "device/PlaybackFlags.h"
#include "device/ReadHandleSource.h"
#include "driver/ApplySettings.h"
#include "macros/MacroTables.h"
#include "settings/DesktopSettings.h"
#include "settings/DeviceSettings.h"

namespace trq::driver {

struct DriverServices {
    base::ProgramPaths paths;
    device::HidTransport* transport = nullptr;         // required
    settings::DesktopSettings* desktop = nullptr;      // required
    base::Notifier* notifier = nullptr;                // required
    device::PlaybackClock* clock = nullptr;            // required
    std::function<bool(device::LaunchTarget)> launch;  // may be empty: nothing is started
    std::function<void()> repaint;                     // may be empty; called from any thread
};

// Thread-safe: the window (or tool) thread edits and applies while the engine thread reads
// the settings and macros and mirrors the mouse's DPI and rate switches. All program state
// sits behind one mutex, held only for short copies and edits, never while sending or
// sleeping.
class MouseDriver final : private device::EngineHost, private device::ReadHandleSource {
  public:
    explicit MouseDriver(DriverServices services);
    ~MouseDriver() override;  // stops the workers

    MouseDriver(const MouseDriver&) = delete;
    MouseDriver& operator=(const MouseDriver&) = delete;

    // Start-up steps that read files: Init/CurConfig and VER_SEL, the current profile, the
    // language's user macros and the constant macros (a missing macro file is told through
    // the notifier). Writes nothing.
    void LoadState();

    // Makes profile `profile` current (in memory) and loads it.
    base::FileResult SelectProfile(std::int32_t profile);

    // Searches the mouse (see device::DeviceLink::FindMouse).
    bool FindMouse();

    // ApplySettings with the current settings and profile.
    driver::ApplyResult Apply();

    // Starts the input reader and the action engine; they wait for the mouse.
    void StartWorkers();
    void StopWorkers();

    // The device half of the exit sequence: CMD_CLOSE unless the write collection failed to
    // open, then the pointer speed back to 10 where the desktop has one.
    void ExitDriver();

    // A hot-plug event: true when it was the mouse's removal (the program should end).
    bool HandleHotplug(device::HotplugEvent event, const std::string& path);

    // --- State ---
    settings::DeviceSettings Settings() const;
    void EditSettings(const std::function<void(settings::DeviceSettings&)>& edit);
    std::int32_t CurrentProfile() const;
    std::uint8_t Language() const;
    driver::AppliedState Applied() const;
    macros::UserMacroTable UserMacros() const;
    void SetUserMacros(const macros::UserMacroTable& table);
    macros::ConstMacroTable ConstMacros() const;

    // Saves the current settings into the current profile (Save), and the user macros into
    // the language's macro file.
    base::FileResult SaveCurrentProfile();
    base::FileResult SaveUserMacros();

    device::DeviceLink& Link() { return link_; }
    device::CommandSender& Sender() { return sender_; }
    device::PlaybackFlags& Flags() { return flags_; }

  private:
    // device::EngineHost (engine thread).
    void SendKeys(const device::HeldKeys& keys) override;
    void SendMouseButtons(std::uint8_t mask) override;
    void SendConsumer(std::uint16_t usage) override;
    device::EngineSnapshot Snapshot() override;
    std::optional<macros::MacroRecord> UserMacro(int index) override;
    std::optional<macros::MacroRecord> ConstMacro(int index) override;
    void MirrorDpiLevel(std::uint8_t level) override;
    void CycleUsbSpeed() override;
    void Launch(device::LaunchTarget target) override;

    // device::ReadHandleSource (reader thread).
    std::shared_ptr<device::HidHandle> WaitForReadHandle(std::stop_token stop,
                                                         const device::HidHandle* stale) override;
    std::size_t InputReportLength() const override;

    void Repaint() const;

    struct Current {
        settings::DeviceSettings settings;
        std::int32_t profile;
    };
    Current CurrentCopy() const;  // the settings and their profile number, taken together

    DriverServices services_;

    mutable std::mutex mutex_;  // guards the state below
    settings::DeviceSettings settings_;
    std::int32_t currentProfile_ = 0;
    std::uint8_t language_ = 0;
    driver::AppliedState applied_;
    macros::UserMacroTable userMacros_;
    macros::ConstMacroTable constMacros_;

    std::atomic<std::int32_t> macroMode2_{0};  // read by the reader for every report
    device::DeviceLink link_;
    device::CommandSender sender_;
    device::PlaybackFlags flags_;
    device::InputReader reader_;
    device::ActionEngine engine_;
};

}  // namespace trq::driver
