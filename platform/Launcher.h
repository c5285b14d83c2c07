#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/EngineHost.h"

namespace trq::platform {

using device::LaunchTarget;

// The programs tried for a target, first found wins (Linux: a calculator or a terminal
// emulator on PATH; Windows: calc.exe, cmd.exe).
std::vector<std::string> LaunchCandidates(LaunchTarget target);

// The first candidate found in the folders of `pathVariable` (a PATH value).
std::optional<std::filesystem::path> FindProgram(const std::vector<std::string>& candidates,
                                                 const std::string& pathVariable);

// Starts the calculator and the terminal for the action engine, bounded: a button hammered
// or held starts at most kMaxRunning programs that run at the same time, whatever the
// number of presses. Programs start detached (their own process group, so a Ctrl+C meant
// for us does not end them), without a shell, with an empty signal mask and every signal at
// its default action, whatever this process blocks or ignores. One thread, started with the
// first program, reaps them as they end; it sleeps until one does. Thread-safe.
class ProgramLauncher {
  public:
    static constexpr std::size_t kMaxRunning = 3;

    ProgramLauncher();
    ~ProgramLauncher();  // stops reaping; programs still running go on

    ProgramLauncher(const ProgramLauncher&) = delete;
    ProgramLauncher& operator=(const ProgramLauncher&) = delete;

    // The target's program, found on PATH. False when none is installed, kMaxRunning
    // programs started here still run, or it could not be started.
    bool Launch(LaunchTarget target);
    // `program` with no arguments; false as for Launch.
    bool Start(const std::filesystem::path& program);

    // Programs started here that have not been reaped yet.
    std::size_t Running() const;

  private:
    struct Reaper;
    std::unique_ptr<Reaper> reaper_;
};

// Launch through one launcher shared by the whole process.
bool Launch(LaunchTarget target);

}  // namespace trq::platform
