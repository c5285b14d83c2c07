#pragma once

#include <cstdint>
#include <filesystem>

namespace trq::base {

// Every file the program reads or writes lies in, or under, one folder (by default the
// executable's). File and folder names are fixed; the language picks the macro files.
struct ProgramPaths {
    std::filesystem::path moduleFolder;

    std::filesystem::path ConfigPath() const { return moduleFolder / "config.ini"; }
    std::filesystem::path SkinFolder() const { return moduleFolder / "skins"; }
    std::filesystem::path ConstMacroFile() const { return moduleFolder / "constMacro.dat"; }
    // "Macro_EN.dat" when language is nonzero (English), else "Macro_CN.dat".
    std::filesystem::path UserMacroFile(std::uint8_t language) const {
        return moduleFolder / (language != 0 ? "Macro_EN.dat" : "Macro_CN.dat");
    }
    // The language's default macros: skins/INI_EN/defMacro.dat or skins/INI_CN/defMacro.dat.
    std::filesystem::path DefaultMacroFile(std::uint8_t language) const {
        return SkinFolder() / (language != 0 ? "INI_EN" : "INI_CN") / "defMacro.dat";
    }
};

}  // namespace trq::base
