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

// Replaces `settings` with the file's Config7 section (a file without it imports as all
// zeros). A missing or unreadable file leaves `settings` untouched and says why.
base::FileResult ImportProfile(const std::filesystem::path& file, DeviceSettings& settings);

}  // namespace trq::settings
