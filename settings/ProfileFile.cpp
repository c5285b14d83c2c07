#include "settings/ProfileFile.h"

#include "base/IniFile.h"
#include "settings/SettingsFile.h"

namespace trq::settings {

base::FileResult ExportProfile(const std::filesystem::path& file, const DeviceSettings& settings) {
    return SaveProfile(file, kExchangeProfile, settings);
}

base::FileResult ImportProfile(const std::filesystem::path& file, DeviceSettings& settings) {
    const base::IniLoadResult loaded = base::LoadIniFile(file);
    if (!loaded.result.ok()) return loaded.result;
    const std::string section = ProfileSectionName(kExchangeProfile, false, 0);
    DeviceSettings imported;
    if (ReadProfileSection(loaded.document, section, imported) == 0) {
        base::FileResult nothing = loaded.result;
        nothing.error = base::FileError::NothingFound;
        nothing.reason = "no [" + section + "] section with profile settings";
        return nothing;
    }
    settings = imported;
    return loaded.result;
}

}  // namespace trq::settings
