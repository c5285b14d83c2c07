#include <gtest/gtest.h>

#include <thread>

#include "base/IniFile.h"
#include "settings/SettingsFile.h"
#include "tests/support/TempDir.h"

namespace trq::settings {
namespace {

using test::ReadBytes;
using test::WriteBytes;

constexpr std::string_view kDefaultBlock =
    "[Config1]\r\nK0=1\r\nK1=2\r\nK2=3\r\nK3=5\r\nK4=4\r\nK5=15\r\nK6=16\r\nDPI_LEVEL=0\r\n"
    "WHEEL_STATUS=0\r\nMACRO_MODE2=0\r\nDPI_SET0=3\r\nDPI_SET_EN0=1\r\nDPI_SET1=6\r\n"
    "DPI_SET_EN1=1\r\nDPI_SET2=8\r\nDPI_SET_EN2=1\r\nDPI_SET3=10\r\nDPI_SET_EN3=1\r\n"
    "LED_STATUS=0\r\nDPI_SPEED=4\r\nWHEEL_SPEED=2\r\nUSB_SPEED=2\r\nFIRE_TIME=50\r\n";

class SettingsFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path config = dir / "config.ini";
};

TEST_F(SettingsFileTest, DefaultsWriteTheKnownBlockByteForByte) {
    ASSERT_TRUE(SaveProfile(config, 1, DefaultSettings(0)).ok());
    EXPECT_EQ(ReadBytes(config), kDefaultBlock);
}

TEST_F(SettingsFileTest, SaveThenLoadGivesEveryField) {
    DeviceSettings s = DefaultSettings(1);
    s.buttonFunction = {41, 1, 24, -1, 14, 6, 52};
    s.dpiLevel = 3;
    s.dpiSet = {0, 11, 5, 7};
    s.dpiSetEnabled = {0, 1, 0, 1};
    s.ledStatus = 2;
    s.usbSpeed = 3;
    s.fireTime = 300;
    ASSERT_TRUE(SaveProfile(config, 4, s).ok());
    DeviceSettings back;
    ASSERT_TRUE(LoadProfile(config, 4, false, 0, back).ok());
    EXPECT_EQ(back, s);
}

TEST_F(SettingsFileTest, ReadsValuesAsTheFileFormatSays) {
    WriteBytes(config,
               "[config2]\nk3=-1\nDPI_SET_EN0=7\nDPI_SET1=262\nFIRE_TIME=12345\n"
               "DPI_SET2=  9 dpi\nLED_STATUS=abc\nK0=  41\n");
    DeviceSettings s = DefaultSettings(0);
    ASSERT_TRUE(LoadProfile(config, 2, false, 0, s).ok());
    EXPECT_EQ(s.buttonFunction[3], -1);
    EXPECT_EQ(s.buttonFunction[0], 41);
    EXPECT_EQ(s.buttonFunction[1], 0) << "a missing key reads as 0";
    EXPECT_EQ(s.dpiSetEnabled[0], 1);
    EXPECT_EQ(s.dpiSet[1], 6) << "low 8 bits";
    EXPECT_EQ(s.dpiSet[2], 9);
    EXPECT_EQ(s.fireTime, 1234) << "cut to four characters";
    EXPECT_EQ(s.ledStatus, 0);
    EXPECT_EQ(s.dpiSpeed, 0);

    ASSERT_TRUE(SaveProfile(config, 2, s).ok());
    EXPECT_EQ(base::IniDocument::FromBytes(ReadBytes(config)).Read("Config2", "DPI_SET_EN0", 10),
              "1");
}

TEST_F(SettingsFileTest, MissingFileReadsAsZerosAndIsReported) {
    DeviceSettings s = DefaultSettings(1);
    EXPECT_EQ(LoadProfile(config, 1, false, 0, s).error, base::FileError::NotFound);
    EXPECT_EQ(s, DeviceSettings{});
    EXPECT_EQ(ReadCurrentProfile(config), 0);
    EXPECT_EQ(ReadLanguage(config), 0);
    EXPECT_FALSE(std::filesystem::exists(config)) << "reading creates nothing";
}

TEST_F(SettingsFileTest, UnreadableFileLeavesTheSettingsAlone) {
    std::filesystem::create_directory(config);
    DeviceSettings s = DefaultSettings(1);
    const base::FileResult result = LoadProfile(config, 1, false, 0, s);
    EXPECT_EQ(result.error, base::FileError::ReadFailed);
    EXPECT_EQ(result.reason, "not a regular file (a folder)");
    EXPECT_EQ(s, DefaultSettings(1));
}

TEST_F(SettingsFileTest, SingleKeySavesTouchOnlyTheirKey) {
    WriteBytes(config, "[Init]\nCurConfig=3\n[Config3]\nK0=1\n; note\n\n[Config6]\nK0=2\n");
    ASSERT_TRUE(SaveDpiLevel(config, 3, 2).ok());
    ASSERT_TRUE(SaveUsbSpeed(config, 3, 1).ok());
    EXPECT_EQ(ReadBytes(config),
              "[Init]\nCurConfig=3\n[Config3]\nK0=1\nDPI_LEVEL=2\nUSB_SPEED=1\n; note\n\n"
              "[Config6]\nK0=2\n");
    ASSERT_TRUE(SaveDpiLevel(config, 3, 0).ok());
    EXPECT_NE(ReadBytes(config).find("DPI_LEVEL=0\nUSB_SPEED=1"), std::string::npos);
}

TEST_F(SettingsFileTest, InitValues) {
    WriteBytes(config, "[INIT]\r\nCurConfig=4\r\nVER_SEL=257\r\n");
    EXPECT_EQ(ReadCurrentProfile(config), 4);
    EXPECT_EQ(ReadLanguage(config), 1) << "low 8 bits of 257";
    ASSERT_TRUE(WriteCurrentProfile(config, 2).ok());
    ASSERT_TRUE(WriteLanguage(config, 0).ok());
    EXPECT_EQ(ReadBytes(config), "[INIT]\r\nCurConfig=2\r\nVER_SEL=0\r\n");
}

TEST(ProfileSectionName, NamesEverySection) {
    EXPECT_EQ(ProfileSectionName(3, false, 1), "Config3");
    EXPECT_EQ(ProfileSectionName(0, false, 0), "Config0");
    EXPECT_EQ(ProfileSectionName(5, true, 1), "CfgReset_EN5");
    EXPECT_EQ(ProfileSectionName(5, true, 0), "CfgReset5");
    EXPECT_EQ(ProfileSectionName(5, true, 2), "CfgReset5") << "only language 1 exactly";
    EXPECT_EQ(ProfileSectionName(4, true, 1), "CfgReset4");
}

class ResetProfilesTest : public SettingsFileTest {
  protected:
    void SetUp() override {
        std::string text = "[Init]\r\nCurConfig=5\r\n";
        for (int n = 1; n <= 5; ++n) {
            text += "[CfgReset" + std::to_string(n) +
                    "]\r\nK0=1\r\nFIRE_TIME=" + std::to_string(100 + n) + "\r\nMACRO_MODE2=1\r\n";
        }
        text += "[CfgReset_EN5]\r\nK0=1\r\nFIRE_TIME=205\r\n";
        text += "[Config1]\r\nK0=9\r\n";
        WriteBytes(config, text);
    }
};

TEST_F(ResetProfilesTest, RebuildsProfilesFromDefaultsAndFactorySections) {
    for (std::uint8_t language : {0, 1}) {
        DeviceSettings s;
        s.macroMode2 = 1;
        ASSERT_TRUE(ResetProfiles(config, 5, language, s).ok());
        DeviceSettings p;
        LoadProfile(config, 1, false, language, p);
        EXPECT_EQ(p, DefaultSettings(1)) << "profile 1 is never taken from CfgReset1";
        for (int n = 2; n <= 4; ++n) {
            LoadProfile(config, n, false, language, p);
            EXPECT_EQ(p.fireTime, 100 + n);
        }
        LoadProfile(config, 5, false, language, p);
        EXPECT_EQ(p.fireTime, language == 1 ? 205 : 105);
        EXPECT_EQ(s, p) << "the current profile is reloaded";
    }
}

TEST_F(SettingsFileTest, ConcurrentSavesNeverLoseTheFile) {
    ASSERT_TRUE(SaveProfile(config, 1, DefaultSettings(0)).ok());
    std::thread engine([&] {
        for (int i = 0; i < 50; ++i)
            SaveDpiLevel(config, 1, i % 4);
    });
    DeviceSettings s = DefaultSettings(0);
    for (int i = 0; i < 50; ++i) {
        s.fireTime = i;
        SaveProfile(config, 1, s);
    }
    engine.join();
    DeviceSettings back;
    ASSERT_TRUE(LoadProfile(config, 1, false, 0, back).ok());
    EXPECT_EQ(back.fireTime, 49);
    EXPECT_EQ(back.buttonFunction, DefaultButtonFunction);
    EXPECT_EQ(ReadBytes(config).size(), kDefaultBlock.size()) << "no key doubled or lost";
}

}  // namespace
}  // namespace trq::settings
