#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "base/FileIo.h"
#include "base/Messages.h"
#include "macros/KeyTables.h"
#include "macros/MacroFile.h"
#include "tests/support/TempDir.h"

namespace trq::macros {
namespace {

using base::FileError;

constexpr std::uint8_t kEnglish = 1;
constexpr std::uint8_t kChinese = 0;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class RecordingNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
    std::vector<std::string> messages;
};

std::string Repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// The sane record: "Ab", repeated 3 times, A down for 120 ms, then A up with the default.
MacroRecord SaneRecord() {
    MacroRecord r = EmptyMacro();
    SetMacroName(r, u"Ab");
    r.repeatMode = 1;
    SetRepeatCount(r, 3);
    r.stepCount = 2;
    r.keys[0] = {4, kActionDown};
    r.keys[1] = {4, kActionUp};
    SetStepDelay(r, 0, 120);
    SetStepDelay(r, 1, kDefaultStepDelay);
    return r;
}

const std::string kSaneValue = "065000098000" + Repeat("000", 36) + "001003000002" +
                               "065001120000" + "065002030000" + Repeat("000000000000", 253);

// A record whose every byte is `byte`: shows which records a load leaves alone.
MacroRecord Stale(std::uint8_t byte) {
    std::array<std::uint8_t, sizeof(MacroRecord)> bytes;
    bytes.fill(byte);
    return RecordFromBytes(bytes);
}

template <typename Table>
void FillStale(Table& table) {
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        table.records[i] = Stale(static_cast<std::uint8_t>(0xA0 + i));
    }
    table.macroCount = 5;
}

// A macro file whose record i is the sane record with repeatMode i.
std::string FileWithMacros(std::string_view macroNum, int keys) {
    std::string text = "[Macros]\r\nmacroNum=" + std::string(macroNum) + "\r\n";
    for (int i = 0; i < keys; ++i) {
        MacroRecord r = SaneRecord();
        r.repeatMode = static_cast<std::uint8_t>(i);
        text += std::to_string(i) + "=" + EncodeMacroValue(r) + "\r\n";
    }
    return text;
}

TEST(FormatField, ThreeDigitsWithLeadingZeros) {
    const std::pair<int, std::string_view> cases[] = {
        {0, "000"}, {7, "007"}, {10, "010"}, {42, "042"}, {99, "099"}, {100, "100"}, {255, "255"},
    };
    for (auto [value, text] : cases) {
        EXPECT_EQ(FormatField(static_cast<std::uint8_t>(value)), text) << value;
    }
}

TEST(MacroValue, WorkedExampleByteForByte) {
    ASSERT_EQ(kSaneValue.size(), kMacroValueChars);
    EXPECT_EQ(EncodeMacroValue(SaneRecord()), kSaneValue);
    EXPECT_EQ(DecodeMacroValue(kSaneValue), SaneRecord());
}

// Field 40 (repeatMode) is read from the given three characters; fields 0..39 are zero.
TEST(MacroValue, EachFieldConvertsLikeAtoiAndKeepsItsLowByte) {
    const std::pair<std::string_view, int> cases[] = {
        {"001", 1}, {"255", 255}, {"256", 0}, {"999", 231}, {"-01", 255}, {"+12", 12},
        {" 7x", 7}, {"1 2", 1},   {"abc", 0}, {"   ", 0},   {"07", 7},    {"", 0},
    };
    for (auto [field, want] : cases) {
        const std::string value = Repeat("000", 40) + std::string(field);
        EXPECT_EQ(DecodeMacroValue(value).repeatMode, want) << '"' << field << '"';
    }
}

TEST(MacroValue, ShortValueReadsZerosInTheMissingFields) {
    const std::string value = kSaneValue.substr(0, 3 * 44 + 4);  // slot 0: "065" and "0"
    MacroRecord want = EmptyMacro();
    SetMacroName(want, u"Ab");
    want.repeatMode = 1;
    SetRepeatCount(want, 3);
    want.stepCount = 2;
    want.keys[0] = {4, 0};
    EXPECT_EQ(DecodeMacroValue(value), want);
    EXPECT_EQ(DecodeMacroValue(""), EmptyMacro());
}

// A character the profile functions count as one unit must not shift the later fields.
TEST(MacroValue, NonAsciiCharacterTakesOnePlace) {
    const std::string value =
        "0\xC3\xA9"
        "5" +
        std::string("001");  // "0é5" then "001"
    const MacroRecord r = DecodeMacroValue(value);
    EXPECT_EQ(r.name[0], 0);
    EXPECT_EQ(r.name[1], 1);
}

TEST(MacroValue, StepCodesTravelAsVirtualKeys) {
    MacroRecord r = SaneRecord();
    const std::pair<int, int> codes[] = {
        {4, 65}, {40, 13}, {224, 162}, {kCodeLeftButton, 240}, {kCodeMiddleButton, 242}, {2, 2},
    };
    for (std::size_t i = 0; i < std::size(codes); ++i)
        r.keys[i].code = codes[i].first;
    const std::string value = EncodeMacroValue(r);
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        EXPECT_EQ(value.substr(3 * (44 + 4 * i), 3), FormatField(codes[i].second)) << i;
    }
    EXPECT_EQ(DecodeMacroValue(value), r);
}

// Usage IDs the pair table lacks are written as they are and so read back as whatever
// that number means as a virtual key.
TEST(MacroValue, UnlistedUsagesAreWrittenUnchanged) {
    const std::pair<int, int> cases[] = {{53, 34}, {88, 27}, {100, 92}, {118, 64}};
    for (auto [usage, readBack] : cases) {
        MacroRecord r = SaneRecord();
        r.keys[0].code = static_cast<std::uint8_t>(usage);
        const std::string value = EncodeMacroValue(r);
        EXPECT_EQ(value.substr(3 * 44, 3), FormatField(static_cast<std::uint8_t>(usage)));
        EXPECT_EQ(DecodeMacroValue(value).keys[0].code, readBack) << usage;
    }
}

class MacroFileTest : public ::testing::Test {
  protected:
    std::filesystem::path File(std::string_view name = "Macro_EN.dat") const { return dir / name; }

    TempDir dir;
    RecordingNotifier notifier;
    UserMacroTable user;
    ConstMacroTable constant;
};

TEST_F(MacroFileTest, SavedWorkedExampleIsTheWholeFile) {
    user.records[0] = SaneRecord();
    user.macroCount = 1;
    ASSERT_TRUE(SaveUserMacros(File(), user).ok());
    EXPECT_EQ(ReadBytes(File()), "[Macros]\r\nmacroNum=1\r\n0=" + kSaneValue + "\r\n");

    FillStale(user);
    ASSERT_TRUE(LoadUserMacros(File(), user, notifier, kEnglish).ok());
    EXPECT_EQ(user.macroCount, 1);
    EXPECT_EQ(user.records[0], SaneRecord());
    EXPECT_EQ(user.records[1], Stale(0xA1));
    EXPECT_TRUE(notifier.messages.empty());
}

// Every byte of every record survives, free slots and unterminated names included.
TEST_F(MacroFileTest, FullTableRoundTripsEveryByte) {
    std::vector<std::uint8_t> codes = {
        0, 1, 2, 3, kCodeLeftButton, kCodeRightButton, kCodeMiddleButton};
    for (int u = 0; u < 256; ++u) {
        const auto usage = static_cast<std::uint8_t>(u);
        if (UsageToVirtualKey(usage) != usage) codes.push_back(usage);
    }
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, codes.size() - 1);
    for (MacroRecord& r : user.records) {
        std::array<std::uint8_t, sizeof(MacroRecord)> bytes;
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(byte(rng));
        r = RecordFromBytes(bytes);
        for (MacroKey& key : r.keys)
            key.code = codes[pick(rng)];
    }
    user.macroCount = kUserMacroCapacity;
    const UserMacroTable saved = user;
    ASSERT_TRUE(SaveUserMacros(File(), user).ok());

    FillStale(user);
    ASSERT_TRUE(LoadUserMacros(File(), user, notifier, kEnglish).ok());
    EXPECT_EQ(user.macroCount, kUserMacroCapacity);
    EXPECT_EQ(user.currentMacro, kUserMacroCapacity - 1);
    for (std::size_t i = 0; i < user.records.size(); ++i) {
        EXPECT_EQ(RecordBytes(user.records[i]), RecordBytes(saved.records[i])) << i;
    }
}

TEST_F(MacroFileTest, MacroNumReadsAtMostTwoCharactersWithinTheRoom) {
    const struct {
        const char* what;
        std::string file;
        int userCount;
        int constCount;
    } cases[] = {
        {"three digits", FileWithMacros("123", 13), 12, 12},
        {"more than room", FileWithMacros("99", 13), 12, 13},
        {"one", FileWithMacros("1", 13), 1, 1},
        {"trailing text", FileWithMacros("2x", 13), 2, 2},
        {"sign", FileWithMacros("+3", 13), 3, 3},
        {"zero", FileWithMacros("0", 13), 0, 0},
        {"negative", FileWithMacros("-3", 13), 0, 0},
        {"empty", FileWithMacros("", 13), 0, 0},
        {"not a number", FileWithMacros("ab", 13), 0, 0},
        {"missing key", "[Macros]\r\n0=" + kSaneValue + "\r\n", 0, 0},
        {"missing section", "[Other]\r\nmacroNum=3\r\n", 0, 0},
        {"empty file", "", 0, 0},
    };
    for (const auto& c : cases) {
        WriteBytes(File(), c.file);
        FillStale(user);
        FillStale(constant);
        user.currentMacro = 7;
        EXPECT_TRUE(LoadUserMacros(File(), user, notifier, kEnglish).ok()) << c.what;
        EXPECT_TRUE(LoadConstMacros(File(), constant, notifier, kEnglish).ok()) << c.what;
        EXPECT_EQ(user.macroCount, c.userCount) << c.what;
        EXPECT_EQ(constant.macroCount, c.constCount) << c.what;
        EXPECT_EQ(user.currentMacro, std::max(c.userCount - 1, 0)) << c.what;
        for (int i = 0; i < kUserMacroCapacity; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const int mode = i < c.userCount ? i : 0xA0 + i;
            EXPECT_EQ(user.records[at].repeatMode, mode) << c.what << " record " << i;
        }
        for (int i = 0; i < kConstMacroCapacity; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const int mode = i < c.constCount ? i : 0xA0 + i;
            EXPECT_EQ(constant.records[at].repeatMode, mode) << c.what << " record " << i;
        }
    }
    EXPECT_TRUE(notifier.messages.empty()) << "only a missing file is reported";
}

TEST_F(MacroFileTest, MissingKeyOrShortValueLoadsZeros) {
    WriteBytes(File(), "[Macros]\r\nmacroNum=3\r\n0=065\r\n2=" + kSaneValue + "\r\n");
    FillStale(user);
    ASSERT_TRUE(LoadUserMacros(File(), user, notifier, kEnglish).ok());
    MacroRecord nameOnly = EmptyMacro();
    nameOnly.name[0] = 65;
    EXPECT_EQ(user.records[0], nameOnly);
    EXPECT_EQ(user.records[1], EmptyMacro());
    EXPECT_EQ(user.records[2], SaneRecord());
}

TEST_F(MacroFileTest, MissingFileIsReportedAndLoadsAnEmptyTable) {
    FillStale(user);
    FillStale(constant);
    user.currentMacro = 4;
    EXPECT_EQ(LoadUserMacros(File("none.dat"), user, notifier, kEnglish).error,
              base::FileError::NotFound);
    EXPECT_EQ(LoadConstMacros(File("none.dat"), constant, notifier, kChinese).error,
              base::FileError::NotFound);
    // Once each, naming the file, in the language of the interface.
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{
                                     "Configuration file not found: " + File("none.dat").string(),
                                     "找不到配置文件：" + File("none.dat").string()}));
    EXPECT_EQ(user.macroCount, 0);
    EXPECT_EQ(user.currentMacro, 0);
    EXPECT_EQ(constant.macroCount, 0);
    EXPECT_EQ(user.records[0], Stale(0xA0)) << "records keep their old bytes";
    EXPECT_EQ(constant.records[12], Stale(0xAC));
}

TEST_F(MacroFileTest, SavingFewerLeavesStaleKeysThatReadersIgnore) {
    for (int i = 0; i < 3; ++i) {
        user.records[static_cast<std::size_t>(i)] = SaneRecord();
        user.records[static_cast<std::size_t>(i)].repeatMode = static_cast<std::uint8_t>(i);
    }
    user.macroCount = 3;
    ASSERT_TRUE(SaveUserMacros(File(), user).ok());
    const std::string stale2 = "\r\n2=" + EncodeMacroValue(user.records[2]) + "\r\n";

    user.macroCount = 1;
    ASSERT_TRUE(SaveUserMacros(File(), user).ok());
    const std::string text = ReadBytes(File());
    EXPECT_NE(text.find("macroNum=1\r\n"), std::string::npos);
    EXPECT_NE(text.find(stale2), std::string::npos);

    FillStale(user);
    ASSERT_TRUE(LoadUserMacros(File(), user, notifier, kEnglish).ok());
    EXPECT_EQ(user.macroCount, 1);
    EXPECT_EQ(user.records[1], Stale(0xA1));
}

TEST_F(MacroFileTest, CountOutsideTheTableIsClampedWhenSaving) {
    const std::pair<int, int> cases[] = {{-1, 0}, {13, 12}, {300, 12}};
    for (auto [count, written] : cases) {
        std::filesystem::remove(File());
        user.macroCount = static_cast<std::int16_t>(count);
        ASSERT_TRUE(SaveUserMacros(File(), user).ok()) << count;
        const std::string text = ReadBytes(File());
        EXPECT_NE(text.find("macroNum=" + std::to_string(written) + "\r\n"), std::string::npos);
        EXPECT_EQ(text.find("\r\n12="), std::string::npos) << count;
        EXPECT_EQ(text.find("\r\n-1="), std::string::npos) << count;
    }
}

TEST_F(MacroFileTest, NamesRoundTripThroughTheFile) {
    SetMacroName(user.records[0], u"abcdefghijklmnopqrs");
    SetMacroName(user.records[1], u"宏一二三四五六七八九十一二三四五六七八九十");
    user.macroCount = 2;
    ASSERT_TRUE(SaveUserMacros(File(), user).ok());
    FillStale(user);
    ASSERT_TRUE(LoadUserMacros(File(), user, notifier, kEnglish).ok());
    EXPECT_EQ(MacroName(user.records[0]), u"abcdefghijklmnopqrs");
    EXPECT_EQ(user.records[0].name[38], 0);
    EXPECT_EQ(user.records[0].name[39], 0);
    EXPECT_EQ(MacroName(user.records[1]), u"宏一二三四五六七八九十一二三四五六七八");
}

TEST_F(MacroFileTest, ResetCopiesTheDefaultMacros) {
    WriteBytes(File("defMacro.dat"), FileWithMacros("2", 2));
    FillStale(user);
    ASSERT_TRUE(ResetUserMacros(File("defMacro.dat"), File(), user, notifier, kEnglish).ok());
    EXPECT_EQ(user.macroCount, 2);
    EXPECT_EQ(user.currentMacro, 1);

    UserMacroTable reloaded;
    ASSERT_TRUE(LoadUserMacros(File(), reloaded, notifier, kEnglish).ok());
    EXPECT_EQ(reloaded.macroCount, 2);
    EXPECT_EQ(reloaded.records[1], user.records[1]);
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(MacroFileTest, ResetWithoutDefaultsReportsItAndSavesAnEmptyTable) {
    WriteBytes(File(), FileWithMacros("2", 2));
    FillStale(user);
    EXPECT_TRUE(ResetUserMacros(File("defMacro.dat"), File(), user, notifier, kEnglish).ok());
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{base::FileNotFoundMessage(kEnglish, File("defMacro.dat"))});
    EXPECT_EQ(user.macroCount, 0);
    const std::string text = ReadBytes(File());
    EXPECT_NE(text.find("macroNum=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n1="), std::string::npos) << "old keys stay";
}

TEST_F(MacroFileTest, ResetReportsAFailedSave) {
    WriteBytes(File("defMacro.dat"), FileWithMacros("1", 1));
    const auto unwritable = dir / "no-such-folder" / "Macro_EN.dat";
    EXPECT_FALSE(ResetUserMacros(File("defMacro.dat"), unwritable, user, notifier, kEnglish).ok());
    EXPECT_EQ(user.macroCount, 1);
}

// A file that is there but cannot be read is not an empty one: loading it must not empty
// the table, and a reset from it must not empty the user's file.
TEST_F(MacroFileTest, UnreadableFileChangesNothing) {
    std::filesystem::create_directory(File("folder"));
    ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
    WriteBytes(File("huge.dat"), "");
    std::filesystem::resize_file(File("huge.dat"), base::kMaxFileBytes + 1);
    const std::string userFile = FileWithMacros("2", 2);
    WriteBytes(File(), userFile);
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"folder", "not a regular file (a folder)"},
        {"fifo", "not a regular file (a named pipe)"},
        {"huge.dat", "file is larger than 4 MiB, the most this program reads"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FillStale(user);
        FillStale(constant);
        user.currentMacro = 3;
        const base::FileResult loaded = LoadUserMacros(File(c.name), user, notifier, kEnglish);
        EXPECT_EQ(loaded.error, FileError::ReadFailed);
        EXPECT_EQ(loaded.reason, c.reason);
        EXPECT_EQ(LoadConstMacros(File(c.name), constant, notifier, kEnglish).error,
                  FileError::ReadFailed);
        EXPECT_EQ(user.macroCount, 5);
        EXPECT_EQ(user.currentMacro, 3);
        EXPECT_EQ(constant.macroCount, 5);

        EXPECT_EQ(ResetUserMacros(File(c.name), File(), user, notifier, kEnglish).error,
                  FileError::ReadFailed);
        EXPECT_EQ(user.macroCount, 5);
        EXPECT_EQ(ReadBytes(File()), userFile);
    }
    EXPECT_TRUE(notifier.messages.empty()) << "the caller tells the user";
}

// An import that finds no macro set must not empty the table.
TEST_F(MacroFileTest, ImportTakesOnlyAFileWithAMacroCount) {
    std::filesystem::create_directory(File("folder"));
    const std::string nothing = "no [Macros] section with a macroNum count";
    const struct {
        const char* what;
        std::string file;
        FileError error;
        int count;  // loaded when ok
    } cases[] = {
        {"two macros", FileWithMacros("2", 2), FileError::None, 2},
        {"an empty set", FileWithMacros("0", 0), FileError::None, 0},
        {"blank before the count", FileWithMacros(" 1", 1), FileError::None, 1},
        {"empty file", "", FileError::NothingFound, 0},
        {"settings file", "[Init]\r\nCurConfig=1\r\n[Config1]\r\nK0=1\r\n", FileError::NothingFound,
         0},
        {"no count", "[Macros]\r\n0=" + kSaneValue + "\r\n", FileError::NothingFound, 0},
        {"empty count", FileWithMacros("", 1), FileError::NothingFound, 0},
        {"count not a number", FileWithMacros("ab", 1), FileError::NothingFound, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(File("import.dat"), c.file);
        FillStale(user);
        user.currentMacro = 3;
        user.currentMacroFile = File();
        const base::FileResult result = ImportMacros(File("import.dat"), user);
        EXPECT_EQ(result.error, c.error);
        EXPECT_EQ(user.currentMacroFile, File());
        if (c.error == FileError::None) {
            EXPECT_EQ(user.macroCount, c.count);
            EXPECT_EQ(user.currentMacro, std::max(c.count - 1, 0));
        } else {
            EXPECT_EQ(result.reason, nothing);
            EXPECT_EQ(user.macroCount, 5);
            EXPECT_EQ(user.currentMacro, 3);
            EXPECT_EQ(user.records[0], Stale(0xA0));
        }
    }
    FillStale(user);
    EXPECT_EQ(ImportMacros(File("none.dat"), user).error, FileError::NotFound);
    EXPECT_EQ(ImportMacros(File("folder"), user).error, FileError::ReadFailed);
    EXPECT_EQ(user.macroCount, 5);
    EXPECT_TRUE(notifier.messages.empty());
}

}  // namespace
}  // namespace trq::macros
