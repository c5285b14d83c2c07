#pragma once

// "config.ini": section Init (CurConfig, VER_SEL), the user profiles Config1..Config5, the
// applied snapshot Config6, and the factory sections CfgReset2..CfgReset5 and CfgReset_EN5.
// A profile section holds 23 keys, written in this order:
//   K0..K6, DPI_LEVEL, WHEEL_STATUS, MACRO_MODE2, DPI_SET0, DPI_SET_EN0 .. DPI_SET3,
//   DPI_SET_EN3, LED_STATUS, DPI_SPEED, WHEEL_SPEED, USB_SPEED, FIRE_TIME
// all as "%d" decimals. On reading, each value text is cut (9 characters for the DPI_SET*
// keys, 4 for the others), converted like atoi, and the 8-bit fields keep the low 8 bits;
// DPI_SET_EN* read as 1 when nonzero. A missing key reads as 0.

#include <cstdint>
#include <filesystem>
#include <string>

#include "base/FileResult.h"
#include "base/IniFile.h"
#include "settings/DeviceSettings.h"

namespace trq::settings {

// "Config<n>", or with fromReset "CfgReset<n>" ("CfgReset_EN5" for n 5 and language 1).
std::string ProfileSectionName(int profile, bool fromReset, std::uint8_t language);

// Replaces every field of `settings` with the section's values (0 where missing). A missing
// file reads as all zeros too and is reported as NotFound; one that cannot be read leaves
// `settings` as it was and says why (ReadFailed).
base::FileResult LoadProfile(const std::filesystem::path& file, int profile, bool fromReset,
                             std::uint8_t language, DeviceSettings& settings);

// The same from a document already loaded. Returns how many of the 23 keys the section
// holds (0 when there is no such section).
int ReadProfileSection(const base::IniDocument& doc, const std::string& section,
                       DeviceSettings& settings);

// Writes the 23 keys into section Config<n> in one file update; nothing else changes.
base::FileResult SaveProfile(const std::filesystem::path& file, int profile,
                             const DeviceSettings& settings);
// The same 23 keys into any section (used to build the shipped factory sections).
base::FileResult SaveProfileSection(const std::filesystem::path& file, const std::string& section,
                                    const DeviceSettings& settings);
// Write one key each into Config<n>.
base::FileResult SaveDpiLevel(const std::filesystem::path& file, int profile,
                              std::int32_t dpiLevel);
base::FileResult SaveUsbSpeed(const std::filesystem::path& file, int profile,
                              std::uint8_t usbSpeed);

// Init/CurConfig (4 characters used; missing gives 0) and Init/VER_SEL (low 8 bits;
// nonzero means English, missing gives 0, Chinese).
std::int32_t ReadCurrentProfile(const std::filesystem::path& file);
std::uint8_t ReadLanguage(const std::filesystem::path& file);
base::FileResult WriteCurrentProfile(const std::filesystem::path& file, std::int32_t profile);
base::FileResult WriteLanguage(const std::filesystem::path& file, std::uint8_t language);

// The settings half of restoring the factory state: built-in defaults into profile 1,
// factory sections into profiles 5, 4, 3, 2, then the current profile reloaded into
// `settings`. Stops writing at the first failed write and says so; the reload still
// happens, so memory matches the file.
base::FileResult ResetProfiles(const std::filesystem::path& file, std::int32_t currentProfile,
                               std::uint8_t language, DeviceSettings& settings);

}  // namespace trq::settings
