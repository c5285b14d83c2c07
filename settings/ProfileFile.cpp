#include "settings/ProfileFile.h"

#include "base/IniFile.h"
#include "settings/SettingsFile.h"

namespace trq::settings {

base::FileResult ExportProfile(const std::filesystem::path& file, const DeviceSettings& settings) {
    return SaveProfile(file, kExchangeProfile, settings);
}

base::FileResult ImportProfile(const std::filesystem::path& file, DeviceSettings& settings) {
    DeviceSettings imported;
    const base::FileResult result = LoadProfile(file, kExchangeProfile, false, 0, imported);
    if (result.ok()) settings = imported;
    return result;
}

}  // namespace trq::settings
