#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

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
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    // flock goes with the open file, so a crashed copy never leaves a stale lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FlockInstanceLock>(fd);
}

std::filesystem::path DefaultInstanceLockFile() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime) {
        return std::filesystem::path(runtime) / "trq-gmouse.lock";
    }
    return std::filesystem::temp_directory_path() /
           ("trq-gmouse-" + std::to_string(::getuid()) + ".lock");
}

}  // namespace trq::platform
