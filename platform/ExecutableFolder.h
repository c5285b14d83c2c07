#pragma once

#include <filesystem>

namespace trq::platform {

// The folder of the running executable (the current folder if it cannot be found).
std::filesystem::path ExecutableFolder();

}  // namespace trq::platform
