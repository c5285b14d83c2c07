#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>

#include "base/FileIo.h"
#include "tests/support/TempDir.h"

namespace trq::base {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

std::set<std::string> FilesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class FileIoTest : public ::testing::Test {
  protected:
    FileIoTest() {
        fs::create_directory(dir / "folder");
        EXPECT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
        fs::create_symlink("fifo", dir / "link-to-fifo");
        fs::create_symlink("loop-b", dir / "loop-a");
        fs::create_symlink("loop-a", dir / "loop-b");
        WriteBytes(dir / "plain", "[S]\r\nk=1\r\n");
        // Sparse: costs no disk, and no time to make.
        WriteBytes(dir / "at-limit", "");
        fs::resize_file(dir / "at-limit", kMaxFileBytes);
        WriteBytes(dir / "over-limit", "");
        fs::resize_file(dir / "over-limit", kMaxFileBytes + 1);
    }

    test::TempDir dir;
};

// Each of these used to hang (named pipe), abort with bad_alloc (/dev/zero), or read as an
// empty file.
TEST_F(FileIoTest, ReadRefusesWhatIsNotABoundedRegularFile) {
    struct Case {
        const char* what;
        fs::path path;
        FileError error;
        std::string reason;
    };
    const Case cases[] = {
        {"missing", dir / "nope", FileError::NotFound, ""},
        {"folder", dir / "folder", FileError::ReadFailed, "not a regular file (a folder)"},
        {"named pipe", dir / "fifo", FileError::ReadFailed, "not a regular file (a named pipe)"},
        {"link to a named pipe", dir / "link-to-fifo", FileError::ReadFailed,
         "not a regular file (a named pipe)"},
        {"endless device", "/dev/zero", FileError::ReadFailed, "not a regular file (a device)"},
        {"loop of links", dir / "loop-a", FileError::ReadFailed,
         "Too many levels of symbolic links"},
        {"below a file", dir / "plain" / "x", FileError::ReadFailed, "Not a directory"},
        {"over the limit", dir / "over-limit", FileError::ReadFailed,
         "file is larger than 4 MiB, the most this program reads"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FileBytes read = ReadFileBounded(c.path);
        EXPECT_EQ(read.result.error, c.error);
        EXPECT_EQ(read.result.reason, c.reason);
        EXPECT_EQ(read.result.path, c.path.string());
        EXPECT_TRUE(read.bytes.empty());
        if (c.error == FileError::ReadFailed) {
            EXPECT_EQ(Describe(read.result), "cannot read " + c.path.string() + ": " + c.reason);
        }
    }
}

TEST_F(FileIoTest, ReadTakesRegularFilesUpToTheLimit) {
    EXPECT_EQ(ReadFileBounded(dir / "plain").bytes, "[S]\r\nk=1\r\n");
    const FileBytes atLimit = ReadFileBounded(dir / "at-limit");
    EXPECT_TRUE(atLimit.result.ok());
    EXPECT_EQ(atLimit.bytes.size(), kMaxFileBytes);

    const FileBytes small = ReadFileBounded(dir / "plain", 9);
    EXPECT_EQ(small.result.error, FileError::ReadFailed);
    EXPECT_EQ(small.result.reason, "file is larger than 9 bytes, the most this program reads");
    EXPECT_TRUE(ReadFileBounded(dir / "plain", 10).result.ok());
}

TEST_F(FileIoTest, RefusedWritesSayWhyAndLeaveNothingBehind) {
    WriteBytes(dir / "read-only", "old");
    fs::permissions(dir / "read-only", fs::perms::owner_read, fs::perm_options::replace);
    const std::set<std::string> before = FilesIn(dir.path());
    struct Case {
        const char* what;
        fs::path path;
        std::string described;
    };
    const Case cases[] = {
        {"folder", dir / "folder", "not a regular file (a folder)"},
        {"named pipe", dir / "fifo", "not a regular file (a named pipe)"},
        {"link to a named pipe", dir / "link-to-fifo", "not a regular file (a named pipe)"},
        {"device", "/dev/full", "not a regular file (a device)"},
        {"loop of links", dir / "loop-a", "Too many levels of symbolic links"},
        {"no such folder", dir / "nope" / "x.ini", "No such file or directory"},
        {"read-only file", dir / "read-only", "file is read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FileResult result = WriteFileAtomically(c.path, "new");
        EXPECT_FALSE(result.ok());
        // Nothing here had old contents that a write could have harmed, but the read-only file.
        EXPECT_EQ(Describe(result), "cannot write " + c.path.string() + ": " + c.described);
        EXPECT_EQ(FilesIn(dir.path()), before);
    }
    EXPECT_EQ(ReadBytes(dir / "read-only"), "old");
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
}

TEST_F(FileIoTest, WriteReplacesTheFileWhole) {
    ASSERT_TRUE(WriteFileAtomically(dir / "plain", "new").ok());
    EXPECT_EQ(ReadBytes(dir / "plain"), "new");
    ASSERT_TRUE(WriteFileAtomically(dir / "fresh", "").ok());
    EXPECT_EQ(ReadBytes(dir / "fresh"), "");
    for (const std::string& name : FilesIn(dir.path())) {
        EXPECT_NE(name.substr(0, 5), ".trq-") << name;
    }
}

TEST(RemoveStaleTempFiles, RemovesOnlyDeadWritersTemporaries) {
    test::TempDir dir;
    const std::string stale = ".trq-0123456789abcdef.tmp";
    const std::string live = ".trq-fedcba9876543210.tmp";
    const std::set<std::string> kept = {
        live,
        ".trq-0123456789ABCDEF.tmp",   // not our spelling
        ".trq-0123456789abcde.tmp",    // one digit short
        ".trq-0123456789abcdef.tmp~",  // someone's backup of one
        "config.ini",
        ".trq-00000000000000ff.tmp",  // a folder
        ".trq-11111111111111ff.tmp",  // a link
    };
    WriteBytes(dir / stale, "half a file");
    WriteBytes(dir / live, "being written");
    WriteBytes(dir / ".trq-0123456789ABCDEF.tmp", "");
    WriteBytes(dir / ".trq-0123456789abcde.tmp", "");
    WriteBytes(dir / ".trq-0123456789abcdef.tmp~", "");
    WriteBytes(dir / "config.ini", "");
    fs::create_directory(dir / ".trq-00000000000000ff.tmp");
    fs::create_symlink("config.ini", dir / ".trq-11111111111111ff.tmp");

    // A writer that is still alive holds a lock on its temporary file.
    const int writer = ::open((dir / live).c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    EXPECT_EQ(RemoveStaleTempFiles(dir.path()), 1);
    EXPECT_EQ(FilesIn(dir.path()), kept);
    ::close(writer);

    EXPECT_EQ(RemoveStaleTempFiles(dir.path()), 1);  // the writer died after all
    EXPECT_EQ(FilesIn(dir.path()).count(live), 0u);
    EXPECT_EQ(RemoveStaleTempFiles(dir / "nope"), 0);
}

}  // namespace
}  // namespace trq::base
