#pragma once

// Profile files exchanged with the user: INI files whose settings live in section Config7,
// whatever profile they came from.

#include <filesystem>

#include "base/FileResult.h"
#include "settings/DeviceSettings.h"

namespace trq::settings {

// Writes the settings into section Config7 of `file`, creating it if needed; other
// sections and keys of an existing file stay.
base::FileResult ExportProfile(const std::filesystem::path& file, const DeviceSettings& settings);

// Replaces `settings` with the file's Config7 section (0 for a key it lacks). A file
// without that section, or with none of the profile keys in it, gives NothingFound: an
// import of nothing would only zero every setting. Then, and when the file is missing or
// cannot be read, `settings` stays as it was and the result says why.
base::FileResult ImportProfile(const std::filesystem::path& file, DeviceSettings& settings);

}  // namespace trq::settings
