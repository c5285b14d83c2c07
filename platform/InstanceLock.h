#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace trq::platform {

// Held by the one resident copy of the program (window or tool) of this user; released
// when the object goes or the process ends, however it ends.
class InstanceLock {
  public:
    virtual ~InstanceLock() = default;
};

// Takes the lock at `file`; nullptr when another process holds it (or it cannot be made).
// The holder's program name (the executable's file name) is written into the file, so a
// refused copy can say which program runs (see InstanceLockOwner).
std::unique_ptr<InstanceLock> TryLockInstance(const std::filesystem::path& file);

// The program name recorded by the copy holding the lock at `file`, e.g. "trq-gmouse" (the
// window) or "trq-gmouse-ctl"; empty when unknown.
std::string InstanceLockOwner(const std::filesystem::path& file);

// The lock file of this user: $XDG_RUNTIME_DIR/trq-gmouse.lock, else
// <temp>/trq-gmouse-<uid>.lock.
std::filesystem::path DefaultInstanceLockFile();

// A path private to this user for `name`: $XDG_RUNTIME_DIR/<name>, else <temp>/<name>-<uid>.
std::filesystem::path UserRuntimePath(std::string_view name);

}  // namespace trq::platform
