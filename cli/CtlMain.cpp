// trq-gmouse-ctl: the program's resident core without a window.
// Exit codes: 0 done; 1 the mouse is absent or did not take the settings, another copy is
// resident, a file could not be written, or `run` ended on an error; 2 a bad command line or
// a file that cannot be read.

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "base/Messages.h"
#include "cli/CtlOptions.h"
#include "driver/MouseDriver.h"
#include "macros/MacroFile.h"
#include "platform/DriverSession.h"
#include "platform/InstanceLock.h"
#include "platform/TerminationSignals.h"
#include "settings/ProfileFile.h"

namespace {

using namespace trq;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// What `run` waits for: the first way out (a termination signal, the mouse's removal, a
// dead output, an error) and the exit code it asks for. Any thread may ask.
class RunLoop {
  public:
    void RequestExit(int code) {
        std::lock_guard lock(mutex_);
        if (!code_) code_ = code;
        wake_.notify_all();
    }
    int Wait() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return code_.has_value(); });
        return *code_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<int> code_;
};

// One line to stderr, written whole with write(2). A dead stderr (EPIPE: its reader is
// gone) is a way out of `run`: it is told to `lost` instead of killing the process.
class ErrorOutput {
  public:
    void OnLost(std::function<void()> lost) {
        std::lock_guard lock(mutex_);
        lost_ = std::move(lost);
    }
    void Line(std::string_view prefix, std::string_view text) {
        std::string line(prefix);
        line += text;
        line += '\n';
        std::function<void()> lost;
        {
            std::lock_guard lock(mutex_);
            std::string_view rest = line;
            while (!rest.empty()) {
                const ssize_t n = ::write(STDERR_FILENO, rest.data(), rest.size());
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    if (errno == EPIPE) lost = lost_;
                    break;
                }
                rest.remove_prefix(static_cast<std::size_t>(n));
            }
        }
        if (lost) lost();
    }

  private:
    std::mutex mutex_;
    std::function<void()> lost_;
};

ErrorOutput& Errors() {
    static ErrorOutput errors;
    return errors;
}

class StderrNotifier final : public base::Notifier {
  public:
    void ShowMessage(std::string_view text) override {
        Errors().Line(std::string(base::kAppName) + ": ", text);
    }
};

int Complain(const std::string& line, int code) {
    Errors().Line("trq-gmouse-ctl: ", line);
    return code;
}

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
            signals = platform::CatchTerminationSignals([this](int) { loop_.RequestExit(kOk); });
            Errors().OnLost([this] { loop_.RequestExit(kFailed); });
        }
        // The copy that drives the mouse holds the instance lock before it makes anything a
        // running copy owns (the control pipe).
        const bool drivesMouse =
            options_.command == cli::Command::Apply || options_.command == cli::Command::Run;
        if (drivesMouse && !TakeInstanceLock()) return kFailed;
        if (!OpenSession(drivesMouse)) return kUsage;

        // A command that writes the folder's files holds its lock throughout, so what it read
        // is still what it writes over. `run` takes it only around its own writes.
        std::unique_lock<base::WriteLock> files(session_->FileLock(), std::defer_lock);
        if (options_.command != cli::Command::Run && options_.command != cli::Command::Status) {
            files.lock();
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
    bool OpenSession(bool withControl) {
        platform::SessionOptions options;
        options.home = options_.home;
        options.transport.virtualMouse = options_.virtualMouse;
        options.transport.trace = options_.trace;
        if (withControl) options.transport.control = options_.control;
        platform::SessionHooks hooks;
        hooks.notifier = &notifier_;
        hooks.transport.controlProblem = [](const std::string& problem) { Complain(problem, 0); };
        hooks.transport.traceFailed = [this](const std::string& problem) {
            traceFailed_ = true;
            Complain(problem, 0);
            loop_.RequestExit(kFailed);
        };
        hooks.onChange = [this](const driver::DriverChange& change) {
            if (change.what == driver::ChangeKind::MouseRemoved) loop_.RequestExit(kOk);
        };
        std::string error;
        session_ = platform::DriverSession::Open(options, std::move(hooks), error);
        if (!session_) {
            Complain(error, kUsage);
            return false;
        }
        driver_ = &session_->Driver();
        return true;
    }

    // Plug-in message in the configured language.
    int MouseAbsent() {
        notifier_.ShowMessage(base::PlugInMessage(driver_->Language()));
        return kFailed;
    }

    // A file that exists but cannot be read: nothing is sent or written.
    static int CannotRead(const base::FileResult& read) {
        return Complain(base::Describe(read), kUsage);
    }

    int Status() {
        if (const base::FileResult read = driver_->LoadState(); !read.ok()) return CannotRead(read);
        if (!driver_->FindMouse()) return MouseAbsent();
        const driver::DriverStatus status = driver_->Status();
        std::cout << "mouse: " << status.devicePath << '\n'
                  << "input report length: " << status.inputReportLength
                  << (status.readState == device::SlotState::Open ? "" : " (not opened)") << '\n'
                  << "feature report length: " << status.featureReportLength
                  << (status.writeState == device::SlotState::Open ? "" : " (not opened)") << '\n';
        return kOk;
    }

    // The start-up steps without a window; 0 when the settings reached the mouse and the
    // settings file. Holds the folder's write lock from the first read to the last write.
    int StartUp() {
        std::lock_guard files(session_->FileLock());
        if (const base::FileResult read = driver_->LoadState(); !read.ok()) return CannotRead(read);
        if (options_.profile) {
            const base::FileResult read = driver_->SelectProfile(*options_.profile);
            if (read.error == base::FileError::ReadFailed) return CannotRead(read);
        }
        if (!driver_->FindMouse()) return MouseAbsent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const driver::ApplyResult result = driver_->Apply();
        if (!result.file.ok()) return Complain(base::Describe(result.file), kFailed);
        if (result.reportsSent < driver::kApplyReportCount) {
            return Complain("the mouse took " + std::to_string(result.reportsSent) + " of the " +
                                std::to_string(driver::kApplyReportCount) +
                                " settings reports: " + result.sendError,
                            kFailed);
        }
        if (traceFailed_) return kFailed;
        return kOk;
    }

    bool TakeInstanceLock() {
        platform::InstanceLockResult taken =
            platform::LockInstance(platform::DefaultInstanceLockFile());
        lock_ = std::move(taken.lock);
        if (lock_) return true;
        Complain(taken.heldElsewhere ? platform::RunningCopyMessage(taken.holder) : taken.error,
                 kFailed);
        return false;
    }

    int Apply() { return StartUp(); }

    // Every way out (a signal, the mouse's removal, a dead output, a failed trace, an
    // exception) goes through ExitDriver: a playing macro is stopped and releases what it
    // holds, then CMD_CLOSE goes out last.
    int Run() {
        driver_->StartWorkers();
        struct ExitOnLeave {
            driver::MouseDriver& driver;
            ~ExitOnLeave() { driver.ExitDriver(); }
        };
        const int started = StartUp();
        if (started != kOk && !driver_->Status().present) {
            driver_->StopWorkers();
            return started;
        }
        const ExitOnLeave leave{*driver_};
        const int ended = loop_.Wait();
        return started != kOk ? started : ended;
    }

    int ExportProfile() {
        if (const base::FileResult read = driver_->LoadState(); !read.ok()) return CannotRead(read);
        const base::FileResult r = settings::ExportProfile(options_.file, driver_->Settings());
        return r.ok() ? kOk : Complain(base::Describe(r), kFailed);
    }

    int ImportProfile() {
        if (const base::FileResult read = driver_->LoadState(); !read.ok()) return CannotRead(read);
        settings::DeviceSettings imported;
        // A file with no profile in it is refused (NothingFound) rather than saved as zeros.
        const base::FileResult read = settings::ImportProfile(options_.file, imported);
        if (!read.ok()) return CannotRead(read);
        driver_->EditSettings([&](settings::DeviceSettings& s) { s = imported; });
        const base::FileResult saved = driver_->SaveCurrentProfile();
        return saved.ok() ? kOk : Complain(base::Describe(saved), kFailed);
    }

    int ExportMacros() {
        if (const base::FileResult read = driver_->LoadState(); !read.ok()) return CannotRead(read);
        const base::FileResult r = macros::SaveUserMacros(options_.file, driver_->UserMacros());
        return r.ok() ? kOk : Complain(base::Describe(r), kFailed);
    }

    int ImportMacros() {
        if (const base::FileResult read = driver_->LoadState(); !read.ok()) return CannotRead(read);
        macros::UserMacroTable table = driver_->UserMacros();
        // A file with no macro set in it is refused (NothingFound) rather than saved as empty.
        const base::FileResult read = macros::ImportMacros(options_.file, table);
        if (!read.ok()) return CannotRead(read);
        driver_->SetUserMacros(table);
        const base::FileResult saved = driver_->SaveUserMacros();
        return saved.ok() ? kOk : Complain(base::Describe(saved), kFailed);
    }

    const cli::CtlOptions& options_;
    StderrNotifier notifier_;
    RunLoop loop_;
    std::unique_ptr<platform::InstanceLock> lock_;
    std::atomic<bool> traceFailed_{false};
    std::unique_ptr<platform::DriverSession> session_;
    driver::MouseDriver* driver_ = nullptr;  // the session's
};

}  // namespace

int main(int argc, char** argv) {
    const cli::ParseResult parsed =
        cli::ParseCtlOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) return Complain(parsed.error, kUsage);
    try {
        Session session(*parsed.options);
        return session.Main();
    } catch (const std::exception& error) {
        // Unwinding ran every destructor on the way (the exit sequence of `run` among them).
        return Complain(std::string("stopped by an error: ") + error.what(), kFailed);
    }
}
