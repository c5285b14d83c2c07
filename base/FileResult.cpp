#include "base/FileResult.h"

namespace trq::base {

std::string Describe(const FileResult& result) {
    const std::string file = result.path.empty() ? std::string("(no file)") : result.path;
    const auto why = [&](const char* fallback) {
        return result.reason.empty() ? std::string(fallback) : result.reason;
    };
    switch (result.error) {
        case FileError::None:
            return file + ": ok";
        case FileError::NotFound:
            return "cannot read " + file + ": file not found";
        case FileError::ReadFailed:
            return "cannot read " + file + ": " + why("file could not be read");
        case FileError::NothingFound:
            return "nothing to import from " + file + ": " + why("nothing usable in it");
        case FileError::ReadOnly:
            return "cannot write " + file + ": file is read-only";
        case FileError::WriteFailed:
            return "cannot write " + file + ": " + why("file could not be written") +
                   (result.oldFileKept ? " (old contents kept)" : "");
    }
    return "cannot use " + file;
}

}  // namespace trq::base
