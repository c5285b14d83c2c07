// The resident core's timing, with the virtual mouse, beside the polling design it replaces
// (a 2 ms reader pause after every report and an engine that looks for work every 2 ms):
//   (a) latency from an input report to the first feature report of its action
//   (b) wake-ups per second of all the program's threads while idle, mouse attached
//   (c) macro pacing: each interval between reports against its nominal delay
// Usage: bench_device [SHIPPED_FOLDER]

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "bench/BenchTable.h"
#include "device/VirtualMouse.h"
#include "driver/MouseDriver.h"
#include "settings/SettingsFile.h"

#ifndef TRQ_SHIPPED_DIR
#define TRQ_SHIPPED_DIR "."
#endif

namespace {

using namespace trq;
using namespace std::chrono_literals;
using device::VirtualMouse;
namespace fs = std::filesystem;

constexpr std::uint8_t kConsumerButton = 5;  // slot K3
constexpr std::uint8_t kMacroButton = 4;     // slot K4
constexpr int kMacroSteps = 200;
constexpr std::array<std::uint16_t, 4> kStepDelays{15, 20, 35, 50};

// A scratch program folder with K3 = volume up and K4 = user macro 0.
fs::path MakeHome(const fs::path& shipped) {
    const fs::path home = fs::temp_directory_path() / "trq-bench-device";
    fs::remove_all(home);
    fs::copy(shipped, home, fs::copy_options::recursive);
    settings::DeviceSettings s = settings::DefaultSettings(0);
    s.buttonFunction[3] = 24;
    s.buttonFunction[4] = 41;
    settings::SaveProfile(home / "config.ini", 1, s);
    settings::WriteCurrentProfile(home / "config.ini", 1);
    return home;
}

macros::MacroRecord PacingMacro() {
    macros::MacroRecord m = macros::EmptyMacro();
    for (int i = 0; i < kMacroSteps; ++i) {
        m.keys[i] = {static_cast<std::uint8_t>(4 + (i / 2) % 26),
                     static_cast<std::uint8_t>(i % 2 == 0 ? 1 : 2)};
        macros::SetStepDelay(m, i, kStepDelays[static_cast<std::size_t>(i) % kStepDelays.size()]);
    }
    m.stepCount = kMacroSteps;
    return m;
}

class NullNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view) override {}
};

struct Program {
    VirtualMouse mouse;
    settings::RecordingDesktopSettings desktop;
    NullNotifier notifier;
    device::SteadyPlaybackClock clock;
    std::unique_ptr<driver::MouseDriver> driver;

    // Without the workers, the bench runs a reader and engine of its own on the link.
    explicit Program(const fs::path& home, bool startWorkers = true) {
        driver::DriverServices services;
        services.paths.moduleFolder = home;
        services.transport = &mouse;
        services.desktop = &desktop;
        services.notifier = &notifier;
        services.clock = &clock;
        driver = std::make_unique<driver::MouseDriver>(std::move(services));
        if (startWorkers) driver->StartWorkers();
        driver->LoadState();
        driver->FindMouse();
        driver->Apply();
        macros::UserMacroTable table = driver->UserMacros();
        table.records[0] = PacingMacro();
        table.macroCount = std::max<std::int16_t>(table.macroCount, 1);
        driver->SetUserMacros(table);
    }
};

// The polling design: a thread that looks at the flags every 2 ms.
class PollingEngine {
  public:
    PollingEngine(device::PlaybackFlags& flags, device::CommandSender& sender)
        : thread_([&flags, &sender, this] {
              while (!stop_) {
                  if (flags.ActionPending()) {
                      sender.SendConsumer(0x00E9);
                      flags.Finish();
                  }
                  std::this_thread::sleep_for(2ms);
              }
          }) {}
    ~PollingEngine() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Input-to-first-feature latency of each press, from the mouse's own log.
std::vector<double> PressLatencies(VirtualMouse& mouse, const std::function<void()>& waitIdle,
                                   int presses) {
    std::vector<double> samples;
    for (int i = 0; i < presses; ++i) {
        mouse.ClearRecords();
        mouse.Press(kConsumerButton);
        mouse.WaitForRecords(2, 1s);
        waitIdle();
        mouse.Release(kConsumerButton);
        const auto records = mouse.Records();
        if (records.size() >= 2 && records[0].direction == VirtualMouse::Direction::Input &&
            records[1].direction == VirtualMouse::Direction::Feature) {
            samples.push_back(
                std::chrono::duration<double, std::micro>(records[1].at - records[0].at).count());
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500 + 137 * (i % 13)));
    }
    return samples;
}

// A plain reader adapter over a link, for the baseline stack.
class LinkSource final : public device::ReadHandleSource {
  public:
    explicit LinkSource(device::DeviceLink& link) : link_(link) {}
    std::shared_ptr<device::HidHandle> WaitForReadHandle(std::stop_token stop,
                                                         const device::HidHandle* stale) override {
        return link_.WaitForReadHandle(stop, stale);
    }
    std::size_t InputReportLength() const override { return link_.ReadSlot().reportLength; }

  private:
    device::DeviceLink& link_;
};

std::map<long, long> ContextSwitchesByThread() {
    std::map<long, long> switches;
    for (const auto& task : fs::directory_iterator("/proc/self/task")) {
        std::ifstream status(task.path() / "status");
        long total = 0;
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                total += std::stol(line.substr(line.find(':') + 1));
            }
        }
        switches[std::stol(task.path().filename().string())] = total;
    }
    return switches;
}

// Intervals between consecutive key reports against their nominal delays, in microseconds.
std::vector<double> PacingErrors(const std::vector<VirtualMouse::Record>& records) {
    std::vector<double> errors;
    std::vector<std::chrono::nanoseconds> times;
    for (const auto& r : records) {
        if (r.direction == VirtualMouse::Direction::Feature && r.bytes.size() > 1 &&
            r.bytes[1] == 0x15) {
            times.push_back(r.at);
        }
    }
    for (std::size_t i = 1; i < times.size() && i < static_cast<std::size_t>(kMacroSteps); ++i) {
        const double nominal =
            std::max<int>(kStepDelays[(i - 1) % kStepDelays.size()], 15) * 1000.0;
        const double actual =
            std::chrono::duration<double, std::micro>(times[i] - times[i - 1]).count();
        errors.push_back(std::abs(actual - nominal));
    }
    return errors;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const fs::path home = MakeHome(argc > 1 ? argv[1] : TRQ_SHIPPED_DIR);
    constexpr int kPresses = 500;

    // (a) latency
    bench::Timing ours;
    {
        Program program(home);
        ours = bench::Summarise(PressLatencies(
            program.mouse, [&] { program.driver->WaitUntilIdle(1s); }, kPresses));
    }
    bench::Timing polling;
    {
        Program program(home, false);
        device::PlaybackFlags flags;
        device::DeviceLink link(program.mouse);
        link.FindMouse();
        LinkSource source(link);
        device::InputReader reader(source, flags, [] { return 0; });
        reader.Start();
        device::CommandSender sender(link);
        PollingEngine engine(flags, sender);
        polling = bench::Summarise(PressLatencies(
            program.mouse, [&] { flags.WaitUntilIdle(1s); }, kPresses));
    }
    bench::PrintHeader(
        "(a) input report -> first feature report of its action (target p99 < 500 us)");
    bench::PrintRow("blocking reader, engine waits on a condition", ours);
    bench::PrintRow("polling engine (2 ms), the old design", polling);

    // (b) idle wake-ups; the polling pair runs alongside as the baseline
    {
        Program program(home);
        std::atomic<bool> stop{false};
        std::set<long> baselineThreads;
        std::mutex m;
        auto poller = [&] {
            {
                std::lock_guard lock(m);
                baselineThreads.insert(static_cast<long>(::syscall(SYS_gettid)));
            }
            while (!stop)
                std::this_thread::sleep_for(2ms);
        };
        std::thread pollA(poller), pollB(poller);
        std::this_thread::sleep_for(200ms);
        const long self = static_cast<long>(::syscall(SYS_gettid));
        const auto before = ContextSwitchesByThread();
        constexpr double kSeconds = 10;
        std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
        const auto after = ContextSwitchesByThread();
        stop = true;
        pollA.join();
        pollB.join();
        double oursPerSecond = 0, baselinePerSecond = 0;
        int ourThreads = 0;
        for (const auto& [tid, count] : after) {
            const auto it = before.find(tid);
            if (it == before.end() || tid == self) continue;  // the bench's own main thread sleeps
            const double rate = static_cast<double>(count - it->second) / kSeconds;
            if (baselineThreads.count(tid) != 0) {
                baselinePerSecond += rate;
            } else {
                oursPerSecond += rate;
                ++ourThreads;
            }
        }
        std::printf(
            "\n(b) idle wake-ups per second, all threads, mouse attached (target <= 0.1)\n");
        std::printf("%-44s %12.2f  (%d threads)\n", "program (reader + engine)", oursPerSecond,
                    ourThreads);
        std::printf("%-44s %12.2f  (2 threads)\n", "polling reader + engine (2 ms), the old design",
                    baselinePerSecond);
    }

    // (c) pacing
    bench::Timing pacingOurs, pacingSleepFor;
    {
        Program program(home);
        program.mouse.ClearRecords();
        program.mouse.Press(kMacroButton);
        program.mouse.Release(kMacroButton);
        std::this_thread::sleep_for(50ms);
        program.driver->WaitUntilIdle(60s);
        pacingOurs = bench::Summarise(PacingErrors(program.mouse.Records()));

        program.driver->StopWorkers();
        device::DeviceLink link(program.mouse);
        link.FindMouse();
        device::CommandSender sender(link);
        program.mouse.ClearRecords();
        const macros::MacroRecord macro = PacingMacro();
        device::HeldKeys held{};
        for (int i = 0; i < kMacroSteps; ++i) {
            held[0] = macro.keys[i].action == 1 ? macro.keys[i].code : 0;
            sender.SendKeys(held);
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::max<int>(macros::StepDelay(macro, i), 15)));
        }
        pacingSleepFor = bench::Summarise(PacingErrors(program.mouse.Records()));
    }
    bench::PrintHeader(
        "(c) macro pacing: |interval - nominal delay|, 200 steps (target median < 300 us)");
    bench::PrintRow("deadline pacing (sleep until send + delay)", pacingOurs);
    bench::PrintRow("sleep after each send, the old design", pacingSleepFor);

    fs::remove_all(home);
    return 0;
}
