#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace trq::platform {
namespace {

class FlockInstanceLock final : public InstanceLock {
  public:
    explicit FlockInstanceLock(int fd) : fd_(fd) {}
    ~FlockInstanceLock() override { ::close(fd_); }
    FlockInstanceLock(const FlockInstanceLock&) = delete;
    FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;

  private:
    int fd_;
};

}  // namespace

std::unique_ptr<InstanceLock> TryLockInstance(const std::filesystem::path& file) {
    return LockInstance(file).lock;
}

InstanceLockResult LockInstance(const std::filesystem::path& file) {
    InstanceLockResult result;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        struct stat info {};
        const bool foreign = ::stat(file.c_str(), &info) == 0 && info.st_uid != ::getuid();
        result.error = "cannot use the lock file " + file.string() + ": " + std::strerror(error) +
                       (foreign ? " (it belongs to another user; no copy of yours holds it)" : "");
        return result;
    }
    // flock goes with the open file, so a crashed copy never leaves a stale lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            result.heldElsewhere = true;
            result.holder = InstanceLockOwner(file);
        } else {
            result.error = "cannot lock " + file.string() + ": " + std::strerror(error);
        }
        return result;
    }
    // Best effort: a missing name only makes a refused copy's message less precise.
    std::array<char, 4096> exe{};
    const ssize_t length = ::readlink("/proc/self/exe", exe.data(), exe.size() - 1);
    if (length > 0 && ::ftruncate(fd, 0) == 0) {
        const std::string name =
            std::filesystem::path(std::string(exe.data(), static_cast<std::size_t>(length)))
                .filename()
                .string() +
            '\n';
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, name.data(), name.size(), 0);
    }
    result.lock = std::make_unique<FlockInstanceLock>(fd);
    return result;
}

std::string RunningCopyMessage(std::string_view holder) {
    if (holder == "trq-gmouse") return "the TRQ_GMouse window (trq-gmouse) is already running";
    if (holder == "trq-gmouse-ctl") return "trq-gmouse-ctl is already running";
    return "another copy of TRQ_GMouse is already running";
}

std::string InstanceLockOwner(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::array<char, 256> buffer{};
    const ssize_t length = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    if (length <= 0) return {};
    std::string name(buffer.data(), static_cast<std::size_t>(length));
    if (const auto end = name.find('\n'); end != std::string::npos) name.resize(end);
    return name;
}

std::filesystem::path DefaultInstanceLockFile() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return std::filesystem::path(runtime) / "trq-gmouse.lock";
    }
    return std::filesystem::temp_directory_path() /
           ("trq-gmouse-" + std::to_string(::getuid()) + ".lock");
}

std::filesystem::path UserRuntimePath(std::string_view name) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return std::filesystem::path(runtime) / name;
    }
    return std::filesystem::temp_directory_path() /
           (std::string(name) + "-" + std::to_string(::getuid()));
}

}  // namespace trq::platform
