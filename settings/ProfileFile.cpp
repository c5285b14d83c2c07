#include "settings/ProfileFile.h"

#include "settings/IniFile.h"
#include "settings/SettingsFile.h"

namespace trq::settings {

FileResult ExportProfile(const std::filesystem::path& file, const DeviceSettings& settings) {
    return SaveProfile(file, kExchangeProfile, settings);
}

FileResult ImportProfile(const std::filesystem::path& file, DeviceSettings& settings) {
    DeviceSettings imported;
    const FileResult result = LoadProfile(file, kExchangeProfile, false, 0, imported);
    if (result.ok()) settings = imported;
    return result;
}

}  // namespace trq::settings
