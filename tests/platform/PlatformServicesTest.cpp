#include <gtest/gtest.h>
#include <signal.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/ControlPipe.h"
#include "platform/DesktopSettingsFactory.h"
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

TEST(TerminationSignals, TurnSigtermIntoACall) {
    Lines lines;
    auto signals = CatchTerminationSignals([&](int sig) { lines.Add(std::to_string(sig)); });
    ASSERT_NE(signals, nullptr);
    ::kill(::getpid(), SIGTERM);
    EXPECT_EQ(lines.WaitFor(1), std::vector<std::string>{std::to_string(SIGTERM)});
}

}  // namespace
}  // namespace trq::platform
