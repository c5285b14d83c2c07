#pragma once

#include <filesystem>
#include <memory>

#include "base/WriteLock.h"

namespace trq::platform {

// The write lock of the program folder `folder`, shared by every process that writes its
// files: an advisory lock on the file ".trq-gmouse.lock" in that folder (created when
// missing), held only while locked. Re-entrant per thread; the threads of this process also
// exclude each other. Where the lock file cannot be opened (a read-only folder), locking
// still serialises this process's threads, and the writes then fail on their own.
std::unique_ptr<base::WriteLock> OpenHomeWriteLock(const std::filesystem::path& folder);

}  // namespace trq::platform
