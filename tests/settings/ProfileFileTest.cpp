#include <gtest/gtest.h>

#include "settings/ProfileFile.h"
#include "tests/support/TempDir.h"

namespace trq::settings {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class ProfileFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    std::filesystem::path file = dir / "mine.ini";
};

TEST_F(ProfileFileTest, ExportThenImportRestoresEveryField) {
    DeviceSettings s = DefaultSettings(1);
    s.usbSpeed = 3;
    s.buttonFunction[4] = 30;
    ASSERT_TRUE(ExportProfile(file, s).ok());
    EXPECT_EQ(ReadBytes(file).rfind("[Config7]\r\nK0=1\r\n", 0), 0u);
    DeviceSettings back;
    ASSERT_TRUE(ImportProfile(file, back).ok());
    EXPECT_EQ(back, s);
}

TEST_F(ProfileFileTest, ExportIntoAnExistingFileKeepsItsOtherContent) {
    WriteBytes(file, "; mine\n[Other]\nx=1\n[Config7]\nFIRE_TIME=7\nextra=yes\n");
    ASSERT_TRUE(ExportProfile(file, DefaultSettings(0)).ok());
    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind("; mine\n[Other]\nx=1\n[Config7]\nFIRE_TIME=50\nextra=yes\nK0=1\n", 0),
              0u)
        << bytes;
}

TEST_F(ProfileFileTest, FileWithoutTheSectionImportsAsZeros) {
    WriteBytes(file, "[Config1]\nK0=1\n");
    DeviceSettings s = DefaultSettings(0);
    ASSERT_TRUE(ImportProfile(file, s).ok());
    EXPECT_EQ(s, DeviceSettings{});
}

TEST_F(ProfileFileTest, MissingFileLeavesTheSettingsAlone) {
    DeviceSettings s = DefaultSettings(0);
    EXPECT_EQ(ImportProfile(dir / "nope.ini", s).error, base::FileError::NotFound);
    EXPECT_EQ(s, DefaultSettings(0));
}

}  // namespace
}  // namespace trq::settings
