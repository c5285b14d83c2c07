#pragma once

// Whole files in and out: reads that cannot block or run away, and writes that replace a
// file all at once and survive a power loss.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/FileResult.h"

namespace trq::base {

// The largest file the program reads: far above anything it writes (a full macro file is
// about 45 KB, config.ini about 5 KB), small enough that a wrong file costs little memory.
inline constexpr std::uintmax_t kMaxFileBytes = 4 * 1024 * 1024;

struct FileBytes {
    std::string bytes;  // the whole file; empty unless result is ok
    FileResult result;  // NotFound, or ReadFailed with the reason
};

// Reads a regular file (symbolic links followed) of at most `limit` bytes. Anything else is
// refused without reading a byte, and never waits: a folder, a named pipe, a device or a
// socket ("not a regular file (a named pipe)"), a larger file ("larger than 4 MiB ..."),
// and every error of the system (its own words as the reason).
FileBytes ReadFileBounded(const std::filesystem::path& path, std::uintmax_t limit = kMaxFileBytes);

// Replaces the file at `path` with `bytes`: written to a temporary file ".trq-<16 hex
// digits>.tmp" in the same folder, flushed to the disk, renamed over the old file, and the
// folder flushed too; so after a crash or a power loss the file is either whole old or
// whole new. Symbolic links are followed (the link stays, the file it names is replaced);
// the old file's permission bits are kept, a new file gets the default ones.
// Fails, leaving the old file and no temporary behind, with:
//   ReadOnly    the old file has no write permission bit at all (root included);
//   WriteFailed anything else, the reason in the system's words; oldFileKept when there
//               was an old file.
FileResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Removes the temporary files of WriteFileAtomically left in `folder` by a process that died
// while writing. A temporary that a live writer is still using is left alone (the writer
// holds a lock on it). Returns how many were removed.
int RemoveStaleTempFiles(const std::filesystem::path& folder);

}  // namespace trq::base
