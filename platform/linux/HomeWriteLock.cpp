#include "platform/HomeWriteLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace trq::platform {
namespace {

class FlockWriteLock final : public base::WriteLock {
  public:
    explicit FlockWriteLock(std::filesystem::path file) : file_(std::move(file)) {}
    ~FlockWriteLock() override {
        if (fd_ >= 0) ::close(fd_);
    }
    FlockWriteLock(const FlockWriteLock&) = delete;
    FlockWriteLock& operator=(const FlockWriteLock&) = delete;

    void lock() override {
        mutex_.lock();
        if (depth_++ > 0) return;
        // Opened on first use: the folder may not exist yet when the lock is made. Read-only
        // is enough for flock, and works on a lock file another user created.
        if (fd_ < 0) fd_ = ::open(file_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) return;
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }

    void unlock() override {
        if (--depth_ == 0 && fd_ >= 0) ::flock(fd_, LOCK_UN);
        mutex_.unlock();
    }

  private:
    const std::filesystem::path file_;
    // One descriptor for the process: flock does not exclude two holders of the same open
    // file, so the mutex keeps this process's threads apart.
    std::recursive_mutex mutex_;
    int depth_ = 0;  // guarded by mutex_
    int fd_ = -1;    // guarded by mutex_
};

}  // namespace

std::unique_ptr<base::WriteLock> OpenHomeWriteLock(const std::filesystem::path& folder) {
    return std::make_unique<FlockWriteLock>(folder / ".trq-gmouse.lock");
}

}  // namespace trq::platform
