// Any bytes as a macro file: loading must stay inside the tables, and what was loaded must
// survive a save into that same file and a second load.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

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
    LoadUserMacros(file, user, notifier);
    CheckLoaded(user, kUserMacroCapacity);
    Check(user.currentMacro == (user.macroCount > 0 ? user.macroCount - 1 : 0), "currentMacro");

    ConstMacroTable constant;
    FillWithPattern(constant);
    LoadConstMacros(file, constant, notifier);
    CheckLoaded(constant, kConstMacroCapacity);
    Check(user.macroCount == std::min<int>(constant.macroCount, kUserMacroCapacity),
          "both tables read the same count");

    Check(SaveUserMacros(file, user).ok(), "saving over a readable file");
    UserMacroTable again;
    FillWithPattern(again);
    Check(LoadUserMacros(file, again, notifier).ok(), "loading the saved file");
    Check(again.macroCount == user.macroCount, "saved count reads back");
    for (int i = 0; i < user.macroCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        Check(again.records[at] == user.records[at], "saved record reads back");
    }
    return 0;
}
