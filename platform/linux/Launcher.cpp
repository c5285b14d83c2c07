#include "platform/Launcher.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
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

namespace {

struct Child {
    pid_t pid;
    int pidfd;  // readable once the child has ended
};

// Spawns `program` detached and clean; 0 on failure.
pid_t Spawn(const std::filesystem::path& program) {
    posix_spawnattr_t attr;
    if (posix_spawnattr_init(&attr) != 0) return 0;
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    posix_spawnattr_setflags(
        &attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    std::string arg0 = program.filename().string();
    char* argv[] = {arg0.data(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    return rc == 0 ? pid : 0;
}

}  // namespace

struct ProgramLauncher::Reaper {
    // Children waited for by a thread of their own (no pidfds); shared with those threads,
    // which may outlive the launcher.
    const std::shared_ptr<std::atomic<std::size_t>> waitedAlone =
        std::make_shared<std::atomic<std::size_t>>(0);

    mutable std::mutex mutex;  // guards everything below
    std::vector<Child> children;
    std::size_t starting = 0;  // slots taken by starts in progress
    int wake = -1;             // eventfd: the child list changed, or stop
    bool stopping = false;
    std::thread thread;

    ~Reaper() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        Wake();
        if (thread.joinable()) thread.join();
        for (const Child& child : children)
            ::close(child.pidfd);
        if (wake >= 0) ::close(wake);
    }

    void Wake() const {
        if (wake < 0) return;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake, &one, sizeof one);
    }

    // With `mutex` held.
    bool EnsureThread() {
        if (thread.joinable()) return true;
        wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) return false;
        thread = std::thread([this] { Run(); });
        return true;
    }

    // With `mutex` held.
    std::size_t Running() const { return children.size() + starting + waitedAlone->load(); }

    // Takes a slot for a start; false when all are taken.
    bool Reserve() {
        std::lock_guard lock(mutex);
        if (Running() >= kMaxRunning) return false;
        ++starting;
        return true;
    }

    // The start that took a slot failed (pid 0) or made `pid`.
    void Started(pid_t pid) {
        const int pidfd = pid != 0 ? static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)) : -1;
        std::lock_guard lock(mutex);
        --starting;
        if (pid == 0) return;
        if (pidfd >= 0 && EnsureThread()) {
            children.push_back({pid, pidfd});
            Wake();
            return;
        }
        // A kernel without pidfds (before 5.3): this child gets a waiting thread of its own.
        if (pidfd >= 0) ::close(pidfd);
        ++*waitedAlone;
        std::thread([count = waitedAlone, pid] {
            ::waitpid(pid, nullptr, 0);
            --*count;
        }).detach();
    }

    void Run() {
        std::vector<pollfd> fds;
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (stopping) return;
                fds.assign(1, pollfd{wake, POLLIN, 0});
                for (const Child& child : children)
                    fds.push_back({child.pidfd, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[0].revents != 0) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t n = ::read(wake, &count, sizeof count);
            }
            std::lock_guard lock(mutex);
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (fds[i].revents == 0) continue;
                const auto child =
                    std::find_if(children.begin(), children.end(),
                                 [&](const Child& c) { return c.pidfd == fds[i].fd; });
                if (child == children.end()) continue;
                if (::waitpid(child->pid, nullptr, WNOHANG) == 0) continue;
                ::close(child->pidfd);
                children.erase(child);
            }
        }
    }
};

ProgramLauncher::ProgramLauncher() : reaper_(std::make_unique<Reaper>()) {}

ProgramLauncher::~ProgramLauncher() = default;

bool ProgramLauncher::Launch(LaunchTarget target) {
    const char* path = std::getenv("PATH");
    const auto program = FindProgram(LaunchCandidates(target), path != nullptr ? path : "");
    return program && Start(*program);
}

bool ProgramLauncher::Start(const std::filesystem::path& program) {
    if (!reaper_->Reserve()) return false;
    const pid_t pid = Spawn(program);
    reaper_->Started(pid);
    return pid != 0;
}

std::size_t ProgramLauncher::Running() const {
    std::lock_guard lock(reaper_->mutex);
    return reaper_->Running();
}

bool Launch(LaunchTarget target) {
    static ProgramLauncher launcher;
    return launcher.Launch(target);
}

}  // namespace trq::platform
