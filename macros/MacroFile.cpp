#include "macros/MacroFile.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "base/IniFile.h"
#include "base/Messages.h"
#include "macros/KeyTables.h"

namespace trq::macros {
namespace {

constexpr std::string_view kSection = "Macros";
constexpr std::string_view kCountKey = "macroNum";
constexpr std::size_t kCountBufferChars = 3;  // at most two characters of "macroNum" count
constexpr std::size_t kFieldCount = sizeof(MacroRecord);
constexpr std::size_t kFieldChars = 3;
constexpr std::size_t kNameFields = 40;
constexpr std::size_t kFirstSlotField = 44;

using Fields = std::array<std::uint8_t, kFieldCount>;

// The record's bytes in file order, step codes still as usage IDs.
Fields ToFileOrder(const MacroRecord& r) {
    Fields f{};
    std::copy(r.name.begin(), r.name.end(), f.begin());
    f[40] = r.repeatMode;
    f[41] = r.repeatCount[0];
    f[42] = r.repeatCount[1];
    f[43] = r.stepCount;
    for (std::size_t i = 0; i < kMaxSteps; ++i) {
        const std::size_t at = kFirstSlotField + 4 * i;
        f[at] = r.keys[i].code;
        f[at + 1] = r.keys[i].action;
        f[at + 2] = r.delays[i][0];
        f[at + 3] = r.delays[i][1];
    }
    return f;
}

MacroRecord FromFileOrder(const Fields& f) {
    MacroRecord r = EmptyMacro();
    std::copy(f.begin(), f.begin() + kNameFields, r.name.begin());
    r.repeatMode = f[40];
    r.repeatCount = {f[41], f[42]};
    r.stepCount = f[43];
    for (std::size_t i = 0; i < kMaxSteps; ++i) {
        const std::size_t at = kFirstSlotField + 4 * i;
        r.keys[i] = {f[at], f[at + 1]};
        r.delays[i] = {f[at + 2], f[at + 3]};
    }
    return r;
}

// The value with one byte per character as the private-profile functions count them
// (UTF-16 units), so that fields after a stray non-ASCII character fall where they would
// there. Such characters are never digits, signs or blanks, so '?' stands for each unit.
std::string OneBytePerUnit(std::string_view utf8) {
    const bool ascii =
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; });
    if (ascii) return std::string(utf8);
    std::string units;
    units.reserve(utf8.size());
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            units.push_back(c);
        } else if (byte >= 0xF0) {
            units.append("??");  // outside the BMP: a surrogate pair
        } else if (byte >= 0xC0) {
            units.push_back('?');
        }  // continuation bytes belong to the character before
    }
    return units;
}

// The count as the reader takes it: at most two characters, converted like atoi.
std::string CountText(const base::IniDocument& doc) {
    return doc.Read(kSection, kCountKey, kCountBufferChars);
}

// The count text holds a number, not just something that reads as 0.
bool HoldsNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r')))
        ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    return pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
}

template <typename Table>
void ReadMacros(const base::IniDocument& doc, Table& table) {
    const std::string countText = CountText(doc);
    const int count = std::clamp(base::ParseIniInt(countText, countText.size()), 0,
                                 static_cast<int>(table.records.size()));
    for (int i = 0; i < count; ++i) {
        const std::string key = std::to_string(i);
        table.records[static_cast<std::size_t>(i)] =
            DecodeMacroValue(doc.Find(kSection, key).value_or(std::string_view{}));
    }
    table.macroCount = static_cast<std::int16_t>(count);
}

template <typename Table>
base::FileResult LoadMacros(const std::filesystem::path& path, Table& table,
                            base::Notifier& notifier, std::uint8_t language) {
    const base::IniLoadResult loaded = base::LoadIniFile(path);
    if (loaded.result.error == base::FileError::ReadFailed) return loaded.result;
    if (loaded.result.error == base::FileError::NotFound) {
        notifier.ShowMessage(base::FileNotFoundMessage(language, path));
    }
    ReadMacros(loaded.document, table);
    return loaded.result;
}

void SetCurrentMacro(UserMacroTable& table) {
    table.currentMacro = std::max(table.macroCount - 1, 0);
}

}  // namespace

std::string FormatField(std::uint8_t value) {
    return {static_cast<char>('0' + value / 100), static_cast<char>('0' + value / 10 % 10),
            static_cast<char>('0' + value % 10)};
}

std::string EncodeMacroValue(const MacroRecord& record) {
    Fields fields = ToFileOrder(record);
    for (std::size_t at = kFirstSlotField; at < kFieldCount; at += 4) {
        fields[at] = UsageToVirtualKey(fields[at]);
    }
    std::string value;
    value.reserve(kMacroValueChars);
    for (std::uint8_t field : fields)
        value += FormatField(field);
    return value;
}

MacroRecord DecodeMacroValue(std::string_view value) {
    const std::string units = OneBytePerUnit(value);
    const std::string_view text = units;
    Fields fields{};
    for (std::size_t k = 0; k < kFieldCount && kFieldChars * k < text.size(); ++k) {
        const std::string_view field = text.substr(kFieldChars * k, kFieldChars);
        fields[k] = static_cast<std::uint8_t>(base::ParseIniInt(field, field.size()) & 0xFF);
    }
    for (std::size_t at = kFirstSlotField; at < kFieldCount; at += 4) {
        fields[at] = VirtualKeyToUsage(fields[at]);
    }
    return FromFileOrder(fields);
}

base::FileResult LoadUserMacros(const std::filesystem::path& path, UserMacroTable& table,
                                base::Notifier& notifier, std::uint8_t language) {
    const base::FileResult result = LoadMacros(path, table, notifier, language);
    if (result.error != base::FileError::ReadFailed) SetCurrentMacro(table);
    return result;
}

base::FileResult LoadConstMacros(const std::filesystem::path& path, ConstMacroTable& table,
                                 base::Notifier& notifier, std::uint8_t language) {
    return LoadMacros(path, table, notifier, language);
}

base::FileResult ImportMacros(const std::filesystem::path& path, UserMacroTable& table) {
    const base::IniLoadResult loaded = base::LoadIniFile(path);
    if (!loaded.result.ok()) return loaded.result;
    if (!HoldsNumber(CountText(loaded.document))) {
        base::FileResult nothing = loaded.result;
        nothing.error = base::FileError::NothingFound;
        nothing.reason = "no [" + std::string(kSection) + "] section with a " +
                         std::string(kCountKey) + " count";
        return nothing;
    }
    ReadMacros(loaded.document, table);
    SetCurrentMacro(table);
    return loaded.result;
}

base::FileResult SaveUserMacros(const std::filesystem::path& path, const UserMacroTable& table) {
    // A count outside the table would make readers expect records that do not exist.
    const int count = std::clamp<int>(table.macroCount, 0, kUserMacroCapacity);
    return base::UpdateIniFile(path, [&](base::IniDocument& doc) {
        doc.Write(kSection, kCountKey, std::to_string(count));
        for (int i = 0; i < count; ++i) {
            doc.Write(kSection, std::to_string(i),
                      EncodeMacroValue(table.records[static_cast<std::size_t>(i)]));
        }
    });
}

base::FileResult ResetUserMacros(const std::filesystem::path& defaultFile,
                                 const std::filesystem::path& userFile, UserMacroTable& table,
                                 base::Notifier& notifier, std::uint8_t language) {
    const base::FileResult loaded = LoadUserMacros(defaultFile, table, notifier, language);
    if (loaded.error == base::FileError::ReadFailed) return loaded;
    return SaveUserMacros(userFile, table);
}

}  // namespace trq::macros
