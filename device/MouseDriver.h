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

#include "device/ActionEngine.h"
#include "device/CommandSender.h"
#include "device/DeviceLink.h"
#include "device/EngineHost.h"
#include "device/InputReader.h"
#include "device/PlaybackClock.h"
#include "device/PlaybackFlags.h"
#include "device/ReadHandleSource.h"
#include "macros/MacroTables.h"
#include "settings/ApplySettings.h"
#include "settings/DesktopSettings.h"
#include "settings/DeviceSettings.h"
#include "settings/FileResult.h"
#include "settings/Notifier.h"
#include "settings/ProgramPaths.h"

namespace trq::device {

struct DriverServices {
    settings::ProgramPaths paths;
    HidTransport* transport = nullptr;             // required
    settings::DesktopSettings* desktop = nullptr;  // required
    settings::Notifier* notifier = nullptr;        // required
    PlaybackClock* clock = nullptr;                // required
    std::function<bool(LaunchTarget)> launch;      // may be empty: nothing is started
    std::function<void()> repaint;                 // may be empty; called from any thread
};

// Thread-safe: the window (or tool) thread edits and applies while the engine thread reads
// the settings and macros and mirrors the mouse's DPI and rate switches. All program state
// sits behind one mutex, held only for short copies and edits, never while sending or
// sleeping.
class MouseDriver final : private EngineHost, private ReadHandleSource {
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
    settings::FileResult SelectProfile(std::int32_t profile);

    // Searches the mouse (see DeviceLink::FindMouse).
    bool FindMouse();

    // ApplySettings with the current settings and profile.
    settings::ApplyResult Apply();

    // Starts the input reader and the action engine; they wait for the mouse.
    void StartWorkers();
    void StopWorkers();

    // The device half of the exit sequence: CMD_CLOSE unless the write collection failed to
    // open, then the pointer speed back to 10 where the desktop has one.
    void ExitDriver();

    // A hot-plug event: true when it was the mouse's removal (the program should end).
    bool HandleHotplug(HotplugEvent event, const std::string& path);

    // --- State ---
    settings::DeviceSettings Settings() const;
    void EditSettings(const std::function<void(settings::DeviceSettings&)>& edit);
    std::int32_t CurrentProfile() const;
    std::uint8_t Language() const;
    settings::AppliedState Applied() const;
    macros::UserMacroTable UserMacros() const;
    void SetUserMacros(const macros::UserMacroTable& table);
    macros::ConstMacroTable ConstMacros() const;

    // Saves the current settings into the current profile (Save), and the user macros into
    // the language's macro file.
    settings::FileResult SaveCurrentProfile();
    settings::FileResult SaveUserMacros();

    DeviceLink& Link() { return link_; }
    CommandSender& Sender() { return sender_; }
    PlaybackFlags& Flags() { return flags_; }

  private:
    // EngineHost (engine thread).
    void SendKeys(const HeldKeys& keys) override;
    void SendMouseButtons(std::uint8_t mask) override;
    void SendConsumer(std::uint16_t usage) override;
    EngineSnapshot Snapshot() override;
    std::optional<macros::MacroRecord> UserMacro(int index) override;
    std::optional<macros::MacroRecord> ConstMacro(int index) override;
    void MirrorDpiLevel(std::uint8_t level) override;
    void CycleUsbSpeed() override;
    void Launch(LaunchTarget target) override;

    // ReadHandleSource (reader thread).
    std::shared_ptr<HidHandle> WaitForReadHandle(std::stop_token stop,
                                                 const HidHandle* stale) override;
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
    settings::AppliedState applied_;
    macros::UserMacroTable userMacros_;
    macros::ConstMacroTable constMacros_;

    std::atomic<std::int32_t> macroMode2_{0};  // read by the reader for every report
    DeviceLink link_;
    CommandSender sender_;
    PlaybackFlags flags_;
    InputReader reader_;
    ActionEngine engine_;
};

}  // namespace trq::device
