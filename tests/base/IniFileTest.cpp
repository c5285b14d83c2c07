#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "base/FileIo.h"
#include "base/IniFile.h"
#include "tests/support/TempDir.h"

namespace trq::base {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

// UTF-16LE bytes (with BOM) of an ASCII text.
std::string Utf16(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// --- Reading ---------------------------------------------------------------------------

TEST(IniDocumentTest, FindsValuesByTheFormatRules) {
    const IniDocument doc = IniDocument::FromBytes(
        "before=section\r\n"
        "[Init]\r\n"
        "CurConfig = 3 \r\n"
        "; VER_SEL=9\r\n"
        "  ;x=comment too\r\n"
        "VER_SEL=\t1\t\r\n"
        "path=a=b=c\r\n"
        "empty=\r\n"
        "no equals sign\r\n"
        "curconfig=4\r\n"
        "[ Spaced ]  \r\n"
        "k=spaced\r\n"
        "[init]\r\n"
        "later=ignored\r\n"
        "[Last]\r\n"
        "k=no line end");
    struct Case {
        std::string_view section, key;
        std::optional<std::string_view> value;
    };
    const Case cases[] = {
        {"Init", "CurConfig", "3"},
        {"INIT", "curCONFIG", "3"},
        {"Init", "VER_SEL", "1"},
        {"Init", "path", "a=b=c"},
        {"Init", "empty", ""},
        {"Init", ";x", std::nullopt},
        {"Init", "no equals sign", std::nullopt},
        {"Init", "later", std::nullopt},  // a repeated section is never searched
        {"", "before", std::nullopt},
        {"Spaced", "k", "spaced"},
        {" Spaced ", " k ", "spaced"},
        {"Last", "k", "no line end"},
        {"Missing", "k", std::nullopt},
        {"Init", "missing", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + std::string(c.key));
        EXPECT_EQ(doc.Find(c.section, c.key), c.value);
        EXPECT_EQ(doc.Read(c.section, c.key, 100), c.value.value_or(""));
    }
    EXPECT_TRUE(doc.HasSection("last"));
    EXPECT_FALSE(doc.HasSection("Config1"));
}

TEST(IniDocumentTest, ReadCutsToBufferSizeLessOne) {
    const IniDocument doc = IniDocument::FromBytes(
        "[S]\nnum=12345\nwide=\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\nbad=\xFF\xFE"
        "ab\n");
    struct Case {
        std::string_view key;
        std::size_t bufferChars;
        std::string_view expected;
    };
    const Case cases[] = {
        {"num", 0, ""},
        {"num", 1, ""},
        {"num", 5, "1234"},
        {"num", 6, "12345"},
        {"num", 100, "12345"},
        {"wide", 3, "\xE4\xB8\xAD\xE6\x96\x87"},  // two characters, six bytes
        {"wide", 2, "\xE4\xB8\xAD"},
        {"bad", 3, "\xFF\xFE"},  // stray bytes count one each
        {"missing", 10, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.bufferChars));
        EXPECT_EQ(doc.Read("S", c.key, c.bufferChars), c.expected);
    }
}

// --- Editing ---------------------------------------------------------------------------

TEST(IniDocumentTest, ChangingOneValueLeavesEveryOtherByte) {
    const std::string before =
        "; settings of the mouse\r\n"
        "\r\n"
        "[Init]\r\n"
        "CurConfig=1\r\n"
        "Ver_Sel=0\r\n"
        "\r\n"
        "[Config1]\r\n"
        "; button functions\r\n"
        "K0 = 1\r\n"
        "dpi_level=2\n"  // a lone LF line stays LF
        "Unknown stuff\r\n"
        "[Mine]\r\n"
        "x=y\r\n";
    IniDocument doc = IniDocument::FromBytes(before);
    ASSERT_TRUE(doc.Write("config1", "DPI_LEVEL", "3"));
    std::string expected = before;
    expected.replace(expected.find("dpi_level=2"), 11, "dpi_level=3");
    EXPECT_EQ(doc.ToBytes(), expected);
}

TEST(IniDocumentTest, ReplacesAValueInPlace) {
    struct Case {
        std::string_view line, expected;
    };
    const Case cases[] = {
        {"k=old", "k=new"}, {"K = old  ", "K = new"}, {"  k\t=\t old value ", "  k\t=\t new"},
        {"k=", "k=new"},    {"k==x", "k=new"},        {"k=a=b", "k=new"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line));
        IniDocument doc = IniDocument::FromBytes("[S]\r\n" + std::string(c.line) + "\r\nz=1\r\n");
        ASSERT_TRUE(doc.Write("S", "k", "new"));
        EXPECT_EQ(doc.ToBytes(), "[S]\r\n" + std::string(c.expected) + "\r\nz=1\r\n");
    }
}

TEST(IniDocumentTest, PlacesNewKeysAfterTheLastEntryOfTheirSection) {
    struct Case {
        const char* what;
        std::string_view before, after;
    };
    const Case cases[] = {
        {"after the last entry, before comments and blanks", "[S]\na=1\n; c\n\n[T]\nb=2\n",
         "[S]\na=1\nnew=v\n; c\n\n[T]\nb=2\n"},
        {"right after the header when there is no entry", "[S]\n; only a comment\n\n[T]\n",
         "[S]\nnew=v\n; only a comment\n\n[T]\n"},
        {"a line without '=' counts as an entry", "[S]\na=1\njunk\n\n",
         "[S]\na=1\njunk\nnew=v\n\n"},
        {"into the first of two sections of that name", "[S]\na=1\n[s]\nb=2\n",
         "[S]\na=1\nnew=v\n[s]\nb=2\n"},
        {"the last line gets a line end first", "[S]\na=1", "[S]\na=1\nnew=v\n"},
        {"header only, no line end", "[S]", "[S]\r\nnew=v\r\n"},
        {"new lines take the first line end", "[S]\r\na=1\n[T]\n", "[S]\r\na=1\nnew=v\r\n[T]\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument doc = IniDocument::FromBytes(c.before);
        ASSERT_TRUE(doc.Write("S", "new", "v"));
        EXPECT_EQ(doc.ToBytes(), c.after);
    }
}

TEST(IniDocumentTest, AppendsNewSectionsAtTheEnd) {
    struct Case {
        const char* what;
        std::string_view before, after;
    };
    const Case cases[] = {
        {"empty document", "", "[New]\r\nk=v\r\n"},
        {"LF file", "[A]\na=1\n", "[A]\na=1\n[New]\nk=v\n"},
        {"CRLF file ending in blank lines", "[A]\r\na=1\r\n\r\n",
         "[A]\r\na=1\r\n\r\n[New]\r\nk=v\r\n"},
        {"no line end at the end", "[A]\r\na=1", "[A]\r\na=1\r\n[New]\r\nk=v\r\n"},
        {"one line without end", "; note", "; note\r\n[New]\r\nk=v\r\n"},
        {"only text before any section", "x=1\n", "x=1\n[New]\nk=v\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument doc = IniDocument::FromBytes(c.before);
        ASSERT_TRUE(doc.Write("New", "k", "v"));
        EXPECT_EQ(doc.ToBytes(), c.after);
        EXPECT_EQ(doc.Find("new", "K"), "v");
    }
}

TEST(IniDocumentTest, RefusesTextsThatWouldNotReadBack) {
    struct Case {
        std::string_view section, key, value;
    };
    const Case cases[] = {
        {"S", "k", "two\nlines"}, {"S", "k", "cr\rhere"}, {"S", "k\n", "v"},
        {"S\r\n[T]", "k", "v"},   {"S", "a=b", "v"},      {"S", ";k", "v"},
        {"S", "  [k]", "v"},      {"S", "", "v"},         {"S", " \t", "v"},
    };
    const std::string before = "[S]\r\nk=old\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + std::string(c.key) + "=" +
                     std::string(c.value));
        IniDocument doc = IniDocument::FromBytes(before);
        EXPECT_FALSE(doc.Write(c.section, c.key, c.value));
        EXPECT_EQ(doc.ToBytes(), before);
    }
    IniDocument doc = IniDocument::FromBytes(before);
    EXPECT_TRUE(doc.Write(" S ", " k ", "  padded  ")) << "blanks around names are not names";
    EXPECT_EQ(doc.ToBytes(), "[S]\r\nk=  padded  \r\n");
    EXPECT_TRUE(doc.Write("[x]", "key [1]", "v;w"));
    EXPECT_EQ(doc.Find("[x]", "KEY [1]"), "v;w");
}

// --- Encodings -------------------------------------------------------------------------

TEST(IniDocumentTest, EveryByteStringRoundTrips) {
    const std::string cases[] = {
        "",
        "\xEF\xBB\xBF",
        "\xFF\xFE",
        "\xFF\xFE\x41",                                      // odd byte after the BOM
        "\xFF\xFE\x00\xD8\x41\x00",                          // lone high surrogate
        "\xFF\xFE\x00\xDC\x00\xD8",                          // low before high: two lone surrogates
        "\xFF\xFE\x3D\xD8\x00\xDE\x0D\x00\x0A\x00\x0D\x00",  // pair, CRLF, lone CR
        "\xFF\xFE\x00\xD8\x0A\x00\x00\xDC\x7A",  // lone halves split by a line end, odd byte
        "\xEF\xBB\xBF[a]\r\n\xFF\xC0\x80\xED\xA0\x80\r",
        "\r\r\n\n\r",
        std::string("k=\0v\n", 5),
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(IniDocument::FromBytes(bytes).ToBytes(), bytes);
    }
}

TEST(IniDocumentTest, KeepsTheEncodingOfTheFile) {
    struct Case {
        const char* what;
        std::string before, after;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"UTF-8", "[S]\r\nk=1\r\n", "[S]\r\nk=2\r\n", TextEncoding::Utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF[S]\nk=1\n", "\xEF\xBB\xBF[S]\nk=2\n",
         TextEncoding::Utf8Bom},
        {"UTF-16LE with BOM", Utf16("[S]\r\nk=1\r\n"), Utf16("[S]\r\nk=2\r\n"),
         TextEncoding::Utf16LeBom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument doc = IniDocument::FromBytes(c.before);
        EXPECT_EQ(doc.encoding(), c.encoding);
        EXPECT_EQ(doc.Find("s", "K"), "1");
        ASSERT_TRUE(doc.Write("S", "k", "2"));
        EXPECT_EQ(doc.ToBytes(), c.after);
    }
}

TEST(IniDocumentTest, Utf16TextReadsAsUtf8AndUntouchedOddsSurvive) {
    // "[S]\r\nname=中\r\nodd=<lone high surrogate>\r\n" plus an odd last byte.
    std::string bytes = Utf16("[S]\r\nname=");
    bytes += std::string("\x2D\x4E", 2);  // U+4E2D
    bytes += Utf16("\r\nodd=").substr(2);
    bytes += std::string("\x00\xD8", 2);
    bytes += Utf16("\r\n").substr(2);
    bytes += '\x07';

    IniDocument doc = IniDocument::FromBytes(bytes);
    EXPECT_EQ(doc.Find("S", "name"), "\xE4\xB8\xAD");
    ASSERT_TRUE(doc.Write("S", "new", "\xC3\xA9"));  // é
    ASSERT_TRUE(doc.Write("T", "bad", "\xFF"));      // not UTF-8: stored as U+FFFD

    std::string expected = bytes.substr(0, bytes.size() - 1);
    expected += std::string("n\0e\0w\0=\0\xE9\0\r\0\n\0", 14);
    expected += Utf16("[T]\r\nbad=").substr(2);
    expected += std::string("\xFD\xFF\r\0\n\0", 6);
    expected += '\x07';
    EXPECT_EQ(doc.ToBytes(), expected);
    EXPECT_EQ(IniDocument::FromBytes(expected).Find("t", "BAD"), "\xEF\xBF\xBD");
}

// --- Numbers ---------------------------------------------------------------------------

TEST(ParseIniIntTest, ConvertsLikeAtoiOnTheCutText) {
    struct Case {
        std::string_view text;
        std::size_t maxChars;
        int expected;
    };
    const Case cases[] = {
        {"12345", 4, 1234},
        {"12345", 9, 12345},
        {" -7x", 4, -7},
        {"\t\n+3", 4, 3},
        {"", 4, 0},
        {"abc", 4, 0},
        {"-", 4, 0},
        {"+-1", 4, 0},
        {"- 1", 4, 0},
        {"    5", 4, 0},  // the digit lies beyond the cut
        {"12", 0, 0},
        {"0042", 4, 42},
        {"2147483647", 10, INT_MAX},
        {"2147483648", 10, INT_MAX},
        {"99999999999999999999", 20, INT_MAX},
        {"-2147483648", 11, INT_MIN},
        {"-2147483649", 11, INT_MIN},
        {"-99999999999999999999", 21, INT_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.maxChars));
        EXPECT_EQ(ParseIniInt(c.text, c.maxChars), c.expected);
    }
}

// --- Files -----------------------------------------------------------------------------

class IniFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path file = dir / "config.ini";
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ReadIniString(file, "Init", "CurConfig", 10), "");
    EXPECT_EQ(LoadIniFile(file).result.error, FileError::NotFound);
    WriteBytes(file, "[Init]\nCurConfig=2\n");
    EXPECT_EQ(ReadIniString(file, "Init", "CurConfig", 10), "2");
    EXPECT_EQ(ReadIniString(file, "Init", "VER_SEL", 10), "");
    EXPECT_EQ(ReadIniString(file, "Config1", "K0", 10), "");
    EXPECT_TRUE(LoadIniFile(file).result.ok());
}

TEST_F(IniFileTest, WriteCreatesAUtf8FileWithCrlf) {
    ASSERT_TRUE(WriteIniString(file, "Init", "CurConfig", "1").ok());
    ASSERT_TRUE(WriteIniString(file, "Config6", "K0", "2").ok());
    ASSERT_TRUE(WriteIniString(file, "Init", "VER_SEL", "0").ok());
    EXPECT_EQ(ReadBytes(file), "[Init]\r\nCurConfig=1\r\nVER_SEL=0\r\n[Config6]\r\nK0=2\r\n");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"config.ini"});
}

TEST_F(IniFileTest, UpdateEditsTheFileAsFound) {
    const std::string before = Utf16("; mine\r\n[Config1]\r\nK0=1\r\n\r\n[Other]\r\nx=y");
    WriteBytes(file, before);
    const FileResult result = UpdateIniFile(file, [](IniDocument& doc) {
        doc.Write("Config1", "K0", "7");
        doc.Write("Config1", "K1", "8");
    });
    ASSERT_TRUE(result.ok()) << Describe(result);
    EXPECT_EQ(ReadBytes(file), Utf16("; mine\r\n[Config1]\r\nK0=7\r\nK1=8\r\n\r\n[Other]\r\nx=y"));
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
    const std::string before = "[Init]\r\nCurConfig=1\r\n";
    WriteBytes(file, before);
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const auto perms = fs::status(file).permissions();

    const FileResult result = WriteIniString(file, "Init", "CurConfig", "2");
    EXPECT_EQ(result.error, FileError::ReadOnly);
    EXPECT_EQ(result.path, file.string());
    EXPECT_EQ(Describe(result), "cannot write " + file.string() + ": file is read-only");
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(fs::status(file).permissions(), perms);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"config.ini"});
}

TEST_F(IniFileTest, FailedWritesLeaveNothingBehind) {
    fs::create_directory(dir / "folder");
    WriteBytes(dir / "huge.ini", "");
    fs::resize_file(dir / "huge.ini", kMaxFileBytes + 1);
    // Only a file that was there, and is still whole, has "old contents" to keep.
    struct Case {
        const char* what;
        fs::path target;
        std::string described;  // after "cannot write <target>: "
    };
    const Case cases[] = {
        {"parent folder missing", dir / "nope" / "config.ini", "No such file or directory"},
        {"target is a folder", dir / "folder", "not a regular file (a folder)"},
        {"target too large to read first", dir / "huge.ini",
         "file is larger than 4 MiB, the most this program reads (old contents kept)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string described = "cannot write " + c.target.string() + ": " + c.described;
        EXPECT_EQ(Describe(WriteIniString(c.target, "S", "k", "v")), described);
        EXPECT_EQ(Describe(UpdateIniFile(c.target, [](IniDocument&) {})), described);
        EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"folder", "huge.ini"}));
        EXPECT_TRUE(fs::is_empty(dir / "folder"));
    }
    EXPECT_EQ(fs::file_size(dir / "huge.ini"), kMaxFileBytes + 1);
}

TEST_F(IniFileTest, RefusedWriteLeavesTheFile) {
    const std::string before = "[S]\r\nk=1\r\n";
    WriteBytes(file, before);
    EXPECT_EQ(WriteIniString(file, "S", "k", "1\r\n[T]").error, FileError::WriteFailed);
    EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(IniFileTest, UnreadableFileIsNotOverwritten) {
    fs::create_symlink("config.ini", file);  // exists, but names only itself
    bool edited = false;
    const FileResult update = UpdateIniFile(file, [&](IniDocument&) { edited = true; });
    EXPECT_EQ(update.error, FileError::WriteFailed);
    EXPECT_EQ(update.reason, "Too many levels of symbolic links");
    EXPECT_FALSE(edited);
    EXPECT_EQ(WriteIniString(file, "S", "k", "v").error, FileError::WriteFailed);
    const IniLoadResult loaded = LoadIniFile(file);
    EXPECT_EQ(loaded.result.error, FileError::ReadFailed);
    EXPECT_EQ(Describe(loaded.result),
              "cannot read " + file.string() + ": Too many levels of symbolic links");
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"config.ini"});
}

TEST_F(IniFileTest, ReplacingKeepsPermissionsAndSymlinks) {
    const fs::path real = dir / "real.ini";
    WriteBytes(real, "[S]\nk=1\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                    fs::perm_options::replace);
    fs::create_symlink("real.ini", file);

    ASSERT_TRUE(WriteIniString(file, "S", "k", "2").ok());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
    EXPECT_EQ(ReadBytes(real), "[S]\nk=2\n");
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(IniFileTest, ConcurrentWritesAreNotLost) {
    // Each write is a whole read-modify-write; without the lock one thread's key would be
    // dropped by the other's save.
    constexpr int kWrites = 40;
    auto writer = [&](std::string key) {
        for (int i = 0; i < kWrites; ++i) {
            WriteIniString(file, "S", key + std::to_string(i), std::to_string(i));
        }
    };
    std::thread a(writer, "a");
    std::thread b(writer, "b");
    a.join();
    b.join();
    const IniDocument doc = LoadIniFile(file).document;
    for (int i = 0; i < kWrites; ++i) {
        EXPECT_EQ(doc.Find("S", "a" + std::to_string(i)), std::to_string(i));
        EXPECT_EQ(doc.Find("S", "b" + std::to_string(i)), std::to_string(i));
    }
}

}  // namespace
}  // namespace trq::base
