#include "skin/SkinLayoutFile.h"

#include <utility>

namespace trq::skin {

namespace {

constexpr std::string_view kButtonPos = "BUTTONPOS";
constexpr std::string_view kFunString = "FUN_STRING";
constexpr std::string_view kEdit = "EDIT";
constexpr std::string_view kMacroDisplay = "MACRODISPLAY";

struct SkinFileNames {
    std::string_view english;
    std::string_view chinese;
};

// Indexed by SkinFile.
constexpr std::array<SkinFileNames, 4> kFileNames{{
    {"skin_main_en.ini", "skin_main.ini"},
    {"skin_color_en.ini", "skin_color.ini"},
    {"skin_advance_en.ini", "skin_advance.ini"},
    {"LBWarning_en.ini", "LBWarning.ini"},
}};

struct OpenedFile {
    std::string path;
    base::IniDocument document;
    SkinLoadResult result;
};

OpenedFile Open(const std::filesystem::path& skinFolder, SkinFile which, std::uint8_t language) {
    const std::filesystem::path path = SkinLayoutPath(skinFolder, which, language);
    base::IniLoadResult loaded = base::LoadIniFile(path);
    OpenedFile opened;
    opened.path = path.string();
    opened.document = std::move(loaded.document);
    opened.result.file = loaded.result;
    if (!opened.result.file.ok() && opened.result.file.path.empty()) {
        opened.result.file.path = opened.path;
    }
    return opened;
}

SkinEntry Read(OpenedFile& file, std::string_view section, int index) {
    SkinEntry entry = ReadSkinEntry(file.document, section, index);
    if (entry.tooManyCommas) {
        file.result.warnings.push_back({file.path, std::string(section), index});
    }
    return entry;
}

// Reads into a fresh table so a layout is replaced whole.
SkinLayout ReadButtonPos(OpenedFile& file, std::size_t count) {
    SkinLayout layout(count);
    for (std::size_t i = 0; i < count; ++i) {
        SkinEntry entry = Read(file, kButtonPos, static_cast<int>(i));
        layout.areas[i] = SkinEntryRect(entry);
        layout.texts[i] = std::move(entry.fields[5]);
    }
    return layout;
}

SkinBox ReadBox(OpenedFile& file, std::string_view section, int index) {
    const SkinRect r = SkinEntryRect(Read(file, section, index));
    // Wraps like the 32-bit sums it stands for instead of overflowing.
    const auto sum = [](std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) +
                                         static_cast<std::uint32_t>(b));
    };
    return {r.x, r.y, sum(r.x, r.width), sum(r.y, r.height)};
}

}  // namespace

SkinEntry SplitSkinValue(std::string_view value) {
    SkinEntry entry;
    std::size_t field = 0;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < value.size(); ++pos) {
        if (value[pos] != ',') continue;
        if (field + 1 < kSkinFieldCount) {
            entry.fields[field] = std::string(value.substr(start, pos - start));
            ++field;
            start = pos + 1;
        } else {
            entry.tooManyCommas = true;
        }
    }
    entry.fields[field] = std::string(value.substr(start));
    return entry;
}

SkinEntry ReadSkinEntry(const base::IniDocument& file, std::string_view section, int index) {
    const std::string key = std::to_string(index);
    return SplitSkinValue(file.Read(section, key, kSkinValueBufferChars));
}

SkinRect SkinEntryRect(const SkinEntry& entry) {
    const auto number = [&](std::size_t field) {
        return base::ParseIniInt(entry.fields[field], entry.fields[field].size());
    };
    return {number(1), number(2), number(3), number(4)};
}

std::filesystem::path SkinLayoutPath(const std::filesystem::path& skinFolder, SkinFile file,
                                     std::uint8_t language) {
    const SkinFileNames& names = kFileNames[static_cast<std::size_t>(file)];
    return language != 0 ? skinFolder / "INI_EN" / names.english
                         : skinFolder / "INI_CN" / names.chinese;
}

SkinLoadResult LoadMainSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                            SkinLayouts& layouts) {
    OpenedFile file = Open(skinFolder, SkinFile::Main, language);
    if (!file.result.ok()) return file.result;
    SkinLayout main = ReadButtonPos(file, kMainItems);
    std::array<std::string, kFunctionNames> names;
    for (std::size_t k = 1; k <= kFunctionNames; ++k) {
        names[k - 1] = std::move(Read(file, kFunString, static_cast<int>(k)).fields[0]);
    }
    layouts.main = std::move(main);
    layouts.functionNames = std::move(names);
    return file.result;
}

SkinLoadResult LoadColorSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                             SkinLayouts& layouts) {
    OpenedFile file = Open(skinFolder, SkinFile::Color, language);
    if (!file.result.ok()) return file.result;
    layouts.color = ReadButtonPos(file, kColorItems);
    return file.result;
}

SkinLoadResult LoadAdvancedSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                                SkinLayouts& layouts) {
    OpenedFile file = Open(skinFolder, SkinFile::Advanced, language);
    if (!file.result.ok()) return file.result;
    SkinLayout advanced = ReadButtonPos(file, kAdvancedItems);
    const SkinBox repeatCount = ReadBox(file, kEdit, 3);
    const SkinBox macroName = ReadBox(file, kEdit, 4);
    const SkinBox macroList = ReadBox(file, kMacroDisplay, 1);
    const SkinBox stepList = ReadBox(file, kMacroDisplay, 2);
    layouts.advanced = std::move(advanced);
    layouts.repeatCountArea = repeatCount;
    layouts.macroNameArea = macroName;
    layouts.macroListArea = macroList;
    layouts.stepListArea = stepList;
    return file.result;
}

SkinLoadResult LoadWarningSkin(const std::filesystem::path& skinFolder, std::uint8_t language,
                               SkinLayouts& layouts) {
    OpenedFile file = Open(skinFolder, SkinFile::Warning, language);
    if (!file.result.ok()) return file.result;
    layouts.warning = ReadButtonPos(file, kWarningItems);
    return file.result;
}

SkinLoadResult LoadSkinLayouts(const std::filesystem::path& skinFolder, std::uint8_t language,
                               SkinLayouts& layouts) {
    SkinLoadResult all;
    for (auto* load : {&LoadMainSkin, &LoadColorSkin, &LoadAdvancedSkin, &LoadWarningSkin}) {
        SkinLoadResult one = load(skinFolder, language, layouts);
        all.warnings.insert(all.warnings.end(), one.warnings.begin(), one.warnings.end());
        if (!one.ok()) {
            all.file = one.file;
            return all;
        }
    }
    return all;
}

}  // namespace trq::skin
