// The one file below platform/ that calls the OS (POSIX open, fstat, fsync, flock): the
// standard library can neither open a file without blocking nor flush it to the disk.
#include "base/FileIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <random>
#include <system_error>

namespace trq::base {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTempPrefix = ".trq-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::size_t kTempTagDigits = 16;

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

// Owns a file descriptor.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_;
};

int OpenFile(const fs::path& path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int Lock(int fd, int operation) {
    int status = -1;
    do {
        status = ::flock(fd, operation);
    } while (status != 0 && errno == EINTR);
    return status;
}

// Why something that exists cannot be read as a file, or nothing when it can.
std::optional<std::string> NotRegular(mode_t mode) {
    if (S_ISREG(mode)) return std::nullopt;
    if (S_ISDIR(mode)) return "not a regular file (a folder)";
    if (S_ISFIFO(mode)) return "not a regular file (a named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "not a regular file (a device)";
    if (S_ISSOCK(mode)) return "not a regular file (a socket)";
    return "not a regular file";
}

std::string TooLarge(std::uintmax_t limit) {
    constexpr std::uintmax_t kMiB = 1024 * 1024;
    const std::string size = limit % kMiB == 0 ? std::to_string(limit / kMiB) + " MiB"
                                               : std::to_string(limit) + " bytes";
    return "file is larger than " + size + ", the most this program reads";
}

// The name still refers to the open file (nobody removed or replaced it).
bool SameFile(int fd, const fs::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool IsTempName(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTempTagDigits + kTempSuffix.size()) return false;
    if (name.substr(0, kTempPrefix.size()) != kTempPrefix) return false;
    if (name.substr(name.size() - kTempSuffix.size()) != kTempSuffix) return false;
    for (char c : name.substr(kTempPrefix.size(), kTempTagDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::string TempName() {
    std::random_device random;
    const std::uint64_t tag = (std::uint64_t{random()} << 32) ^ random();
    std::string name(kTempPrefix);
    for (std::size_t i = 0; i < kTempTagDigits; ++i) {
        name += "0123456789abcdef"[(tag >> (60 - 4 * i)) & 0xF];
    }
    return name + std::string(kTempSuffix);
}

// The file a write should replace: symbolic links are followed so that the link stays a
// link and the file it names gets the new contents.
std::optional<fs::path> WriteTarget(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) return std::nullopt;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;  // a loop of links
}

// A new, empty temporary file in `folder`, locked so that RemoveStaleTempFiles leaves it
// alone; -1 with errno set when none can be made.
int CreateLockedTemp(const fs::path& folder, mode_t mode, fs::path& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder / TempName();
        const int fd = OpenFile(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // A file system without locks: no cleaner can take the file for a dead writer's.
        if (Lock(fd, LOCK_EX) != 0) return fd;
        // A cleaner may have taken the file between its creation and our lock; it removes
        // the name while holding the lock, so once we hold it the name tells.
        if (SameFile(fd, temp)) return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void SyncFolder(const fs::path& folder) {
    const Fd fd(OpenFile(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot flush a folder; the rename is still done, only less durable.
    if (fd.valid()) ::fsync(fd.get());
}

}  // namespace

FileBytes ReadFileBounded(const fs::path& path, std::uintmax_t limit) {
    FileBytes out;
    FileResult& result = out.result;
    result.path = path.string();
    const auto fail = [&](FileError error, std::string reason) {
        result.error = error;
        result.reason = std::move(reason);
        out.bytes.clear();
        return std::move(out);
    };
    const auto failErrno = [&](int error) {
        return fail(error == ENOENT ? FileError::NotFound : FileError::ReadFailed,
                    error == ENOENT ? std::string() : SystemReason(error));
    };

    // Checked before opening, so that not even a device is opened; and again on what was
    // opened, in case something else was put at the path in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return failErrno(errno);
    if (auto why = NotRegular(info.st_mode)) return fail(FileError::ReadFailed, *why);
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        return fail(FileError::ReadFailed, TooLarge(limit));
    }
    const Fd fd(OpenFile(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) return failErrno(errno);
    if (::fstat(fd.get(), &info) != 0) return failErrno(errno);
    if (auto why = NotRegular(info.st_mode)) return fail(FileError::ReadFailed, *why);

    out.bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(info.st_size, limit)));
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failErrno(errno);
        }
        if (n == 0) break;
        if (out.bytes.size() + static_cast<std::size_t>(n) > limit) {
            return fail(FileError::ReadFailed, TooLarge(limit));  // it grew while we read
        }
        out.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

FileResult WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    FileResult result;
    result.path = path.string();
    const auto fail = [&](FileError error, std::string reason) {
        result.error = error;
        result.reason = std::move(reason);
        return result;
    };

    const std::optional<fs::path> target = WriteTarget(path);
    if (!target) return fail(FileError::WriteFailed, SystemReason(ELOOP));
    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return fail(FileError::WriteFailed, SystemReason(errno));
    if (exists) {
        if (auto why = NotRegular(old.st_mode)) return fail(FileError::WriteFailed, *why);
        result.oldFileKept = true;
        // Decided by the permission bits, not by access(): root may write anything, but a
        // file the user marked read-only must stay as it is.
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            return fail(FileError::ReadOnly, "");
        }
    }

    const fs::path folder = target->parent_path().empty() ? fs::path(".") : target->parent_path();
    fs::path temp;
    // A copy of a private file starts private, then gets exactly the old file's bits.
    const Fd fd(CreateLockedTemp(folder, exists ? 0600 : 0666, temp));
    if (!fd.valid()) return fail(FileError::WriteFailed, SystemReason(errno));
    const auto failAndRemove = [&](int error) {
        ::unlink(temp.c_str());
        return fail(FileError::WriteFailed, SystemReason(error));
    };
    if (exists && ::fchmod(fd.get(), old.st_mode & 07777) != 0) return failAndRemove(errno);
    if (!WriteAll(fd.get(), bytes)) return failAndRemove(errno);
    if (::fsync(fd.get()) != 0) return failAndRemove(errno);
    if (::rename(temp.c_str(), target->c_str()) != 0) return failAndRemove(errno);
    SyncFolder(folder);
    result.oldFileKept = false;
    return result;
}

int RemoveStaleTempFiles(const fs::path& folder) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path path = it->path();
        if (!IsTempName(path.filename().string())) continue;
        const Fd fd(OpenFile(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
        if (!fd.valid()) continue;
        if (Lock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;  // a live writer holds it
        struct stat info {};
        if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        // After a writer's rename the name is gone and the open file is the real one.
        if (!SameFile(fd.get(), path)) continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    return removed;
}

}  // namespace trq::base
