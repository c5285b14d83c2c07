// Any bytes as a macro file: loading must stay inside the tables, and what was loaded must
// survive a save into that same file and a second load. An import takes the file whole or
// leaves the table as it was, and a bounded read takes exactly the files within its limit.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "base/FileIo.h"
#include "macros/MacroFile.h"
#include "tests/support/TempDir.h"

namespace {

using namespace trq::macros;

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}

MacroRecord Pattern(std::size_t index) {
    std::array<std::uint8_t, sizeof(MacroRecord)> bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(0xA5 + index + i);
    }
    return RecordFromBytes(bytes);
}

template <typename Table>
void FillWithPattern(Table& table) {
    for (std::size_t i = 0; i < table.records.size(); ++i)
        table.records[i] = Pattern(i);
    table.macroCount = -7;
}

template <typename Table>
void CheckLoaded(const Table& table, int capacity) {
    Check(table.macroCount >= 0 && table.macroCount <= capacity, "macroCount within capacity");
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        Check(MacroName(table.records[i]).size() <= kNameUnits, "name of at most 20 units");
        if (static_cast<int>(i) >= table.macroCount) {
            Check(table.records[i] == Pattern(i), "records above the count keep their bytes");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const trq::test::TempDir dir;
    static const std::filesystem::path file = dir / "Macro.dat";
    trq::test::WriteBytes(file, {reinterpret_cast<const char*>(data), size});
    trq::base::SilentNotifier notifier;

    UserMacroTable user;
    FillWithPattern(user);
    user.currentMacro = 99;
    Check(LoadUserMacros(file, user, notifier, 1).ok(), "any regular file loads");
    CheckLoaded(user, kUserMacroCapacity);
    Check(user.currentMacro == (user.macroCount > 0 ? user.macroCount - 1 : 0), "currentMacro");

    ConstMacroTable constant;
    FillWithPattern(constant);
    LoadConstMacros(file, constant, notifier, 1);
    CheckLoaded(constant, kConstMacroCapacity);
    Check(user.macroCount == std::min<int>(constant.macroCount, kUserMacroCapacity),
          "both tables read the same count");

    UserMacroTable imported;
    FillWithPattern(imported);
    imported.currentMacro = 99;
    const trq::base::FileResult import = ImportMacros(file, imported);
    if (import.ok()) {
        Check(imported.macroCount == user.macroCount, "an import reads what a load reads");
        Check(imported.records == user.records, "an import reads what a load reads");
    } else {
        Check(import.error == trq::base::FileError::NothingFound, "a refused import found nothing");
        Check(imported.macroCount == -7 && imported.currentMacro == 99,
              "a refused import changes nothing");
        CheckLoaded(user, kUserMacroCapacity);
        Check(user.macroCount == 0, "a file an import refuses loads as an empty table");
    }

    const std::uintmax_t limit = size == 0 ? 0 : data[0] * std::uintmax_t{64};
    const trq::base::FileBytes bounded = trq::base::ReadFileBounded(file, limit);
    Check(bounded.result.ok() == (size <= limit),
          "a read takes exactly the files within its limit");
    Check(bounded.result.ok() ? bounded.bytes.size() == size : bounded.bytes.empty(),
          "a bounded read gives the whole file or nothing");

    Check(SaveUserMacros(file, user).ok(), "saving over a readable file");
    UserMacroTable again;
    FillWithPattern(again);
    Check(LoadUserMacros(file, again, notifier, 1).ok(), "loading the saved file");
    Check(again.macroCount == user.macroCount, "saved count reads back");
    for (int i = 0; i < user.macroCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        Check(again.records[at] == user.records[at], "saved record reads back");
    }
    return 0;
}
