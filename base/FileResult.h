#pragma once

#include <string>

namespace trq::base {

// What went wrong with a file at the program's edge. Reads of missing files are not
// errors for most callers (the file format says a missing file reads as empty), so
// `NotFound` is reported and the caller decides.
enum class FileError {
    None,
    NotFound,     // no file at the path
    ReadFailed,   // exists but could not be read
    ReadOnly,     // exists and is marked read-only; left untouched
    WriteFailed,  // could not write (no access, full disk, ...); the old file is whole
};

struct FileResult {
    FileError error = FileError::None;
    std::string path;  // the file concerned, for messages

    bool ok() const { return error == FileError::None; }
    static FileResult Ok() { return {}; }
};

// One English line for a log or stderr, e.g. "cannot write /x/config.ini: file is read-only".
std::string Describe(const FileResult& result);

}  // namespace trq::base
