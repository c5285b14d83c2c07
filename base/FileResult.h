#pragma once

#include <string>

namespace trq::base {

// What went wrong with a file at the program's edge. Reads of missing files are not
// errors for most callers (the file format says a missing file reads as empty), so
// `NotFound` is reported and the caller decides.
enum class FileError {
    None,
    NotFound,      // no file at the path
    ReadFailed,    // exists but could not be read: no access, not a regular file, too large
    NothingFound,  // read, but it holds nothing of what was asked for (an import's source)
    ReadOnly,      // exists and is marked read-only; left untouched
    WriteFailed,   // could not write (no access, full disk, ...); an old file stays whole
};

struct FileResult {
    FileError error = FileError::None;
    std::string path;          // the file concerned, for messages
    std::string reason;        // the system's words ("Permission denied") or what was missing
    bool oldFileKept = false;  // a failed write: there was an old file and it is unchanged

    bool ok() const { return error == FileError::None; }
    static FileResult Ok() { return {}; }
};

// One English line for a log or stderr, naming the file and why, e.g.
// "cannot write /x/config.ini: No space left on device (old contents kept)".
std::string Describe(const FileResult& result);

}  // namespace trq::base
