// How long the settings and macro files take to read and write, on the shipped files.
// Usage: bench_files [SHIPPED_FOLDER]   (default: the build's shipped folder)

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/FileIo.h"
#include "bench/BenchTable.h"
#include "macros/MacroFile.h"
#include "settings/SettingsFile.h"

#ifndef TRQ_SHIPPED_DIR
#define TRQ_SHIPPED_DIR "."
#endif

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using namespace trq;
    const fs::path shipped = argc > 1 ? argv[1] : TRQ_SHIPPED_DIR;
    const fs::path work = fs::temp_directory_path() / "trq-bench-files";
    fs::remove_all(work);
    fs::create_directories(work);
    const fs::path config = work / "config.ini";
    fs::copy_file(shipped / "config.ini", config);

    settings::DeviceSettings s;
    constexpr int kRuns = 300;
    bench::PrintHeader("Settings and macro files (shipped config.ini, 12 full macros)");
    bench::PrintRow("LoadProfile",
                    bench::TimeIt(kRuns, [&] { settings::LoadProfile(config, 3, false, 1, s); }));
    bench::PrintRow("SaveProfile", bench::TimeIt(kRuns, [&] {
                        ++s.fireTime;
                        settings::SaveProfile(config, 3, s);
                    }));
    bench::PrintRow("LoadProfile + SaveProfile", bench::TimeIt(kRuns, [&] {
                        settings::LoadProfile(config, 3, false, 1, s);
                        settings::SaveProfile(config, 3, s);
                    }));

    macros::UserMacroTable table;
    for (int i = 0; i < macros::kUserMacroCapacity; ++i) {
        macros::MacroRecord& r = table.records[i];
        r = macros::EmptyMacro();
        macros::SetMacroName(r, u"Benchmark macro");
        r.stepCount = 254;
        for (int k = 0; k < macros::kMaxSteps; ++k) {
            r.keys[k] = {static_cast<std::uint8_t>(4 + k % 26),
                         static_cast<std::uint8_t>(1 + k % 2)};
            macros::SetStepDelay(r, k, static_cast<std::uint16_t>(30 + k));
        }
    }
    table.macroCount = macros::kUserMacroCapacity;
    const fs::path macroFile = work / "Macro_EN.dat";
    base::SilentNotifier quiet;
    bench::PrintRow("SaveUserMacros (12 macros)",
                    bench::TimeIt(kRuns, [&] { macros::SaveUserMacros(macroFile, table); }));
    bench::PrintRow("LoadUserMacros (12 macros)", bench::TimeIt(kRuns, [&] {
                        macros::LoadUserMacros(macroFile, table, quiet, 1);
                    }));
    std::printf("\nmacro file size: %ju bytes\n",
                static_cast<std::uintmax_t>(fs::file_size(macroFile)));

    // The largest file the program reads, made of the shortest lines: what a wrong file costs.
    const fs::path lines = work / "lines.ini";
    std::ofstream(lines, std::ios::binary) << std::string(base::kMaxFileBytes, '\n');
    bench::PrintHeader("Largest file read (4 MiB of empty lines)");
    bench::PrintRow("LoadProfile",
                    bench::TimeIt(5, [&] { settings::LoadProfile(lines, 3, false, 1, s); }));
    fs::remove_all(work);
    return 0;
}
