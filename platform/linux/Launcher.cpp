#include "platform/Launcher.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

extern char** environ;

namespace trq::platform {

std::vector<std::string> LaunchCandidates(LaunchTarget target) {
    if (target == LaunchTarget::Calculator) {
        return {"gnome-calculator", "kcalc", "galculator", "xcalc"};
    }
    return {"x-terminal-emulator", "gnome-terminal", "konsole", "xterm"};
}

std::optional<std::filesystem::path> FindProgram(const std::vector<std::string>& candidates,
                                                 const std::string& pathVariable) {
    for (const std::string& name : candidates) {
        std::size_t start = 0;
        while (start <= pathVariable.size()) {
            const std::size_t end = std::min(pathVariable.find(':', start), pathVariable.size());
            const std::string folder = pathVariable.substr(start, end - start);
            start = end + 1;
            if (folder.empty()) continue;  // an empty entry would mean the current folder
            const std::filesystem::path candidate = std::filesystem::path(folder) / name;
            if (::access(candidate.c_str(), X_OK) == 0 &&
                !std::filesystem::is_directory(candidate)) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

bool Launch(LaunchTarget target) {
    const char* path = std::getenv("PATH");
    const auto program = FindProgram(LaunchCandidates(target), path != nullptr ? path : "");
    if (!program) return false;

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Its own process group, so a Ctrl+C meant for us does not end it.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    std::string arg0 = program->filename().string();
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program->c_str(), nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return false;
    // Reap it whenever it ends, so no zombie is left behind.
    std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return true;
}

}  // namespace trq::platform
