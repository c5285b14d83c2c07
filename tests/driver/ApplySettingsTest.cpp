#include <gtest/gtest.h>

#include "base/IniFile.h"
#include "device/VirtualMouse.h"
#include "driver/ApplySettings.h"
#include "settings/SettingsFile.h"
#include "tests/support/TempDir.h"

namespace trq::driver {
namespace {

using namespace trq::base;
using namespace trq::settings;
using namespace trq::device;

using Bytes = std::vector<std::uint8_t>;

class ApplySettingsTest : public ::testing::Test {
  protected:
    ApplySettingsTest() { link.FindMouse(); }

    ApplyResult Apply(const DeviceSettings& s, std::int32_t profile = 1) {
        mouse.ClearRecords();
        ApplyHooks hooks;
        hooks.repaint = [this] { ++repaints; };
        return ApplySettings(s, profile, config, sender, desktop, hooks);
    }

    test::TempDir dir;
    std::filesystem::path config = dir / "config.ini";
    device::VirtualMouse mouse;
    device::DeviceLink link{mouse};
    device::CommandSender sender{link};
    RecordingDesktopSettings desktop;
    int repaints = 0;
};

TEST_F(ApplySettingsTest, SendsTheFourteenReportsInOrder) {
    DeviceSettings s = DefaultSettings(0);
    s.buttonFunction = {1, 2, 41, 15, 14, 24, 17};
    s.dpiSet = {0, 3, 7, 11};
    s.dpiLevel = 2;
    s.ledStatus = 1;
    s.fireTime = 300;
    const ApplyResult result = Apply(s);
    EXPECT_EQ(result.reportsSent, 14);
    const std::vector<Bytes> expected = {
        {7, 0x10, 1, 1, 0, 0, 0, 0},          {7, 0x10, 2, 2, 0, 0, 0, 0},
        {7, 0x10, 3, 0, 0, 0, 0, 0},          {7, 0x10, 5, 11, 0, 0, 0, 0},
        {7, 0x10, 4, 10, 0, 0, 0, 0},         {7, 0x10, 8, 0, 0, 0, 0, 0},
        {7, 0x10, 6, 13, 0, 0, 0, 0},         {7, 0x11, 0, 0, 0, 0, 0, 0},
        {7, 0x09, 0x42, 0x18, 0x0F, 0, 0, 0}, {7, 0x09, 0x42, 0x49, 0x0F, 0, 0, 0},
        {7, 0x09, 0x42, 0x9A, 0x0F, 0, 0, 0}, {7, 0x09, 0x42, 0xFB, 0x0F, 0, 0, 0},
        {7, 0x13, 0x7F, 0x13, 0x0F, 0, 0, 0}, {7, 0x12, 0x00, 0x25, 0, 0, 0, 0},
    };
    EXPECT_EQ(mouse.FeatureReports(), expected);
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(result.applied.dpiCodes, (std::array<std::uint8_t, 4>{1, 4, 9, 15}));
    EXPECT_EQ(result.applied.ledMode, 1);
}

TEST_F(ApplySettingsTest, FlagsFollowEachApply) {
    DeviceSettings s = DefaultSettings(0);
    s.buttonFunction[3] = 15;
    s.buttonFunction[4] = 14;
    s.buttonFunction[5] = 41;
    ApplyResult r = Apply(s);
    EXPECT_TRUE(r.applied.dpiMirrorFlags[3]);
    EXPECT_TRUE(r.applied.rateCycleFlags[4]);
    EXPECT_FALSE(r.applied.dpiMirrorFlags[5]);
    EXPECT_FALSE(r.applied.rateCycleFlags[5]);
    EXPECT_EQ(mouse.ButtonAction(8), 0) << "a macro button is reported to the host";

    s.buttonFunction[3] = 2;
    r = Apply(s);
    EXPECT_FALSE(r.applied.dpiMirrorFlags[3]);
    EXPECT_EQ(mouse.ButtonAction(5), 2);
}

TEST_F(ApplySettingsTest, DesktopFollowsTheSpeedSteps) {
    const std::pair<int, int> cases[] = {{0, 1}, {5, 10}, {9, 18}};
    for (auto [step, speed] : cases) {
        DeviceSettings s = DefaultSettings(0);
        s.dpiSpeed = static_cast<std::uint8_t>(step);
        Apply(s);
        EXPECT_EQ(desktop.PointerSpeed(), speed) << step;
    }
    EXPECT_EQ(desktop.WheelScrollLines(), 3) << "wheelSpeed 2 is three lines";

    desktop.Forget();
    const auto setsBefore = desktop.pointerSets().size();
    Apply(DefaultSettings(0));
    EXPECT_EQ(desktop.pointerSets().size(), setsBefore) << "an unreadable setting is not set";
}

TEST_F(ApplySettingsTest, RecordsTheProfileAndTheSnapshot) {
    DeviceSettings s = DefaultSettings(0);
    s.fireTime = 123;
    ASSERT_TRUE(Apply(s, 3).file.ok());
    const IniDocument doc = IniDocument::FromBytes(test::ReadBytes(config));
    EXPECT_EQ(doc.Read("Init", "CurConfig", 10), "3");
    DeviceSettings six, three;
    LoadProfile(config, 6, false, 0, six);
    LoadProfile(config, 3, false, 0, three);
    EXPECT_EQ(six, s);
    EXPECT_EQ(three, s);
}

TEST_F(ApplySettingsTest, WithoutAMouseTheFileAndDesktopStillChange) {
    mouse.Unplug();
    DeviceSettings s = DefaultSettings(0);
    s.dpiSpeed = 0;
    const ApplyResult r = Apply(s, 2);
    EXPECT_EQ(r.reportsSent, 0);
    EXPECT_TRUE(r.file.ok());
    EXPECT_EQ(desktop.PointerSpeed(), 1);
    DeviceSettings two;
    EXPECT_TRUE(LoadProfile(config, 2, false, 0, two).ok());
    EXPECT_EQ(two, s);
}

}  // namespace
}  // namespace trq::driver
