#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace trq::platform {

// Held by the one resident copy of the program (window or tool) of this user; released
// when the object goes or the process ends, however it ends.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
};

// Takes the lock at `file`; nullptr when another process holds it (or it cannot be made).
std::unique_ptr<InstanceLock> TryLockInstance(const std::filesystem::path& file);

// The lock file of this user: $XDG_RUNTIME_DIR/trq-gmouse.lock, else
// <temp>/trq-gmouse-<uid>.lock.
std::filesystem::path DefaultInstanceLockFile();

}  // namespace trq::platform
