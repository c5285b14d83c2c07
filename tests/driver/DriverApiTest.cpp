// What the window and the tool rely on from the resident core: change notices, editing that
// cannot lose the mouse's switches, saves that keep the latest state, the language switch,
// the factory reset, the unplug paths and an exit that leaves nothing held.

#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>

#include "device/MouseProtocol.h"
#include "device/VirtualMouse.h"
#include "driver/MouseDriver.h"
#include "macros/MacroFile.h"
#include "settings/SettingsFile.h"
#include "tests/support/TempDir.h"

namespace trq::driver {
namespace {

using namespace std::chrono_literals;
using device::VirtualMouse;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kDpiUpButton = 5;  // K3: DPI up (function 15)
constexpr std::uint8_t kMacroButton = 4;  // K4: user macro 0
constexpr std::uint8_t kDpiUpCode = device::kInputCodeBase + kDpiUpButton;

class NoNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view) override {}
};

// Records every notice; reads the driver back from inside the call, which would deadlock if
// a lock of the driver were held.
class ChangeLog {
  public:
    void Add(const DriverChange& change, MouseDriver* driver) {
        if (driver != nullptr) {
            (void)driver->Settings();
            (void)driver->Status();
        }
        std::lock_guard lock(mutex_);
        changes_.push_back(change);
        changed_.notify_all();
    }
    std::vector<DriverChange> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(changes_, {});
    }
    bool WaitFor(const DriverChange& change) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 2s, [&] {
            return std::find(changes_.begin(), changes_.end(), change) != changes_.end();
        });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<DriverChange> changes_;
};

// Sets the pointer speed like the desktop, and lets a test act in the middle of an apply
// (the pointer speed is set between the LED report and the fire-time report).
class HookedDesktop final : public settings::DesktopSettings {
  public:
    std::function<void()> duringApply;
    std::optional<int> PointerSpeed() override { return 10; }
    bool SetPointerSpeed(int) override {
        if (duringApply) std::exchange(duringApply, {})();
        return true;
    }
    std::optional<int> WheelScrollLines() override { return std::nullopt; }
    bool SetWheelScrollLines(int) override { return false; }
};

settings::DeviceSettings Profile(std::int32_t fireTime) {
    settings::DeviceSettings s = settings::DefaultSettings(0);
    s.buttonFunction = {1, 2, 3, 15, 41, 24, 14};
    s.fireTime = fireTime;
    return s;
}

macros::UserMacroTable Macros(int count, std::uint8_t firstKey) {
    macros::UserMacroTable table;
    for (int i = 0; i < count; ++i) {
        macros::MacroRecord& m = table.records[static_cast<std::size_t>(i)];
        m = macros::EmptyMacro();
        m.keys[0] = {static_cast<std::uint8_t>(firstKey + i), macros::kActionDown};
        m.keys[1] = {static_cast<std::uint8_t>(firstKey + i), macros::kActionUp};
        macros::SetStepDelay(m, 0, 200);
        macros::SetStepDelay(m, 1, 200);
        m.stepCount = 2;
        m.repeatMode = 1;
        macros::SetRepeatCount(m, 50);
    }
    table.macroCount = static_cast<std::int16_t>(count);
    return table;
}

// English, profile 2 current (fire time 20), one user macro in Macro_EN.dat, two in
// Macro_CN.dat, three default English macros, factory sections with fire times 102..105 and
// 205 for the English profile 5.
class DriverApiTest : public ::testing::Test {
  protected:
    DriverApiTest() {
        const auto config = Config();
        for (int n = 1; n <= 5; ++n)
            settings::SaveProfile(config, n, Profile(10 + n));
        settings::SaveProfile(config, 2, Profile(20));
        for (int n = 2; n <= 5; ++n) {
            settings::SaveProfileSection(config, "CfgReset" + std::to_string(n), Profile(100 + n));
        }
        settings::SaveProfileSection(config, "CfgReset_EN5", Profile(205));
        settings::WriteCurrentProfile(config, 2);
        settings::WriteLanguage(config, 1);
        macros::SaveUserMacros(home / "Macro_EN.dat", Macros(1, 4));
        macros::SaveUserMacros(home / "Macro_CN.dat", Macros(2, 10));
        macros::SaveUserMacros(home / "constMacro.dat", macros::UserMacroTable{});
        std::filesystem::create_directories(home / "skins" / "INI_EN");
        macros::SaveUserMacros(home / "skins" / "INI_EN" / "defMacro.dat", Macros(3, 20));

        DriverServices services;
        services.paths.moduleFolder = home.path();
        services.transport = &mouse;
        services.desktop = &desktop;
        services.notifier = &notifier;
        services.clock = &clock;
        services.onChange = [this](const DriverChange& c) { changes.Add(c, driver.get()); };
        driver = std::make_unique<MouseDriver>(std::move(services));
    }
    ~DriverApiTest() override { driver.reset(); }

    std::filesystem::path Config() const { return home / "config.ini"; }

    void StartUp() {
        driver->StartWorkers();
        driver->LoadState();
        ASSERT_TRUE(driver->FindMouse());
        driver->Apply();
        changes.Take();
    }

    settings::DeviceSettings Saved(int profile) const {
        settings::DeviceSettings s;
        settings::LoadProfile(Config(), profile, false, 1, s);
        return s;
    }

    // Presses the DPI-up button and waits until the switch is mirrored and saved.
    void SwitchDpiUp(std::int32_t expectedLevel) {
        ASSERT_TRUE(mouse.Press(kDpiUpButton));
        ASSERT_TRUE(changes.WaitFor({ChangeKind::Settings, ChangeOrigin::Mouse}));
        ASSERT_EQ(driver->Settings().dpiLevel, expectedLevel);
        ASSERT_TRUE(driver->WaitUntilIdle(2s));
    }

    test::TempDir home;
    VirtualMouse mouse;
    HookedDesktop desktop;
    NoNotifier notifier;
    device::SteadyPlaybackClock clock;
    ChangeLog changes;
    std::unique_ptr<MouseDriver> driver;
};

TEST_F(DriverApiTest, EachOperationTellsItsChangesWithNoLockHeld) {
    StartUp();
    using Change = DriverChange;
    constexpr auto User = ChangeOrigin::User;
    struct Case {
        const char* what;
        std::function<void(MouseDriver&)> act;
        std::vector<Change> told;
    };
    const Case cases[] = {
        {"select a profile",
         [](MouseDriver& d) { d.SelectProfile(3); },
         {{ChangeKind::Profile, User}}},
        {"replace the settings",
         [](MouseDriver& d) { d.ReplaceSettings(Profile(99)); },
         {{ChangeKind::Settings, User}}},
        {"edit the settings",
         [](MouseDriver& d) {
             d.EditSettings([](settings::DeviceSettings& s) { s.fireTime = 7; });
         },
         {{ChangeKind::Settings, User}}},
        {"replace the macros",
         [](MouseDriver& d) { d.SetUserMacros(Macros(2, 30)); },
         {{ChangeKind::Macros, User}}},
        {"apply", [](MouseDriver& d) { d.Apply(); }, {{ChangeKind::Applied, User}}},
        {"switch the language",
         [](MouseDriver& d) { d.SwitchLanguage(0); },
         {{ChangeKind::Language, User}, {ChangeKind::Macros, User}}},
        {"save (nothing in memory changes)",
         [](MouseDriver& d) {
             d.SaveCurrentProfile();
             d.SaveUserMacros();
         },
         {}},
    };
    for (const Case& c : cases) {
        c.act(*driver);
        EXPECT_EQ(changes.Take(), c.told) << c.what;
    }
}

TEST_F(DriverApiTest, TheMouseOwnSwitchIsToldAndAnImpossibleLevelIgnored) {
    StartUp();
    SwitchDpiUp(1);
    EXPECT_EQ(Saved(2).dpiLevel, 1);

    // A report claiming level 7 for the DPI button: nothing followed, told or saved.
    changes.Take();
    const std::string before = test::ReadBytes(Config());
    ASSERT_TRUE(mouse.EmitInput(Bytes{6, kDpiUpCode, 7, 0, 0, 0, 0, 0}));
    std::this_thread::sleep_for(50ms);  // the press reaches the engine
    ASSERT_TRUE(driver->WaitUntilIdle(2s));
    EXPECT_EQ(driver->Settings().dpiLevel, 1);
    EXPECT_EQ(test::ReadBytes(Config()), before);
    EXPECT_TRUE(changes.Take().empty());
}

TEST_F(DriverApiTest, AStaleCopyIsNotCommittedAndEditSettingsRedoesTheEdit) {
    StartUp();
    SettingsCopy copy = driver->SettingsForEdit();
    copy.settings.fireTime = 99;
    SwitchDpiUp(1);  // the mouse changes the live settings meanwhile
    EXPECT_FALSE(driver->CommitSettings(copy));
    EXPECT_EQ(driver->Settings().fireTime, 20) << "nothing stored";

    int runs = 0;
    std::optional<SettingsCopy> stale = driver->SettingsForEdit();
    driver->EditSettings([&](settings::DeviceSettings& s) {
        if (runs++ == 0) driver->ReplaceSettings(driver->Settings());  // a change meanwhile
        s.fireTime = 99;
    });
    EXPECT_EQ(runs, 2) << "run again on a fresh copy";
    EXPECT_EQ(driver->Settings().fireTime, 99);
    EXPECT_EQ(driver->Settings().dpiLevel, 1) << "the mirrored switch survives the edit";
    EXPECT_FALSE(driver->CommitSettings(*stale));
}

// The mouse's DPI switch arrives while an apply is between its sends: the switch is mirrored
// and saved at once, and the apply's own save of the profile must not roll it back.
TEST_F(DriverApiTest, ADpiSwitchMirroredDuringAnApplyWinsInTheFile) {
    StartUp();
    desktop.duringApply = [&] {
        SwitchDpiUp(1);
        ASSERT_EQ(Saved(2).dpiLevel, 1) << "the mirror saved before the apply's last write";
    };
    driver->Apply();
    EXPECT_FALSE(desktop.duringApply) << "the hook ran";
    EXPECT_EQ(driver->Settings().dpiLevel, 1);
    EXPECT_EQ(Saved(2).dpiLevel, 1);
    EXPECT_EQ(Saved(2).fireTime, 20) << "the rest is the applied profile";
}

TEST_F(DriverApiTest, AnUnplugIsToldOnceWithOrWithoutHotplugEvents) {
    for (const bool announce : {true, false}) {
        SCOPED_TRACE(announce ? "hot-plug event and dead read" : "dead read only");
        if (!announce) {
            mouse.Plug();
            ASSERT_TRUE(changes.WaitFor({ChangeKind::MouseArrived, ChangeOrigin::Mouse}));
            EXPECT_TRUE(driver->Status().present);
        } else {
            StartUp();
        }
        changes.Take();
        mouse.Unplug(announce);
        ASSERT_TRUE(changes.WaitFor({ChangeKind::MouseRemoved, ChangeOrigin::Mouse}));
        std::this_thread::sleep_for(50ms);  // a second notice would come now
        EXPECT_EQ(changes.Take(),
                  (std::vector<DriverChange>{{ChangeKind::MouseRemoved, ChangeOrigin::Mouse}}));
        EXPECT_FALSE(driver->Status().present);
    }
}

TEST_F(DriverApiTest, ExitStopsAPlayingMacroAndReleasesBeforeClosing) {
    StartUp();
    mouse.ClearRecords();
    ASSERT_TRUE(mouse.Press(kMacroButton));
    ASSERT_TRUE(mouse.WaitForRecords(2, 2s));  // the press and the first key down
    driver->ExitDriver();

    const std::vector<Bytes> reports = mouse.FeatureReports();
    ASSERT_GE(reports.size(), 4u);
    const auto command = [](const Bytes& r) { return static_cast<device::Command>(r[1]); };
    const std::size_t n = reports.size();
    EXPECT_EQ(command(reports[0]), device::Command::Keys);
    EXPECT_EQ(reports[0][2], 4) << "key A held by the macro";
    EXPECT_EQ(command(reports[n - 3]), device::Command::MouseButtons);
    EXPECT_EQ(reports[n - 3][3], 0xFF) << "every button released";
    EXPECT_EQ(reports[n - 2], (Bytes{7, 0x15, 0, 0, 0, 0, 0, 0})) << "every key released";
    EXPECT_EQ(command(reports[n - 1]), device::Command::Close) << "the close goes out last";
}

TEST_F(DriverApiTest, SwitchLanguageReloadsTheMacrosAndKeepsTheEditedSettings) {
    StartUp();
    driver->EditSettings([](settings::DeviceSettings& s) { s.fireTime = 77; });
    const LanguageResult result = driver->SwitchLanguage(0);
    EXPECT_TRUE(result.written.ok());
    EXPECT_TRUE(result.macros.ok());
    EXPECT_EQ(driver->Language(), 0);
    EXPECT_EQ(settings::ReadLanguage(Config()), 0);
    EXPECT_EQ(driver->Settings().fireTime, 77) << "the edit stays in memory";
    EXPECT_EQ(Saved(2).fireTime, 20) << "and is not saved";
    EXPECT_EQ(driver->UserMacros().macroCount, 2);
    EXPECT_EQ(driver->UserMacros().currentMacroFile, home / "Macro_CN.dat");

    // A macro file that cannot be read keeps the macros and the file they belong to.
    std::filesystem::remove(home / "Macro_EN.dat");
    std::filesystem::create_directories(home / "Macro_EN.dat");
    const LanguageResult unreadable = driver->SwitchLanguage(1);
    EXPECT_EQ(unreadable.macros.error, base::FileError::ReadFailed);
    EXPECT_EQ(driver->Language(), 1);
    EXPECT_EQ(driver->UserMacros().macroCount, 2);
    EXPECT_EQ(driver->UserMacros().currentMacroFile, home / "Macro_CN.dat");
}

TEST_F(DriverApiTest, ResetToDefaultsRebuildsProfilesAndMacrosThenApplies) {
    StartUp();
    settings::DeviceSettings edited = Profile(33);
    edited.macroMode2 = 1;
    driver->ReplaceSettings(edited);
    changes.Take();
    mouse.ClearRecords();

    const ResetResult result = driver->ResetToDefaults();
    EXPECT_TRUE(result.profiles.ok());
    EXPECT_TRUE(result.macros.ok());
    EXPECT_EQ(result.apply.reportsSent, kApplyReportCount);

    EXPECT_EQ(Saved(1), settings::DefaultSettings(1)) << "built-in defaults, macroMode2 kept";
    EXPECT_EQ(Saved(2).fireTime, 102);
    EXPECT_EQ(Saved(5).fireTime, 205) << "the English factory profile 5";
    EXPECT_EQ(driver->Settings(), Saved(2)) << "the current profile reloaded";
    EXPECT_EQ(driver->UserMacros().macroCount, 3);
    macros::UserMacroTable saved;
    NoNotifier quiet;
    macros::LoadUserMacros(home / "Macro_EN.dat", saved, quiet, 1);
    EXPECT_EQ(saved.macroCount, 3) << "the defaults saved as the user macros";
    EXPECT_EQ(mouse.FeatureReports().size(), static_cast<std::size_t>(kApplyReportCount));
    EXPECT_EQ(changes.Take(),
              (std::vector<DriverChange>{{ChangeKind::Settings, ChangeOrigin::User},
                                         {ChangeKind::Macros, ChangeOrigin::User},
                                         {ChangeKind::Applied, ChangeOrigin::User}}));
}

}  // namespace
}  // namespace trq::driver
