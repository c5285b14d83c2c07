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

TEST_F(ProfileFileTest, SectionWithSomeKeysImportsZerosForTheRest) {
    WriteBytes(file, "[Config7]\nK0=2\nFIRE_TIME=9\n");
    DeviceSettings s = DefaultSettings(0);
    ASSERT_TRUE(ImportProfile(file, s).ok());
    DeviceSettings expected{};
    expected.buttonFunction[0] = 2;
    expected.fireTime = 9;
    EXPECT_EQ(s, expected);
}

// An import that finds no profile must not turn every setting into zero.
TEST_F(ProfileFileTest, ImportOfNothingLeavesTheSettingsAlone) {
    std::filesystem::create_directory(dir / "folder");
    const std::string noSection = "no [Config7] section with profile settings";
    struct Case {
        const char* what;
        std::string bytes;  // written to `file` unless `path` is given
        std::filesystem::path path;
        base::FileError error;
        std::string reason;
    };
    const Case cases[] = {
        {"empty file", "", {}, base::FileError::NothingFound, noSection},
        {"settings file",
         "[Init]\r\nCurConfig=1\r\n[Config1]\r\nK0=1\r\n",
         {},
         base::FileError::NothingFound,
         noSection},
        {"macro file", "[Macros]\r\nmacroNum=0\r\n", {}, base::FileError::NothingFound, noSection},
        {"section without profile keys",
         "[Config7]\r\nother=1\r\n",
         {},
         base::FileError::NothingFound,
         noSection},
        {"device", "", "/dev/null", base::FileError::ReadFailed, "not a regular file (a device)"},
        {"folder", "", dir / "folder", base::FileError::ReadFailed,
         "not a regular file (a folder)"},
        {"missing", "", dir / "nope.ini", base::FileError::NotFound, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(file, c.bytes);
        const std::filesystem::path source = c.path.empty() ? file : c.path;
        DeviceSettings s = DefaultSettings(1);
        const base::FileResult result = ImportProfile(source, s);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(result.reason, c.reason);
        EXPECT_EQ(result.path, source.string());
        EXPECT_EQ(s, DefaultSettings(1));
    }
    WriteBytes(file, "");
    DeviceSettings s;
    EXPECT_EQ(base::Describe(ImportProfile(file, s)),
              "nothing to import from " + file.string() + ": " + noSection);
}

}  // namespace
}  // namespace trq::settings
