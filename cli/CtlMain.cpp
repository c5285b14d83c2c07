// trq-gmouse-ctl: the program's resident core without a window.
// Exit codes: 0 done; 1 the mouse is absent, another copy is resident, or a file could not
// be written; 2 a bad command line or a file that cannot be read.

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>

#include "base/Messages.h"
#include "cli/CtlOptions.h"
#include "cli/VirtualMouseConsole.h"
#include "device/VirtualMouse.h"
#include "driver/MouseDriver.h"
#include "macros/MacroFile.h"
#include "platform/ControlPipe.h"
#include "platform/DesktopSettingsFactory.h"
#include "platform/ExecutableFolder.h"
#include "platform/HidTransportFactory.h"
#include "platform/InstanceLock.h"
#include "platform/Launcher.h"
#include "platform/TerminationSignals.h"
#include "settings/ProfileFile.h"

namespace {

using namespace trq;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

class StderrNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view text) override {
        std::cerr << base::kAppName << ": " << text << '\n';
    }
};

int Complain(const std::string& line, int code) {
    std::cerr << "trq-gmouse-ctl: " << line << '\n';
    return code;
}

// What `run` waits for: a termination signal, or hot-plug events to handle on this thread.
class RunLoop {
  public:
    void RequestExit() {
        std::lock_guard lock(mutex_);
        exit_ = true;
        wake_.notify_all();
    }
    void Post(device::HotplugEvent event, const std::string& path) {
        std::lock_guard lock(mutex_);
        events_.emplace_back(event, path);
        wake_.notify_all();
    }
    // Handles events until an exit is asked for.
    void Run(driver::MouseDriver& driver) {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return exit_ || !events_.empty(); });
            if (exit_) return;
            const auto [event, path] = events_.front();
            events_.pop_front();
            lock.unlock();
            const bool removed = driver.HandleHotplug(event, path);
            lock.lock();
            if (removed) return;
        }
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool exit_ = false;
    std::deque<std::pair<device::HotplugEvent, std::string>> events_;
};

class Session {
  public:
    explicit Session(const cli::CtlOptions& options) : options_(options) {}

    int Main() {
        if (options_.command == cli::Command::Help) {
            std::cout << cli::CtlUsage();
            return kOk;
        }
        std::unique_ptr<platform::TerminationSignals> signals;
        if (options_.command == cli::Command::Run) {
            // Before any thread starts, so every thread inherits the blocked signals.
            signals = platform::CatchTerminationSignals([this](int) { loop_.RequestExit(); });
        }
        if (!OpenTransport()) return kUsage;
        // The virtual mouse is a rehearsal: the real desktop's pointer speed is left alone.
        desktop_ = options_.virtualMouse ? std::make_unique<settings::RecordingDesktopSettings>()
                                         : platform::MakeSystemDesktopSettings();
        driver::DriverServices services;
        services.paths.moduleFolder = options_.home ? *options_.home : platform::ExecutableFolder();
        services.transport = transport_;
        services.desktop = desktop_.get();
        services.notifier = &notifier_;
        services.clock = &clock_;
        services.launch = [](device::LaunchTarget target) { return platform::Launch(target); };
        paths_ = services.paths;
        driver_ = std::make_unique<driver::MouseDriver>(std::move(services));
        if (!std::filesystem::is_directory(paths_.moduleFolder)) {
            return Complain("no such folder: " + paths_.moduleFolder.string(), kUsage);
        }

        switch (options_.command) {
            case cli::Command::Help:
                break;
            case cli::Command::Status:
                return Status();
            case cli::Command::Apply:
                return Apply();
            case cli::Command::Run:
                return Run();
            case cli::Command::ExportProfile:
                return ExportProfile();
            case cli::Command::ImportProfile:
                return ImportProfile();
            case cli::Command::ExportMacros:
                return ExportMacros();
            case cli::Command::ImportMacros:
                return ImportMacros();
        }
        return kUsage;
    }

  private:
    bool OpenTransport() {
        if (!options_.virtualMouse) {
            systemTransport_ = platform::MakeSystemHidTransport();
            transport_ = systemTransport_.get();
            return true;
        }
        virtualMouse_ = std::make_unique<device::VirtualMouse>();
        transport_ = virtualMouse_.get();
        if (options_.trace) {
            trace_.open(*options_.trace, std::ios::app);
            if (!trace_) {
                Complain("cannot write the trace file " + options_.trace->string(), kUsage);
                return false;
            }
            virtualMouse_->SetObserver([this](const device::VirtualMouse::Record& record) {
                std::lock_guard lock(traceMutex_);
                trace_ << cli::FormatTraceLine(record) << '\n' << std::flush;
            });
        }
        if (options_.control) {
            std::string error;
            control_ = platform::OpenControlPipe(
                *options_.control,
                [this](const std::string& line) {
                    const std::string problem = cli::RunControlLine(*virtualMouse_, line);
                    if (!problem.empty()) Complain("control: " + problem, 0);
                },
                error);
            if (!control_) {
                Complain(error, kUsage);
                return false;
            }
        }
        return true;
    }

    // Plug-in message in the configured language.
    int MouseAbsent() {
        notifier_.ShowMessage(base::PlugInMessage(driver_->Language()));
        return kFailed;
    }

    int Status() {
        driver_->LoadState();
        if (!driver_->FindMouse()) return MouseAbsent();
        const device::HandleSlot read = driver_->Link().ReadSlot();
        const device::HandleSlot write = driver_->Link().WriteSlot();
        std::cout << "mouse: " << driver_->Link().DevicePath() << '\n'
                  << "input report length: " << read.reportLength
                  << (read.state == device::SlotState::Open ? "" : " (not opened)") << '\n'
                  << "feature report length: " << write.reportLength
                  << (write.state == device::SlotState::Open ? "" : " (not opened)") << '\n';
        return kOk;
    }

    // The start-up steps without a window; 0 when the settings reached the mouse.
    int StartUp() {
        driver_->LoadState();
        if (options_.profile) driver_->SelectProfile(*options_.profile);
        if (!driver_->FindMouse()) return MouseAbsent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const driver::ApplyResult result = driver_->Apply();
        if (!result.file.ok()) return Complain(base::Describe(result.file), kFailed);
        return kOk;
    }

    bool TakeInstanceLock() {
        lock_ = platform::TryLockInstance(platform::DefaultInstanceLockFile());
        if (lock_) return true;
        Complain("another copy of TRQ_GMouse is already running", kFailed);
        return false;
    }

    int Apply() {
        if (!TakeInstanceLock()) return kFailed;
        return StartUp();
    }

    int Run() {
        if (!TakeInstanceLock()) return kFailed;
        transport_->WatchHotplug([this](device::HotplugEvent event, const std::string& path) {
            loop_.Post(event, path);
        });
        driver_->StartWorkers();
        const int started = StartUp();
        if (started != kOk && !driver_->Link().DevicePresent()) {
            driver_->StopWorkers();
            return started;
        }
        loop_.Run(*driver_);
        driver_->ExitDriver();
        transport_->WatchHotplug({});
        driver_->StopWorkers();
        return started;
    }

    int ExportProfile() {
        driver_->LoadState();
        const base::FileResult r = settings::ExportProfile(options_.file, driver_->Settings());
        return r.ok() ? kOk : Complain(base::Describe(r), kFailed);
    }

    int ImportProfile() {
        driver_->LoadState();
        settings::DeviceSettings imported;
        const base::FileResult read = settings::ImportProfile(options_.file, imported);
        if (!read.ok()) return Complain(base::Describe(read), kUsage);
        driver_->EditSettings([&](settings::DeviceSettings& s) { s = imported; });
        const base::FileResult saved = driver_->SaveCurrentProfile();
        return saved.ok() ? kOk : Complain(base::Describe(saved), kFailed);
    }

    int ExportMacros() {
        driver_->LoadState();
        const base::FileResult r = macros::SaveUserMacros(options_.file, driver_->UserMacros());
        return r.ok() ? kOk : Complain(base::Describe(r), kFailed);
    }

    int ImportMacros() {
        driver_->LoadState();
        macros::UserMacroTable table = driver_->UserMacros();
        // The file's absence is told once, here, rather than through the message box text.
        base::SilentNotifier quiet;
        const base::FileResult read = macros::LoadUserMacros(options_.file, table, quiet);
        if (!read.ok()) return Complain(base::Describe(read), kUsage);
        driver_->SetUserMacros(table);
        const base::FileResult saved = driver_->SaveUserMacros();
        return saved.ok() ? kOk : Complain(base::Describe(saved), kFailed);
    }

    const cli::CtlOptions& options_;
    StderrNotifier notifier_;
    device::SteadyPlaybackClock clock_;
    RunLoop loop_;
    base::ProgramPaths paths_;
    std::unique_ptr<platform::InstanceLock> lock_;
    std::unique_ptr<device::HidTransport> systemTransport_;
    std::unique_ptr<device::VirtualMouse> virtualMouse_;
    device::HidTransport* transport_ = nullptr;
    std::unique_ptr<settings::DesktopSettings> desktop_;
    std::mutex traceMutex_;
    std::ofstream trace_;
    std::unique_ptr<platform::ControlPipe> control_;
    std::unique_ptr<driver::MouseDriver> driver_;
};

}  // namespace

int main(int argc, char** argv) {
    const cli::ParseResult parsed =
        cli::ParseCtlOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "trq-gmouse-ctl: " << parsed.error << '\n';
        return kUsage;
    }
    Session session(*parsed.options);
    return session.Main();
}
