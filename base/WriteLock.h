#pragma once

// One writer at a time for the files of a program folder ("config.ini" and the macro files).
// Every read-modify-write of those files runs while holding it, so a change made by one
// thread or process is never overwritten by another that read the file before it.

#include <mutex>

namespace trq::base {

// Lockable (std::lock_guard, std::unique_lock). Re-entrant on one thread: a command may hold
// it around its whole run while the operations it calls take it again around each write.
// lock() blocks until the lock is free; it never fails (a lock that cannot be had across
// processes still serialises the threads of this process).
class WriteLock {
  public:
    virtual ~WriteLock() = default;
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

// Serialises the threads of this process only; for tests and programs without a shared
// folder.
class ProcessWriteLock final : public WriteLock {
  public:
    void lock() override { mutex_.lock(); }
    void unlock() override { mutex_.unlock(); }

  private:
    std::recursive_mutex mutex_;
};

}  // namespace trq::base
