#pragma once

// The program's resident core, without a window: the settings and macros of the running
// program, the link to the mouse, the input reader and the action engine, applying the
// settings and the exit sequence. The window and the command-line tool both drive it.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/FileResult.h"
#include "base/Notifier.h"
#include "base/ProgramPaths.h"
#include "base/WriteLock.h"
#include "device/ActionEngine.h"
#include "device/CommandSender.h"
#include "device/DeviceLink.h"
#include "device/EngineHost.h"
#include "device/InputReader.h"
#include "device/PlaybackClock.h"
#include "device/PlaybackFlags.h"
#include "device/ReadHandleSource.h"
#include "driver/ApplySettings.h"
#include "driver/DriverChange.h"
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
    base::WriteLock* fileLock = nullptr;               // may be null: this process only
    std::function<bool(device::LaunchTarget)> launch;  // may be empty: nothing is started
    ChangeListener onChange;                           // may be empty; see DriverChange.h
};

// What the window's status line and `trq-gmouse-ctl status` show of the link to the mouse.
struct DriverStatus {
    std::string devicePath;  // empty until a collection of the mouse was listed
    bool present = false;    // the last search found the mouse, and it was not removed since
    device::SlotState readState = device::SlotState::NotAttempted;
    device::SlotState writeState = device::SlotState::NotAttempted;
    std::size_t inputReportLength = 0;    // of the read collection, with the report id
    std::size_t featureReportLength = 0;  // of the write collection, with the report id
};

// A copy of the live settings to edit and hand back with CommitSettings.
struct SettingsCopy {
    settings::DeviceSettings settings;
    std::uint64_t version = 0;  // changes with every change of the live settings
};

struct LanguageResult {
    base::FileResult written;  // Init/VER_SEL in config.ini
    base::FileResult macros;   // reading the language's user macro file
};

struct ResetResult {
    base::FileResult profiles;  // rebuilding Config1..Config5
    base::FileResult macros;    // the language's default macros saved as its user macros
    ApplyResult apply;
};

// The resident core of the program, shared by the window and trq-gmouse-ctl.
//
// Thread-safe: the window (or tool) thread edits, saves and applies while the engine thread
// reads the settings and macros and mirrors the mouse's DPI and rate switches, the reader
// thread hears the mouse, and the transport's thread reports hot-plug. All state sits behind
// one mutex, held only for short copies and edits, never while sending, sleeping, touching a
// file or telling a listener. Every read-modify-write of the program folder's files holds
// services.fileLock, and each save writes the live values of the moment it holds that lock,
// so the last save always carries the latest state (a DPI switch mirrored while an apply
// runs is not overwritten by the apply's older copy).
//
// Every change is told to services.onChange (DriverChange.h) after it is made, with no lock
// held. Getters return copies.
//
// Typical use (window or `run`): LoadState, StartWorkers, FindMouse (absent: tell the user
// and end), Apply; then edits, saves, applies and SwitchLanguage from the window; on
// MouseRemoved (re-posted to the window thread) or the user's exit: ExitDriver.
class MouseDriver final : private device::EngineHost, private device::ReadHandleSource {
  public:
    explicit MouseDriver(DriverServices services);
    ~MouseDriver() override;  // stops the workers (a playing macro releases what it holds)

    MouseDriver(const MouseDriver&) = delete;
    MouseDriver& operator=(const MouseDriver&) = delete;

    // Start-up steps that read files: Init/CurConfig and VER_SEL, the current profile, the
    // language's user macros and the constant macros (a missing macro file is told through
    // the notifier). Writes nothing and tells nothing: the caller reads the state after.
    // A file that exists but cannot be read is not taken for a missing one: its ReadFailed
    // is returned and nothing changes (nothing should then be sent or saved either).
    base::FileResult LoadState();

    // Makes profile `profile` current (in memory) and loads it. Tells Profile. When the
    // settings file cannot be read, returns why and changes nothing.
    base::FileResult SelectProfile(std::int32_t profile);

    // Searches the mouse (see device::DeviceLink::FindMouse).
    bool FindMouse();

    // ApplySettings with the current settings and profile; tells Applied. The file writes
    // hold the file lock (not the sends); the final save of the current profile keeps a DPI
    // level or report rate the mouse switched to while the apply ran.
    driver::ApplyResult Apply();

    // Starts the input reader and the action engine (they wait for the mouse) and listens
    // to the transport's hot-plug events. A removal of the mouse, or a read of the mouse
    // that says it is gone (for systems that send no hot-plug events), tells MouseRemoved
    // once; the remembered mouse coming back is searched again and tells MouseArrived.
    void StartWorkers();
    // Stops listening to hot-plug and ends both workers; a macro playing now ends after the
    // step being waited on and releases every key and button it holds. Not from a listener.
    void StopWorkers();

    // The device half of the exit sequence: StopWorkers (so nothing stays held), then
    // CMD_CLOSE unless the write collection failed to open, then the pointer speed back to
    // 10 where the desktop has one. CMD_CLOSE is the last report sent. Not from a listener.
    void ExitDriver();

    // A hot-plug event, for a program that hears them itself: true when it was the mouse's
    // removal (the program should end). Any thread.
    bool HandleHotplug(device::HotplugEvent event, const std::string& path);

    // Blocks until the engine has finished the press it was handed, or `timeout` passed;
    // true when idle.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);

    // --- State ---
    DriverStatus Status() const;
    settings::DeviceSettings Settings() const;
    std::int32_t CurrentProfile() const;
    std::uint8_t Language() const;
    driver::AppliedState Applied() const;
    macros::UserMacroTable UserMacros() const;
    macros::ConstMacroTable ConstMacros() const;

    // --- Editing the live settings (memory only; Save and Apply write them) ---
    // Edit a copy, then hand it back: CommitSettings stores it only when the live settings
    // did not change since the copy was taken (a DPI switch of the mouse, another thread's
    // edit) and returns false otherwise, storing nothing; take a new copy and edit again.
    SettingsCopy SettingsForEdit() const;
    bool CommitSettings(const SettingsCopy& edited);
    // Replaces the live settings as a whole (an imported profile). Tells Settings.
    void ReplaceSettings(const settings::DeviceSettings& settings);
    // Edits with `edit(settings::DeviceSettings&)` on a copy, outside the driver's lock, and
    // commits it; runs `edit` again on a fresh copy when the settings changed meanwhile, so
    // `edit` must only set fields (no side effects). It may call the driver.
    template <typename Edit>
    void EditSettings(Edit&& edit) {
        for (;;) {
            SettingsCopy copy = SettingsForEdit();
            edit(copy.settings);
            if (CommitSettings(copy)) return;
        }
    }

    // Replaces the user macros (import, editing); the language's macro file stays the place
    // they are saved to. Tells Macros.
    void SetUserMacros(const macros::UserMacroTable& table);

    // Saves the current settings into the current profile (Save), and the user macros into
    // the language's macro file. Both hold the file lock.
    base::FileResult SaveCurrentProfile();
    base::FileResult SaveUserMacros();

    // The language switch of the core: language := `language` (0 Chinese, else English),
    // Init/VER_SEL := "0" / "1", the language's user macro file becomes the current one and
    // is loaded (a missing file is told through the notifier). The settings and the profile
    // stay as they are in memory. Tells Language, then Macros.
    LanguageResult SwitchLanguage(std::uint8_t language);

    // Restores the factory state: profiles 1..5 rebuilt in config.ini (built-in defaults
    // into 1, the factory sections into 5..2; macroMode2 kept), the current profile reloaded
    // into the live settings, the language's default macros loaded and saved as its user
    // macros, then Apply. Tells Settings, Macros, then Applied.
    ResetResult ResetToDefaults();

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

    void Tell(ChangeKind what, ChangeOrigin origin = ChangeOrigin::User) const;
    void MouseGone();  // removal or a dead read: tells MouseRemoved once
    base::WriteLock& FileLock() { return *fileLock_; }
    // Config<profile> := `applied`, with the DPI level and report rate the mouse may have
    // switched to since (when `profile` is still current). With the file lock held.
    base::FileResult SaveAppliedProfile(std::int32_t profile,
                                        const settings::DeviceSettings& applied);

    struct Current {
        settings::DeviceSettings settings;
        std::int32_t profile;
    };
    Current CurrentCopy() const;  // the settings and their profile number, taken together

    DriverServices services_;
    base::ProcessWriteLock ownFileLock_;  // when the services bring none
    base::WriteLock* fileLock_;

    mutable std::mutex mutex_;  // guards the state below
    settings::DeviceSettings settings_;
    std::uint64_t settingsVersion_ = 0;
    std::int32_t currentProfile_ = 0;
    std::uint8_t language_ = 0;
    driver::AppliedState applied_;
    macros::UserMacroTable userMacros_;
    macros::ConstMacroTable constMacros_;

    std::atomic<std::int32_t> macroMode2_{0};  // read by the reader for every report
    std::atomic<bool> goneTold_{false};        // MouseRemoved told since the last arrival
    device::DeviceLink link_;
    device::CommandSender sender_;
    device::PlaybackFlags flags_;
    device::InputReader reader_;
    device::ActionEngine engine_;
};

}  // namespace trq::driver
