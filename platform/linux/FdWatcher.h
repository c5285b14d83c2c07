#pragma once

#include <functional>
#include <thread>

namespace trq::platform {

// A thread that sleeps in poll() on one file descriptor and calls `onReadable` each time it
// can be read, until the watcher goes. It never wakes on a timer. The descriptor stays the
// caller's (not closed here) and must outlive the watcher.
class FdWatcher {
  public:
    // False from ok() when the wake-up descriptor could not be made; nothing runs then.
    FdWatcher(int fd, std::function<void()> onReadable);
    ~FdWatcher();  // wakes the thread and joins it

    FdWatcher(const FdWatcher&) = delete;
    FdWatcher& operator=(const FdWatcher&) = delete;

    bool ok() const { return wake_ >= 0; }

  private:
    void Run();

    int fd_;
    int wake_;
    std::function<void()> onReadable_;
    std::thread thread_;
};

}  // namespace trq::platform
