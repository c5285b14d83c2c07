#include "platform/ExecutableFolder.h"

namespace trq::platform {

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : self.parent_path();
}

}  // namespace trq::platform
