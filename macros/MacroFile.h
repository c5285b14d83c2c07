#pragma once

// Macro files: INI files with one section "Macros": "macroNum" = count, then keys "0", "1",
// ... each holding one record as 1064 three-digit decimal fields (3192 characters):
//   fields 0..39   the 40 name bytes in memory order
//   40, 41, 42, 43 repeatMode, repeatCount low, high, stepCount
//   44 + 4i ..     slot i: code as a virtual key, action, delay low, delay high (i = 0..254)
// Reading: "macroNum" uses at most 2 characters; each field converts like atoi (missing,
// short or non-numeric gives 0) and keeps its low 8 bits; step codes pass through
// VirtualKeyToUsage. Writing passes them through UsageToVirtualKey.

#include <filesystem>
#include <string>
#include <string_view>

#include "base/FileResult.h"
#include "base/Notifier.h"
#include "macros/MacroRecord.h"
#include "macros/MacroTables.h"

namespace trq::macros {

inline constexpr std::size_t kMacroValueChars = 3 * sizeof(MacroRecord);  // 3192

// A byte as exactly three decimal digits: "007", "042", "255".
std::string FormatField(std::uint8_t value);
// The 3192-character file value of a record, and back (a short value reads zeros).
std::string EncodeMacroValue(const MacroRecord& record);
MacroRecord DecodeMacroValue(std::string_view value);

// Replaces macroCount and the first macroCount records with the file's; records at and
// above the new count keep their bytes. A count above the table's room loads only what
// fits; a negative one reads as 0. A missing file shows "找不到配置文件：<file>" (in English
// when `language` is nonzero) through `notifier` and loads an empty table; a file without
// the section or count loads an empty table too. LoadUserMacros then sets currentMacro to
// count - 1 (0 when the count is 0). Returns the file's read result: NotFound for a missing
// file; ReadFailed, with the reason, for one that cannot be read: then the table stays as
// it was and nothing is shown (the caller tells the user).
base::FileResult LoadUserMacros(const std::filesystem::path& path, UserMacroTable& table,
                                base::Notifier& notifier, std::uint8_t language);
base::FileResult LoadConstMacros(const std::filesystem::path& path, ConstMacroTable& table,
                                 base::Notifier& notifier, std::uint8_t language);

// Loads a macro file chosen by the user, like LoadUserMacros but with no message: a file
// without a "Macros" section holding a "macroNum" number gives NothingFound, as an import
// of it would only empty the table. Then, and when the file is missing or cannot be read,
// the table stays as it was. currentMacroFile is never changed.
base::FileResult ImportMacros(const std::filesystem::path& path, UserMacroTable& table);

// Writes macroNum and records 0..macroCount-1 in one file update. Keys of higher indexes
// left in the file stay (readers stop at macroNum). A count outside 0..12 is written as
// the nearest of those.
base::FileResult SaveUserMacros(const std::filesystem::path& path, const UserMacroTable& table);

// Loads `defaultFile` and saves the result as `userFile` (a missing default file shows the
// message and saves an empty table). Returns the save's result; or, when the default file
// cannot be read, that failure, with the table and `userFile` untouched.
base::FileResult ResetUserMacros(const std::filesystem::path& defaultFile,
                                 const std::filesystem::path& userFile, UserMacroTable& table,
                                 base::Notifier& notifier, std::uint8_t language);

}  // namespace trq::macros
