#include "platform/MouseTransport.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "device/VirtualMouseConsole.h"
#include "platform/ControlPipe.h"
#include "platform/DesktopSettingsFactory.h"
#include "platform/HidTransportFactory.h"

namespace trq::platform {
namespace {

// A long rehearsal keeps only a short history in memory; the trace file has it all.
constexpr std::size_t kVirtualHistory = 64;

// Appends trace lines, each flushed at once so a reader of the file sees it. The first
// failed write is told and ends the trace.
class TraceFile {
  public:
    TraceFile(std::FILE* file, std::filesystem::path path,
              std::function<void(const std::string&)> failed)
        : file_(file), path_(std::move(path)), failed_(std::move(failed)) {}
    ~TraceFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    void Write(const device::VirtualMouse::Record& record) {
        const std::string line = device::FormatTraceLine(record) + '\n';
        std::string problem;
        {
            std::lock_guard lock(mutex_);
            if (file_ == nullptr) return;
            errno = 0;
            if (std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
                std::fflush(file_) == 0) {
                return;
            }
            const int error = errno != 0 ? errno : EIO;
            std::fclose(file_);
            file_ = nullptr;
            problem = "cannot write the trace file " + path_.string() + ": " + std::strerror(error);
        }
        if (failed_) failed_(problem);
    }

  private:
    std::mutex mutex_;
    std::FILE* file_;  // guarded by mutex_; nullptr once a write failed
    const std::filesystem::path path_;
    const std::function<void(const std::string&)> failed_;
};

class SystemMouseTransport final : public MouseTransport {
  public:
    SystemMouseTransport()
        : transport_(MakeSystemHidTransport()), desktop_(MakeSystemDesktopSettings()) {}
    device::HidTransport& Transport() override { return *transport_; }
    settings::DesktopSettings& Desktop() override { return *desktop_; }
    device::VirtualMouse* Virtual() override { return nullptr; }

  private:
    std::unique_ptr<device::HidTransport> transport_;
    std::unique_ptr<settings::DesktopSettings> desktop_;
};

class VirtualMouseTransport final : public MouseTransport {
  public:
    VirtualMouseTransport() : mouse_(kVirtualHistory) {}
    ~VirtualMouseTransport() override {
        control_.reset();  // no more lines reach the mouse
        mouse_.SetObserver({});
    }

    device::HidTransport& Transport() override { return mouse_; }
    settings::DesktopSettings& Desktop() override { return desktop_; }
    device::VirtualMouse* Virtual() override { return &mouse_; }

    std::string OpenTrace(const std::filesystem::path& path,
                          std::function<void(const std::string&)> failed) {
        std::FILE* file = std::fopen(path.c_str(), "ae");
        if (file == nullptr) {
            return "cannot open the trace file " + path.string() + ": " + std::strerror(errno);
        }
        trace_ = std::make_unique<TraceFile>(file, path, std::move(failed));
        mouse_.SetObserver(
            [trace = trace_.get()](const device::VirtualMouse::Record& r) { trace->Write(r); });
        return {};
    }

    std::string OpenControl(const std::filesystem::path& path,
                            std::function<void(const std::string&)> problem) {
        std::string error;
        control_ = OpenControlPipe(
            path,
            [this, problem](const std::string& line) {
                const std::string refusal = device::RunControlLine(mouse_, line);
                if (!refusal.empty() && problem) problem("control: " + refusal);
            },
            error,
            [problem](const std::string& why) {
                if (problem) problem("control: " + why);
            });
        return control_ ? std::string() : error;
    }

  private:
    device::VirtualMouse mouse_;
    settings::RecordingDesktopSettings desktop_;
    std::unique_ptr<TraceFile> trace_;
    std::unique_ptr<ControlPipe> control_;  // last in, first out: stops before the mouse goes
};

}  // namespace

TransportResult OpenMouseTransport(const TransportOptions& options, TransportEvents events) {
    if (!options.virtualMouse) {
        if (options.trace || options.control) {
            return {nullptr, "--trace and --control need --virtual-mouse"};
        }
        return {std::make_unique<SystemMouseTransport>(), {}};
    }
    auto mouse = std::make_unique<VirtualMouseTransport>();
    if (options.trace) {
        if (std::string error = mouse->OpenTrace(*options.trace, events.traceFailed);
            !error.empty()) {
            return {nullptr, std::move(error)};
        }
    }
    if (options.control) {
        if (std::string error = mouse->OpenControl(*options.control, events.controlProblem);
            !error.empty()) {
            return {nullptr, std::move(error)};
        }
    }
    return {std::move(mouse), {}};
}

}  // namespace trq::platform
