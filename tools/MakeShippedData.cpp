// Writes the data files installed beside the program, through the program's own file code,
// so their bytes are exactly what the program itself writes:
//   config.ini, constMacro.dat, skins/INI_EN/defMacro.dat, skins/INI_CN/defMacro.dat, and
//   Macro_EN.dat / Macro_CN.dat (the user macro files, starting as the defaults)
// Usage: trq-make-data OUTPUT_FOLDER

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "base/ProgramPaths.h"
#include "macros/MacroFile.h"
#include "settings/DeviceSettings.h"
#include "settings/SettingsFile.h"

namespace {

using namespace trq;
using settings::DeviceSettings;

struct Step {
    std::uint8_t code;
    std::uint8_t action;
    std::uint16_t delay;
};

constexpr std::uint8_t kCtrl = 224, kShift = 225, kAlt = 226;
constexpr std::uint8_t kDown = macros::kActionDown, kUp = macros::kActionUp;

macros::MacroRecord Macro(std::u16string_view name, std::initializer_list<Step> steps,
                          std::uint16_t repeatCount = 0) {
    macros::MacroRecord record = macros::EmptyMacro();
    macros::SetMacroName(record, name);
    record.repeatMode = repeatCount > 0 ? 1 : 0;
    macros::SetRepeatCount(record, repeatCount > 0 ? repeatCount : 1);
    int slot = 0;
    for (const Step& step : steps) {
        record.keys[slot] = {step.code, step.action};
        macros::SetStepDelay(record, slot, step.delay);
        ++slot;
    }
    record.stepCount = static_cast<std::uint8_t>(slot);
    return record;
}

// Ctrl + key, pressed and released.
macros::MacroRecord Chord(std::u16string_view name, std::uint8_t key) {
    return Macro(name, {{kCtrl, kDown, 30}, {key, kDown, 30}, {key, kUp, 30}, {kCtrl, kUp, 30}});
}

macros::MacroRecord Clicks(std::u16string_view name, int count) {
    macros::MacroRecord record = Macro(name, {});
    for (int i = 0; i < count; ++i) {
        record.keys[2 * i] = {macros::kCodeLeftButton, kDown};
        macros::SetStepDelay(record, 2 * i, 20);
        record.keys[2 * i + 1] = {macros::kCodeLeftButton, kUp};
        macros::SetStepDelay(record, 2 * i + 1, 30);
    }
    record.stepCount = static_cast<std::uint8_t>(2 * count);
    return record;
}

// Types the letters a..z of `text` (lower case) with a short gap.
macros::MacroRecord Typing(std::u16string_view name, std::string_view text) {
    macros::MacroRecord record = Macro(name, {});
    int slot = 0;
    for (char c : text) {
        const std::uint8_t usage =
            c == ' ' ? 44 : static_cast<std::uint8_t>(4 + (c - 'a'));  // usage of a..z, space
        record.keys[slot] = {usage, kDown};
        macros::SetStepDelay(record, slot++, 30);
        record.keys[slot] = {usage, kUp};
        macros::SetStepDelay(record, slot++, 30);
    }
    record.stepCount = static_cast<std::uint8_t>(slot);
    return record;
}

bool Check(const base::FileResult& result) {
    if (result.ok()) return true;
    std::fprintf(stderr, "trq-make-data: %s\n", base::Describe(result).c_str());
    return false;
}

bool SaveMacros(const std::filesystem::path& file,
                std::initializer_list<macros::MacroRecord> records) {
    macros::UserMacroTable table;
    for (const macros::MacroRecord& record : records)
        table.records[table.macroCount++] = record;
    return Check(macros::SaveUserMacros(file, table));
}

DeviceSettings Profile(std::array<std::int32_t, 7> buttons, std::array<std::uint8_t, 4> dpiSet,
                       std::uint8_t led, std::int32_t fireTime) {
    DeviceSettings s = settings::DefaultSettings(0);
    s.buttonFunction = buttons;
    s.dpiSet = dpiSet;
    s.ledStatus = led;
    s.fireTime = fireTime;
    return s;
}

bool WriteConfig(const std::filesystem::path& file) {
    const DeviceSettings office = settings::DefaultSettings(0);
    // Side buttons step the DPI; a fast, low-DPI ladder with a quick fire interval.
    const DeviceSettings fps = Profile({1, 2, 3, 15, 16, 6, 14}, {1, 3, 6, 9}, 1, 20);
    // Side buttons for volume, wheel-button stays middle; mid DPI for map work.
    const DeviceSettings moba = Profile({1, 2, 3, 24, 25, 15, 16}, {3, 4, 6, 8}, 2, 50);
    // Copy and paste on the side buttons, undo and select all on the others.
    const DeviceSettings office2 = Profile({1, 2, 3, 32, 31, 34, 35}, {4, 6, 8, 10}, 3, 50);
    // Media: play/pause, next track, volume; user macros on the top buttons (English UI).
    const DeviceSettings mediaCn = Profile({1, 2, 3, 29, 27, 24, 25}, {3, 6, 8, 10}, 0, 50);
    const DeviceSettings mediaEn = Profile({1, 2, 3, 29, 27, 41, 42}, {3, 6, 8, 10}, 0, 50);

    bool ok =
        Check(settings::WriteCurrentProfile(file, 1)) && Check(settings::WriteLanguage(file, 1));
    const std::pair<int, const DeviceSettings*> users[] = {
        {1, &office}, {2, &fps}, {3, &moba}, {4, &office2}, {5, &mediaEn}, {6, &office}};
    for (auto [n, s] : users)
        ok = ok && Check(settings::SaveProfile(file, n, *s));
    const std::pair<std::string, const DeviceSettings*> factory[] = {{"CfgReset2", &fps},
                                                                     {"CfgReset3", &moba},
                                                                     {"CfgReset4", &office2},
                                                                     {"CfgReset5", &mediaCn},
                                                                     {"CfgReset_EN5", &mediaEn}};
    for (const auto& [section, s] : factory) {
        ok = ok && Check(settings::SaveProfileSection(file, section, *s));
    }
    return ok;
}

bool WriteConstMacros(const std::filesystem::path& file) {
    return SaveMacros(
        file, {
                  Chord(u"Copy", 6),                                                           // C
                  Chord(u"Paste", 25),                                                         // V
                  Chord(u"Cut", 27),                                                           // X
                  Chord(u"Undo", 29),                                                          // Z
                  Chord(u"Select all", 4),                                                     // A
                  Clicks(u"Double click", 2), Clicks(u"Triple click", 3), Chord(u"Save", 22),  // S
              });
}

macros::MacroRecord CopyLine(std::u16string_view name) {
    // Home, Shift+End, Ctrl+C
    return Macro(name, {{74, kDown, 30},
                        {74, kUp, 30},
                        {kShift, kDown, 30},
                        {77, kDown, 30},
                        {77, kUp, 30},
                        {kShift, kUp, 30},
                        {kCtrl, kDown, 30},
                        {6, kDown, 30},
                        {6, kUp, 30},
                        {kCtrl, kUp, 30}});
}

macros::MacroRecord SwitchWindow(std::u16string_view name) {
    return Macro(name, {{kAlt, kDown, 30}, {43, kDown, 60}, {43, kUp, 30}, {kAlt, kUp, 30}});
}

// The example macros of each language into the files `en` and `cn`.
bool WriteExampleMacros(const std::filesystem::path& en, const std::filesystem::path& cn) {
    std::filesystem::create_directories(en.parent_path());
    std::filesystem::create_directories(cn.parent_path());
    return SaveMacros(
               en,
               {Typing(u"Type hello", "hello"), CopyLine(u"Copy line"),
                SwitchWindow(u"Switch window"),
                Macro(u"Burst fire",
                      {{macros::kCodeLeftButton, kDown, 20}, {macros::kCodeLeftButton, kUp, 40}},
                      3)}) &&
           SaveMacros(
               cn,
               {Typing(u"输入 nihao", "nihao"), CopyLine(u"复制整行"), SwitchWindow(u"切换窗口"),
                Macro(u"三连发",
                      {{macros::kCodeLeftButton, kDown, 20}, {macros::kCodeLeftButton, kUp, 40}},
                      3)});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trq-make-data OUTPUT_FOLDER\n");
        return 2;
    }
    const base::ProgramPaths paths{argv[1]};
    std::error_code ec;
    std::filesystem::create_directories(paths.moduleFolder, ec);
    // Start from nothing, so the files hold exactly what is written below.
    for (const auto& file :
         {paths.ConfigPath(), paths.ConstMacroFile(), paths.DefaultMacroFile(0),
          paths.DefaultMacroFile(1), paths.UserMacroFile(0), paths.UserMacroFile(1)}) {
        std::filesystem::remove(file, ec);
    }
    const bool ok = WriteConfig(paths.ConfigPath()) && WriteConstMacros(paths.ConstMacroFile()) &&
                    WriteExampleMacros(paths.DefaultMacroFile(1), paths.DefaultMacroFile(0)) &&
                    WriteExampleMacros(paths.UserMacroFile(1), paths.UserMacroFile(0));
    return ok ? 0 : 1;
}
