#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/ControlPipe.h"
#include "platform/DesktopSettingsFactory.h"
#include "platform/HomeWriteLock.h"
#include "platform/InstanceLock.h"
#include "platform/Launcher.h"
#include "platform/TerminationSignals.h"
#include "tests/support/TempDir.h"

namespace trq::platform {
namespace {

TEST(InstanceLock, OnlyOneHolderAtATime) {
    test::TempDir dir;
    auto first = TryLockInstance(dir / "lock");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(TryLockInstance(dir / "lock"), nullptr);
    first.reset();
    EXPECT_NE(TryLockInstance(dir / "lock"), nullptr) << "released with its holder";
    EXPECT_EQ(TryLockInstance(dir / "no-such-folder" / "lock"), nullptr);
}

TEST(Launcher, FindsTheFirstCandidateOnPath) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b" / "kcalc");  // a folder is no program
    const auto program = [&](const std::filesystem::path& p) {
        test::WriteBytes(p, "#!/bin/sh\n");
        std::filesystem::permissions(p, std::filesystem::perms::owner_all);
    };
    program(dir / "b" / "xcalc");
    program(dir / "a" / "galculator");
    test::WriteBytes(dir / "a" / "gnome-calculator", "not executable");
    const std::string path = (dir / "a").string() + "::" + (dir / "b").string();

    const auto found = FindProgram(LaunchCandidates(LaunchTarget::Calculator), path);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, dir / "a" / "galculator");
    EXPECT_FALSE(FindProgram(LaunchCandidates(LaunchTarget::Terminal), path));
    EXPECT_FALSE(FindProgram({"sh"}, "")) << "an empty PATH finds nothing";
}

// A program for the launcher: appends the blocked and ignored signals (two hex masks) it
// passes on to the programs it runs, as one line to `dir`/started, then lives until
// `dir`/stop exists. (Its own $$ would race: the shell blocks every signal while it forks.)
std::filesystem::path SleeperProgram(const test::TempDir& dir) {
    const auto program = dir / "sleeper";
    const std::string folder = dir.path().string();
    test::WriteBytes(program,
                     "#!/bin/sh\n"
                     "masks=$(sed -n 's/^Sig\\(Blk\\|Ign\\):\\t//p' /proc/self/status)\n"
                     "echo $masks >> " +
                         folder +
                         "/started\n"
                         "while [ ! -e " +
                         folder + "/stop ]; do sleep 0.05; done\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    return program;
}

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 500; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<std::string> LinesOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(Launcher, StartsAFewProgramsAtMostAndReapsThemWithOneThread) {
    test::TempDir dir;
    const auto program = SleeperProgram(dir);
    ProgramLauncher launcher;

    // Started from a thread that blocks and ignores signals, as the resident program does.
    std::thread([&] {
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGTERM);
        sigaddset(&blocked, SIGINT);
        ::pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
        for (int press = 0; press < 20; ++press) {
            const bool started = launcher.Start(program);
            EXPECT_EQ(started, press < static_cast<int>(ProgramLauncher::kMaxRunning)) << press;
        }
    }).join();
    EXPECT_EQ(launcher.Running(), ProgramLauncher::kMaxRunning);
    ASSERT_TRUE(Eventually([&] { return LinesOf(dir / "started").size() == 3; }));
    for (const std::string& line : LinesOf(dir / "started")) {
        std::istringstream masks(line);
        std::uint64_t blocked = ~0ull, ignored = ~0ull;
        masks >> std::hex >> blocked >> ignored;
        EXPECT_EQ(blocked, 0u) << "a clean signal mask: " << line;
        // Signals 32 and 33 are the C library's own: its posix_spawn leaves them ignored.
        EXPECT_EQ(ignored & 0x7FFFFFFFu, 0u) << "no standard signal ignored: " << line;
    }

    test::WriteBytes(dir / "stop", "");
    ASSERT_TRUE(Eventually([&] { return launcher.Running() == 0; })) << "reaped as they end";
    EXPECT_TRUE(launcher.Start(program)) << "room again";
    EXPECT_FALSE(launcher.Start(dir / "no-such-program"));
    EXPECT_TRUE(Eventually([&] { return launcher.Running() == 0; }));
}

TEST(HomeWriteLock, OneWriterAcrossProcessesAndThreads) {
    test::TempDir dir;
    const auto lock = OpenHomeWriteLock(dir.path());
    const auto other = OpenHomeWriteLock(dir.path());  // another open, as in another copy

    // Another process cannot take the lock while it is held, and can once it is released.
    const auto childCanLock = [&] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fd = ::open((dir / ".trq-gmouse.lock").c_str(), O_RDONLY);
            ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    };
    lock->lock();
    lock->lock();  // re-entrant on one thread
    lock->unlock();
    EXPECT_FALSE(childCanLock());

    std::atomic<bool> taken{false};
    std::thread writer([&] {
        std::lock_guard guard(*other);
        taken = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(taken) << "another thread waits";
    lock->unlock();
    writer.join();
    EXPECT_TRUE(taken);
    EXPECT_TRUE(childCanLock());

    // A folder that cannot hold the lock file still serialises this process.
    const auto nowhere = OpenHomeWriteLock(dir / "missing");
    std::lock_guard guard(*nowhere);
}

TEST(GnomeDesktopSettings, SpeedScaleMapsBothWays) {
    EXPECT_DOUBLE_EQ(GnomeSpeedFromPointerSpeed(1), -1.0);
    EXPECT_DOUBLE_EQ(GnomeSpeedFromPointerSpeed(20), 1.0);
    EXPECT_DOUBLE_EQ(GnomeSpeedFromPointerSpeed(99), 1.0);
    for (int speed = 1; speed <= 20; ++speed) {
        EXPECT_EQ(PointerSpeedFromGnomeSpeed(GnomeSpeedFromPointerSpeed(speed)), speed);
    }
    EXPECT_EQ(PointerSpeedFromGnomeSpeed(-7.0), 1);
}

class Lines {
  public:
    void Add(const std::string& line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        changed_.notify_all();
    }
    std::vector<std::string> WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(5), [&] { return lines_.size() >= count; });
        return lines_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

TEST(ControlPipe, DeliversLinesFromWritersThatComeAndGo) {
    test::TempDir dir;
    const auto path = dir / "pipe";
    Lines lines;
    std::string error;
    auto pipe = OpenControlPipe(
        path, [&](const std::string& l) { lines.Add(l); }, error);
    ASSERT_NE(pipe, nullptr) << error;
    { std::ofstream(path) << "press 5\r\nrelease"; }
    { std::ofstream(path) << " 5\n\nunplug\n"; }
    EXPECT_EQ(lines.WaitFor(3), (std::vector<std::string>{"press 5", "release 5", "unplug"}));
    pipe.reset();
    EXPECT_FALSE(std::filesystem::exists(path)) << "removed with its owner";

    test::WriteBytes(dir / "file", "x");
    EXPECT_EQ(OpenControlPipe(
                  dir / "file", [](const std::string&) {}, error),
              nullptr);
    EXPECT_NE(error.find("not a named pipe"), std::string::npos);
}

// However the line arrives (in 512-byte reads, in one write), none of an overlong line runs:
// its tail must not pass for a command.
TEST(ControlPipe, RefusesAnOverlongLineWhole) {
    test::TempDir dir;
    const auto path = dir / "pipe";
    Lines lines;
    Lines refused;
    std::string error;
    auto pipe = OpenControlPipe(
        path, [&](const std::string& l) { lines.Add(l); }, error,
        [&](const std::string& why) { refused.Add(why); });
    ASSERT_NE(pipe, nullptr) << error;
    const std::string exact(kMaxControlLine - 7, ' ');
    {
        std::ofstream out(path);
        out << std::string(kMaxControlLine + 512, ' ') << "unplug\n";
        out << std::string(kMaxControlLine + 1, 'x') << "\r\n";
        out << exact << "press 5\r\n";
        out << "release 5\n";
    }
    EXPECT_EQ(lines.WaitFor(2), (std::vector<std::string>{exact + "press 5", "release 5"}));
    EXPECT_EQ(refused.WaitFor(2).size(), 2u);
}

TEST(TerminationSignals, TurnEveryWayOutIntoACall) {
    Lines lines;
    auto signals = CatchTerminationSignals([&](int sig) { lines.Add(std::to_string(sig)); });
    ASSERT_NE(signals, nullptr);
    std::vector<std::string> sent;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE}) {
        ::kill(::getpid(), sig);
        sent.push_back(std::to_string(sig));
        EXPECT_EQ(lines.WaitFor(sent.size()), sent);
    }

    // A write to a pipe nobody reads fails instead of ending the process, also after the
    // catcher is gone (its SIGPIPE, pending on this thread, is dropped with it).
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    errno = 0;
    EXPECT_EQ(::write(ends[1], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    ::close(ends[1]);
    signals.reset();
}

}  // namespace
}  // namespace trq::platform
