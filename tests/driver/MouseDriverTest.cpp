#include <gtest/gtest.h>

#include <tuple>

#include "base/Messages.h"
#include "device/VirtualMouse.h"
#include "driver/MouseDriver.h"
#include "macros/MacroFile.h"
#include "settings/SettingsFile.h"
#include "tests/support/TempDir.h"

namespace trq::driver {
namespace {

using namespace trq::base;
using namespace trq::settings;
using namespace trq::device;

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

class RecordingNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view text) override {
        std::lock_guard lock(mutex);
        messages.emplace_back(text);
    }
    std::mutex mutex;
    std::vector<std::string> messages;
};

// A program folder whose profile 2 has K3 = DPI up, K4 = macro 0, K6 = rate switch.
class MouseDriverTest : public ::testing::Test {
  protected:
    MouseDriverTest() {
        const auto config = home.path() / "config.ini";
        settings::DeviceSettings s = settings::DefaultSettings(0);
        s.buttonFunction = {1, 2, 3, 15, 41, 24, 14};
        settings::SaveProfile(config, 2, s);
        settings::WriteCurrentProfile(config, 2);
        settings::WriteLanguage(config, 1);

        macros::UserMacroTable table;
        macros::MacroRecord& m = table.records[0];
        m = macros::EmptyMacro();
        m.keys[0] = {4, macros::kActionDown};
        m.keys[1] = {4, macros::kActionUp};
        macros::SetStepDelay(m, 0, 200);
        macros::SetStepDelay(m, 1, 200);
        m.stepCount = 2;
        m.repeatMode = 1;
        macros::SetRepeatCount(m, 50);
        table.macroCount = 1;
        macros::SaveUserMacros(home.path() / "Macro_EN.dat", table);
        macros::SaveUserMacros(home.path() / "constMacro.dat", macros::UserMacroTable{});

        DriverServices services;
        services.paths.moduleFolder = home.path();
        services.transport = &mouse;
        services.desktop = &desktop;
        services.notifier = &notifier;
        services.clock = &clock;
        services.launch = [](LaunchTarget) { return true; };
        driver = std::make_unique<MouseDriver>(std::move(services));
    }

    void StartUp() {
        driver->StartWorkers();
        ASSERT_TRUE(driver->LoadState().ok());
        ASSERT_TRUE(driver->FindMouse());
        driver->Apply();
    }

    settings::DeviceSettings SavedProfile2() {
        settings::DeviceSettings s;
        settings::LoadProfile(home.path() / "config.ini", 2, false, 1, s);
        return s;
    }

    bool WaitFor(const std::function<bool()>& condition) {
        for (int i = 0; i < 500; ++i) {
            if (condition()) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    test::TempDir home;
    VirtualMouse mouse;
    settings::RecordingDesktopSettings desktop;
    RecordingNotifier notifier;
    SteadyPlaybackClock clock;
    std::unique_ptr<MouseDriver> driver;
};

TEST_F(MouseDriverTest, LoadsTheCurrentProfileAndLanguage) {
    ASSERT_TRUE(driver->LoadState().ok());
    EXPECT_EQ(driver->CurrentProfile(), 2);
    EXPECT_EQ(driver->Language(), 1);
    EXPECT_EQ(driver->Settings().buttonFunction[3], 15);
    EXPECT_EQ(driver->UserMacros().macroCount, 1);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(MouseDriverTest, MirrorsDpiAndRateSwitchesIntoTheCurrentProfile) {
    StartUp();
    mouse.Press(5);  // K3: DPI up, staying at the top
    ASSERT_TRUE(WaitFor([&] { return SavedProfile2().dpiLevel == 1; }));
    EXPECT_EQ(driver->Settings().dpiLevel, 1);
    // A press while the last one is still being finished would be dropped, as on the mouse.
    ASSERT_TRUE(driver->WaitUntilIdle(2s));
    mouse.Press(6);  // K6: rate switch, 2 -> 3
    ASSERT_TRUE(WaitFor([&] { return SavedProfile2().usbSpeed == 3; }));
    EXPECT_EQ(driver->Settings().usbSpeed, 3);
}

TEST_F(MouseDriverTest, AnUnplugDuringAMacroEndsItQuietly) {
    StartUp();
    mouse.ClearRecords();
    mouse.Press(4);  // K4: a long repeating macro
    ASSERT_TRUE(mouse.WaitForRecords(3, 2s));
    mouse.Unplug();
    EXPECT_FALSE(driver->HandleHotplug(HotplugEvent::Removal, "/dev/hidraw9"));
    EXPECT_TRUE(driver->HandleHotplug(HotplugEvent::Removal, driver->Status().devicePath));
    // Sends now fail quietly; stopping ends the playback after the step being waited on.
    const auto start = std::chrono::steady_clock::now();
    driver->StopWorkers();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(driver->Status().present);
}

TEST_F(MouseDriverTest, ExitSendsCloseAndRestoresPointerSpeed) {
    StartUp();
    mouse.ClearRecords();
    driver->ExitDriver();
    ASSERT_FALSE(mouse.FeatureReports().empty());
    const Bytes close = mouse.FeatureReports().back();
    EXPECT_EQ(Bytes(close.begin(), close.begin() + 4), (Bytes{0x07, 0x20, 0x00, 0x00}));
    EXPECT_EQ(desktop.PointerSpeed(), 10);
}

TEST_F(MouseDriverTest, MissingMacroFileIsTold) {
    std::filesystem::remove(home.path() / "Macro_EN.dat");
    EXPECT_TRUE(driver->LoadState().ok());
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"Configuration file not found: " +
                                                          (home.path() / "Macro_EN.dat").string()});
}

// A file that is there but cannot be read is not a missing one: its zeros must not replace
// the state (they would be sent to the mouse and saved).
TEST_F(MouseDriverTest, UnreadableFilesChangeNothing) {
    ASSERT_TRUE(driver->LoadState().ok());
    const auto state = [&] {
        return std::make_tuple(driver->CurrentProfile(), driver->Language(), driver->Settings(),
                               driver->UserMacros().macroCount);
    };
    const auto before = state();
    for (const char* name : {"config.ini", "Macro_EN.dat", "constMacro.dat"}) {
        SCOPED_TRACE(name);
        const std::filesystem::path file = home.path() / name;
        const std::filesystem::path aside = home.path() / "aside";
        std::filesystem::rename(file, aside);
        std::filesystem::create_directory(file);

        const base::FileResult loaded = driver->LoadState();
        EXPECT_EQ(loaded.error, base::FileError::ReadFailed);
        EXPECT_EQ(loaded.path, file.string());
        EXPECT_EQ(state(), before);
        if (std::string_view(name) == "config.ini") {
            EXPECT_EQ(driver->SelectProfile(3).error, base::FileError::ReadFailed);
            EXPECT_EQ(state(), before);
        }
        std::filesystem::remove(file);
        std::filesystem::rename(aside, file);
    }
    EXPECT_TRUE(notifier.messages.empty());
}

}  // namespace
}  // namespace trq::driver
