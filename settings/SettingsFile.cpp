#include "settings/SettingsFile.h"

#include <array>
#include <string_view>

#include "base/IniFile.h"

namespace trq::settings {
namespace {

enum class Field {
    Button,
    DpiLevel,
    WheelStatus,
    MacroMode2,
    DpiSet,
    DpiSetEnabled,
    LedStatus,
    DpiSpeed,
    WheelSpeed,
    UsbSpeed,
    FireTime
};

struct ProfileKey {
    std::string_view name;
    Field field;
    int index;  // slot or level for the array fields
};

// The keys of a profile section in the order they are written.
constexpr std::array<ProfileKey, 23> kProfileKeys{{
    {"K0", Field::Button, 0},
    {"K1", Field::Button, 1},
    {"K2", Field::Button, 2},
    {"K3", Field::Button, 3},
    {"K4", Field::Button, 4},
    {"K5", Field::Button, 5},
    {"K6", Field::Button, 6},
    {"DPI_LEVEL", Field::DpiLevel, 0},
    {"WHEEL_STATUS", Field::WheelStatus, 0},
    {"MACRO_MODE2", Field::MacroMode2, 0},
    {"DPI_SET0", Field::DpiSet, 0},
    {"DPI_SET_EN0", Field::DpiSetEnabled, 0},
    {"DPI_SET1", Field::DpiSet, 1},
    {"DPI_SET_EN1", Field::DpiSetEnabled, 1},
    {"DPI_SET2", Field::DpiSet, 2},
    {"DPI_SET_EN2", Field::DpiSetEnabled, 2},
    {"DPI_SET3", Field::DpiSet, 3},
    {"DPI_SET_EN3", Field::DpiSetEnabled, 3},
    {"LED_STATUS", Field::LedStatus, 0},
    {"DPI_SPEED", Field::DpiSpeed, 0},
    {"WHEEL_SPEED", Field::WheelSpeed, 0},
    {"USB_SPEED", Field::UsbSpeed, 0},
    {"FIRE_TIME", Field::FireTime, 0},
}};

constexpr std::string_view kInitSection = "Init";

// How much of a value text is used: the level keys allow longer numbers.
std::size_t MaxChars(Field field) {
    return field == Field::DpiSet || field == Field::DpiSetEnabled ? 9 : 4;
}

std::uint8_t Low8(int value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

int GetField(const DeviceSettings& s, const ProfileKey& key) {
    switch (key.field) {
        case Field::Button:
            return s.buttonFunction[key.index];
        case Field::DpiLevel:
            return s.dpiLevel;
        case Field::WheelStatus:
            return s.wheelStatus;
        case Field::MacroMode2:
            return s.macroMode2;
        case Field::DpiSet:
            return s.dpiSet[key.index];
        case Field::DpiSetEnabled:
            return s.dpiSetEnabled[key.index] != 0 ? 1 : 0;
        case Field::LedStatus:
            return s.ledStatus;
        case Field::DpiSpeed:
            return s.dpiSpeed;
        case Field::WheelSpeed:
            return s.wheelSpeed;
        case Field::UsbSpeed:
            return s.usbSpeed;
        case Field::FireTime:
            return s.fireTime;
    }
    return 0;
}

void SetField(DeviceSettings& s, const ProfileKey& key, int value) {
    switch (key.field) {
        case Field::Button:
            s.buttonFunction[key.index] = value;
            break;
        case Field::DpiLevel:
            s.dpiLevel = value;
            break;
        case Field::WheelStatus:
            s.wheelStatus = value;
            break;
        case Field::MacroMode2:
            s.macroMode2 = value;
            break;
        case Field::DpiSet:
            s.dpiSet[key.index] = Low8(value);
            break;
        case Field::DpiSetEnabled:
            s.dpiSetEnabled[key.index] = value != 0 ? 1 : 0;
            break;
        case Field::LedStatus:
            s.ledStatus = Low8(value);
            break;
        case Field::DpiSpeed:
            s.dpiSpeed = Low8(value);
            break;
        case Field::WheelSpeed:
            s.wheelSpeed = Low8(value);
            break;
        case Field::UsbSpeed:
            s.usbSpeed = Low8(value);
            break;
        case Field::FireTime:
            s.fireTime = value;
            break;
    }
}

void WriteProfileSection(base::IniDocument& doc, const std::string& section,
                         const DeviceSettings& s) {
    for (const ProfileKey& key : kProfileKeys) {
        doc.Write(section, key.name, std::to_string(GetField(s, key)));
    }
}

base::FileResult WriteOneKey(const std::filesystem::path& file, const std::string& section,
                             std::string_view key, int value) {
    return base::WriteIniString(file, section, key, std::to_string(value));
}

}  // namespace

int ReadProfileSection(const base::IniDocument& doc, const std::string& section,
                       DeviceSettings& settings) {
    int found = 0;
    for (const ProfileKey& key : kProfileKeys) {
        const std::optional<std::string_view> text = doc.Find(section, key.name);
        found += text ? 1 : 0;
        SetField(settings, key, text ? base::ParseIniInt(*text, MaxChars(key.field)) : 0);
    }
    return found;
}

std::string ProfileSectionName(int profile, bool fromReset, std::uint8_t language) {
    if (!fromReset) return "Config" + std::to_string(profile);
    if (profile == 5 && language == 1) return "CfgReset_EN5";
    return "CfgReset" + std::to_string(profile);
}

base::FileResult LoadProfile(const std::filesystem::path& file, int profile, bool fromReset,
                             std::uint8_t language, DeviceSettings& settings) {
    const base::IniLoadResult loaded = base::LoadIniFile(file);
    if (loaded.result.error == base::FileError::ReadFailed) return loaded.result;
    ReadProfileSection(loaded.document, ProfileSectionName(profile, fromReset, language), settings);
    return loaded.result;
}

base::FileResult SaveProfile(const std::filesystem::path& file, int profile,
                             const DeviceSettings& settings) {
    return SaveProfileSection(file, ProfileSectionName(profile, false, 0), settings);
}

base::FileResult SaveProfileSection(const std::filesystem::path& file, const std::string& section,
                                    const DeviceSettings& settings) {
    return base::UpdateIniFile(
        file, [&](base::IniDocument& doc) { WriteProfileSection(doc, section, settings); });
}

base::FileResult SaveDpiLevel(const std::filesystem::path& file, int profile,
                              std::int32_t dpiLevel) {
    return WriteOneKey(file, ProfileSectionName(profile, false, 0), "DPI_LEVEL", dpiLevel);
}

base::FileResult SaveUsbSpeed(const std::filesystem::path& file, int profile,
                              std::uint8_t usbSpeed) {
    return WriteOneKey(file, ProfileSectionName(profile, false, 0), "USB_SPEED", usbSpeed);
}

std::int32_t ReadCurrentProfile(const std::filesystem::path& file) {
    return base::ParseIniInt(base::ReadIniString(file, kInitSection, "CurConfig", 5), 4);
}

std::uint8_t ReadLanguage(const std::filesystem::path& file) {
    return Low8(base::ParseIniInt(base::ReadIniString(file, kInitSection, "VER_SEL", 5), 4));
}

base::FileResult WriteCurrentProfile(const std::filesystem::path& file, std::int32_t profile) {
    return WriteOneKey(file, std::string(kInitSection), "CurConfig", profile);
}

base::FileResult WriteLanguage(const std::filesystem::path& file, std::uint8_t language) {
    return WriteOneKey(file, std::string(kInitSection), "VER_SEL", language != 0 ? 1 : 0);
}

base::FileResult ResetProfiles(const std::filesystem::path& file, std::int32_t currentProfile,
                               std::uint8_t language, DeviceSettings& settings) {
    base::FileResult result = base::FileResult::Ok();
    settings = DefaultSettings(settings.macroMode2);
    result = SaveProfile(file, 1, settings);
    for (int profile = 5; profile >= 2 && result.ok(); --profile) {
        LoadProfile(file, profile, true, language, settings);
        result = SaveProfile(file, profile, settings);
    }
    // Also after a failed write, so memory shows what the file really holds.
    LoadProfile(file, currentProfile, false, language, settings);
    return result;
}

}  // namespace trq::settings
