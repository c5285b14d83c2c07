#pragma once

#include <filesystem>
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

// Starts the target's program detached, without a shell. False when none is installed or
// it could not be started.
bool Launch(LaunchTarget target);

}  // namespace trq::platform
