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

struct InstanceLockResult {
    std::unique_ptr<InstanceLock> lock;  // set when taken
    bool heldElsewhere = false;          // another running copy holds it
    // Otherwise, why the lock file cannot be used (it is no lock of a running copy: e.g. one
    // left by another user, or no file at all); names the file and the system's reason.
    std::string error;
    // heldElsewhere: the holder's program name (InstanceLockOwner), empty when unknown.
    std::string holder;
};

// What a refused copy tells the user about the copy that runs, by its program name:
// "the TRQ_GMouse window (trq-gmouse) is already running", "trq-gmouse-ctl is already
// running", else "another copy of TRQ_GMouse is already running".
std::string RunningCopyMessage(std::string_view holder);

// Takes the lock at `file`. The holder's program name (the executable's file name) is
// written into the file, so a refused copy can say which program runs (InstanceLockOwner).
InstanceLockResult LockInstance(const std::filesystem::path& file);

// LockInstance's lock; nullptr when another process holds it or it cannot be made.
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
