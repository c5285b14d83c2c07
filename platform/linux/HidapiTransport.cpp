#include "platform/linux/HidapiTransport.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cwchar>
#include <optional>
#include <utility>

#include "device/ReportDescriptor.h"
#include "platform/HidTransportFactory.h"
#include "platform/linux/HidrawCollections.h"
#include "platform/linux/HidrawReadHandle.h"
#include "platform/linux/SystemError.h"

namespace trq::platform {
namespace {

// hidapi 0.13 keeps the error of hid_enumerate and hid_open_path in one unguarded global:
// every call that sets or reads it holds this lock.
std::mutex& HidapiGlobalMutex() {
    static std::mutex mutex;
    return mutex;
}

// Call with HidapiGlobalMutex held.
void InitHidapiOnce() {
    static bool done = false;
    if (!done) {
        hid_init();
        done = true;
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// hidapi's messages are wide strings (UTF-32 on Linux).
std::string Utf8FromWide(const wchar_t* text) {
    std::string out;
    if (text == nullptr) return out;
    for (; *text != L'\0'; ++text)
        AppendUtf8(out, static_cast<char32_t>(*text));
    return out;
}

// Opens `path` with `flags` (plus close-on-exec) if it is a hidraw node: a character device
// that tells its descriptor size. -1 with the reason in `error` otherwise.
int OpenHidrawNode(const std::string& path, int flags, std::string& error) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        error = SystemErrorText("open", errno);
        return -1;
    }
    struct stat status {};
    int descriptorSize = 0;
    if (::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode) ||
        ::ioctl(fd, HIDIOCGRDESCSIZE, &descriptorSize) < 0) {
        ::close(fd);
        error = "not a hidraw device";
        return -1;
    }
    return fd;
}

class HidapiWriteHandle final : public device::HidHandle {
  public:
    explicit HidapiWriteHandle(hid_device* device) : device_(device) {}
    ~HidapiWriteHandle() override { hid_close(device_); }

    HidapiWriteHandle(const HidapiWriteHandle&) = delete;
    HidapiWriteHandle& operator=(const HidapiWriteHandle&) = delete;

    bool SendFeatureReport(std::span<const std::uint8_t> report) override {
        if (report.empty()) {
            SetError("empty feature report");
            return false;
        }
        if (hid_send_feature_report(device_, report.data(), report.size()) < 0) {
            SetError("sending feature report " + std::to_string(report[0]) +
                     " failed: " + Utf8FromWide(hid_error(device_)));
            return false;
        }
        return true;
    }

    device::ReadResult Read(std::span<std::uint8_t>, std::chrono::milliseconds) override {
        SetError("this handle was opened for writing");
        return {device::ReadStatus::Error, 0};
    }

    void CancelRead() override {}

    std::string LastError() const override {
        const std::lock_guard lock(errorMutex_);
        return lastError_;
    }

  private:
    void SetError(const std::string& text) {
        const std::lock_guard lock(errorMutex_);
        lastError_ = text;
    }

    hid_device* const device_;
    mutable std::mutex errorMutex_;
    std::string lastError_;
};

}  // namespace

HidapiTransport::HidapiTransport(std::filesystem::path sysfsRoot)
    : sysfsRoot_(std::move(sysfsRoot)),
      watcher_([this](const std::string& text) { SetError(text); }) {}

HidapiTransport::~HidapiTransport() {
    watcher_.Stop();
}

std::vector<device::HidDeviceInfo> HidapiTransport::Enumerate() {
    std::vector<device::HidDeviceInfo> listed;
    {
        const std::lock_guard lock(HidapiGlobalMutex());
        InitHidapiOnce();
        hid_device_info* all = hid_enumerate(0, 0);
        for (const hid_device_info* info = all; info != nullptr; info = info->next) {
            device::HidDeviceInfo entry;
            entry.path = info->path != nullptr ? info->path : "";
            entry.vendorId = info->vendor_id;
            entry.productId = info->product_id;
            entry.usagePage = info->usage_page;
            entry.usage = info->usage;
            listed.push_back(std::move(entry));
        }
        hid_free_enumeration(all);
    }
    std::string problem;
    std::vector<device::HidDeviceInfo> resolved =
        ResolveCollections(std::move(listed), sysfsRoot_, problem);
    if (!problem.empty()) SetError(problem);
    return resolved;
}

std::unique_ptr<device::HidHandle> HidapiTransport::Open(const std::string& path,
                                                         device::OpenMode mode) {
    if (path.empty()) {
        SetError("cannot open a device without a path");
        return nullptr;
    }
    return mode == device::OpenMode::Read ? OpenForReading(path) : OpenForWriting(path);
}

std::unique_ptr<device::HidHandle> HidapiTransport::OpenForReading(const std::string& path) {
    std::string error;
    const int fd = OpenHidrawNode(path, O_RDONLY | O_NONBLOCK, error);
    if (fd < 0) {
        SetError("cannot open " + path + " for reading: " + error);
        return nullptr;
    }
    // Without the descriptor, assume numbered reports (the mouse's case) and pass reports on
    // unchanged.
    bool numbered = true;
    if (const std::optional<std::vector<std::uint8_t>> descriptor =
            ReadReportDescriptor(sysfsRoot_, path, error)) {
        const device::ParsedDescriptor parsed = device::ParseReportDescriptor(*descriptor);
        if (parsed.ok()) numbered = parsed.usesReportIds;
    }
    std::unique_ptr<device::HidHandle> handle = MakeHidrawReadHandle(fd, numbered, error);
    if (!handle) SetError("cannot open " + path + " for reading: " + error);
    return handle;
}

std::unique_ptr<device::HidHandle> HidapiTransport::OpenForWriting(const std::string& path) {
    std::string error;
    // hidapi 0.13.1 crashes (frees an uninitialised pointer) when the node it opens does not
    // answer as a hidraw node, so that is made sure of first.
    const int probe = OpenHidrawNode(path, O_RDWR, error);
    if (probe < 0) {
        SetError("cannot open " + path + " for writing: " + error);
        return nullptr;
    }
    ::close(probe);

    hid_device* device = nullptr;
    {
        const std::lock_guard lock(HidapiGlobalMutex());
        InitHidapiOnce();
        device = hid_open_path(path.c_str());
        if (device == nullptr) error = Utf8FromWide(hid_error(nullptr));
    }
    if (device == nullptr) {
        SetError("cannot open " + path + " for writing" + (error.empty() ? "" : ": " + error));
        return nullptr;
    }
    return std::make_unique<HidapiWriteHandle>(device);
}

bool HidapiTransport::WatchHotplug(device::HotplugCallback callback) {
    if (!callback) {
        if (watcher_.Stop()) return true;
        SetError("the hot-plug callback cannot stop the hot-plug watch");
        return false;
    }
    std::string error;
    if (watcher_.Start(std::move(callback), error)) return true;
    SetError(error);
    return false;
}

std::string HidapiTransport::LastError() const {
    const std::lock_guard lock(errorMutex_);
    return lastError_;
}

void HidapiTransport::SetError(const std::string& text) {
    const std::lock_guard lock(errorMutex_);
    lastError_ = text;
}

std::unique_ptr<device::HidTransport> MakeSystemHidTransport() {
    return std::make_unique<HidapiTransport>();
}

}  // namespace trq::platform
