#include "device/VirtualMouse.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "device/MouseProtocol.h"

namespace trq::device {
namespace {

// What the firmware does for a button, as far as the program can see (CMD_BUTTON_MAP b3).
constexpr std::uint8_t kActionReportToHost = 0;
constexpr std::uint8_t kActionDpiCycle = 6;
constexpr std::uint8_t kActionRateSwitch = 10;
constexpr std::uint8_t kActionDpiUp = 11;
constexpr std::uint8_t kActionDpiDown = 12;

constexpr int kLevelCount = 4;
constexpr std::uint8_t kMaxHardwareId = 255 - kInputCodeBase;

bool LevelEnabled(std::uint8_t mask, int level) {
    return ((mask >> level) & 1u) != 0;
}

int NextLevel(int current, std::uint8_t mask, std::uint8_t action) {
    if (action == kActionDpiCycle) {
        for (int step = 1; step <= kLevelCount; ++step) {
            const int level = (current + step) % kLevelCount;
            if (LevelEnabled(mask, level)) return level;
        }
    } else if (action == kActionDpiUp) {
        for (int level = current + 1; level < kLevelCount; ++level) {
            if (LevelEnabled(mask, level)) return level;
        }
    } else if (action == kActionDpiDown) {
        for (int level = current - 1; level >= 0; --level) {
            if (LevelEnabled(mask, level)) return level;
        }
    }
    return current;
}

std::vector<std::uint8_t> ButtonReport(std::uint8_t hardwareId, std::uint8_t state) {
    std::vector<std::uint8_t> report(VirtualMouse::kReportLength, 0);
    report[kReportIdByte] = kButtonEventReportId;
    report[kEventCodeByte] = InputCodeOf(hardwareId);
    report[kEventStateByte] = state;
    return report;
}

struct ReadQueue {
    std::deque<std::vector<std::uint8_t>> reports;
    bool cancelled = false;
};

enum class Collection { Input, Feature };

}  // namespace

struct VirtualMouse::Core {
    explicit Core(std::size_t limit) : historyLimit(std::max<std::size_t>(limit, 1)) {}

    const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    const std::size_t historyLimit;

    // Held around a record and its observer call, so the observer sees the log's order.
    std::mutex recordOrder;
    // Held while plugging or unplugging and telling the hot-plug callback.
    std::mutex hotplugOrder;

    mutable std::mutex mutex;  // guards everything below
    mutable std::condition_variable changed;
    bool plugged = true;
    bool refusing = false;
    std::uint64_t generation = 0;  // a new device on every plug-in
    std::vector<ReadQueue*> readers;
    std::deque<Record> records;   // the last historyLimit
    std::size_t recordCount = 0;  // since creation or the last clear
    Observer observer;
    HotplugCallback hotplug;
    std::string lastError;

    std::array<std::optional<std::uint8_t>, 256> actions{};
    int currentLevel = 0;
    std::uint8_t enableMask = 0x0F;
    std::array<std::optional<std::uint8_t>, kLevelCount> dpiCodes{};

    bool Alive(std::uint64_t gen) const { return plugged && generation == gen; }

    // Runs `make` with `mutex` held; the record it returns, if any, then goes to the
    // observer with no lock of the state held, in log order. True when a record was made.
    template <typename Make>
    bool Notify(Make make) {
        std::lock_guard order(recordOrder);
        std::optional<Record> record;
        Observer current;
        {
            std::lock_guard lock(mutex);
            record = make();
            if (!record) return false;
            current = observer;
        }
        if (current) current(*record);
        return true;
    }

    // With `mutex` held.
    Record Log(Direction direction, std::vector<std::uint8_t> bytes) {
        if (records.size() >= historyLimit) records.pop_front();
        records.push_back({direction, std::chrono::steady_clock::now() - start, std::move(bytes)});
        ++recordCount;
        changed.notify_all();
        return records.back();
    }

    // With `mutex` held.
    Record Emit(std::vector<std::uint8_t> report) {
        for (ReadQueue* queue : readers) {
            if (queue->reports.size() >= kQueueLimit) queue->reports.pop_front();
            queue->reports.push_back(report);
        }
        return Log(Direction::Input, std::move(report));
    }

    // With `mutex` held: what the firmware keeps of a feature report.
    void Take(std::span<const std::uint8_t> report) {
        const auto command = static_cast<Command>(report[kCommandByte]);
        if (command == Command::ButtonMap) {
            actions[report[button_map::kButtonId]] = report[button_map::kAction];
        } else if (command == Command::DpiLevel) {
            const int current = report[dpi_level::kCurrentLevel] - dpi_level::kCurrentLevelBase;
            if (current >= 0 && current < kLevelCount) currentLevel = current;
            const std::uint8_t codeAndLevel = report[dpi_level::kCodeAndLevel];
            const int level = (codeAndLevel & 0x0F) - dpi_level::kLevelBase;
            if (level >= 0 && level < kLevelCount) {
                dpiCodes[static_cast<std::size_t>(level)] =
                    static_cast<std::uint8_t>(codeAndLevel >> 4);
            }
            enableMask = static_cast<std::uint8_t>(report[dpi_level::kEnableMask] & 0x0F);
        }
    }
};

namespace {

class VirtualHandle : public HidHandle {
  public:
    VirtualHandle(std::shared_ptr<VirtualMouse::Core> core, Collection collection, OpenMode mode,
                  std::uint64_t generation)
        : core_(std::move(core)), collection_(collection), mode_(mode), generation_(generation) {
        std::lock_guard lock(core_->mutex);
        if (Receives()) core_->readers.push_back(&queue_);
    }

    ~VirtualHandle() override {
        std::lock_guard lock(core_->mutex);
        std::erase(core_->readers, &queue_);
    }

    bool SendFeatureReport(std::span<const std::uint8_t> report) override {
        VirtualMouse::Core& core = *core_;
        return core.Notify([&]() -> std::optional<VirtualMouse::Record> {
            const char* refusal = nullptr;
            if (!core.Alive(generation_)) {
                refusal = "the device is disconnected";
            } else if (core.refusing) {
                refusal = "the device does not answer";
            } else if (collection_ != Collection::Feature) {
                refusal = "this collection has no feature report";
            } else if (report.size() != VirtualMouse::kReportLength ||
                       report[kReportIdByte] != kCommandReportId) {
                refusal = "the device takes only 8-byte feature report 7";
            }
            if (refusal != nullptr) {
                Fail(refusal);
                return std::nullopt;
            }
            core.Take(report);
            return core.Log(VirtualMouse::Direction::Feature, {report.begin(), report.end()});
        });
    }

    ReadResult Read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) override {
        std::unique_lock lock(core_->mutex);
        if (!Receives()) {
            lastError_ = "this handle does not receive input reports";
            return {ReadStatus::Error, 0};
        }
        const auto ready = [&] {
            return queue_.cancelled || !core_->Alive(generation_) || !queue_.reports.empty();
        };
        if (timeout.count() < 0) {
            core_->changed.wait(lock, ready);
        } else if (!core_->changed.wait_for(lock, timeout, ready)) {
            return {ReadStatus::Timeout, 0};
        }
        if (queue_.cancelled) return {ReadStatus::Cancelled, 0};
        if (!core_->Alive(generation_)) {
            lastError_ = "the device is disconnected";
            return {ReadStatus::Disconnected, 0};
        }
        const std::vector<std::uint8_t> report = std::move(queue_.reports.front());
        queue_.reports.pop_front();
        const std::size_t length = std::min(buffer.size(), report.size());
        std::copy_n(report.begin(), length, buffer.begin());
        return {ReadStatus::Ok, length};
    }

    void CancelRead() override {
        std::lock_guard lock(core_->mutex);
        queue_.cancelled = true;
        core_->changed.notify_all();
    }

    std::string LastError() const override {
        std::lock_guard lock(core_->mutex);
        return lastError_;
    }

  private:
    bool Receives() const { return collection_ == Collection::Input && mode_ == OpenMode::Read; }

    // With the core's mutex held.
    bool Fail(const char* reason) {
        lastError_ = reason;
        return false;
    }

    std::shared_ptr<VirtualMouse::Core> core_;
    const Collection collection_;
    const OpenMode mode_;
    const std::uint64_t generation_;  // the plug-in this handle belongs to
    ReadQueue queue_;                 // guarded by the core's mutex
    std::string lastError_;           // guarded by the core's mutex
};

}  // namespace

VirtualMouse::VirtualMouse(std::size_t historyLimit)
    : core_(std::make_shared<Core>(historyLimit)) {}

VirtualMouse::~VirtualMouse() {
    std::lock_guard lock(core_->mutex);
    core_->plugged = false;
    ++core_->generation;
    core_->changed.notify_all();
}

std::vector<HidDeviceInfo> VirtualMouse::Enumerate() {
    std::lock_guard lock(core_->mutex);
    if (!core_->plugged) return {};
    HidDeviceInfo input{
        kInputPath,    kVendorId, kProductId, kReadCollection.usagePage, kReadCollection.usage,
        kReportLength, 0};
    HidDeviceInfo feature{
        kFeaturePath,           kVendorId, kProductId,   kWriteCollection.usagePage,
        kWriteCollection.usage, 0,         kReportLength};
    return {input, feature};
}

std::unique_ptr<HidHandle> VirtualMouse::Open(const std::string& path, OpenMode mode) {
    Collection collection;
    if (path == kInputPath) {
        collection = Collection::Input;
    } else if (path == kFeaturePath) {
        collection = Collection::Feature;
    } else {
        std::lock_guard lock(core_->mutex);
        core_->lastError = "no such device: " + path;
        return nullptr;
    }
    std::uint64_t generation;
    {
        std::lock_guard lock(core_->mutex);
        if (!core_->plugged) {
            core_->lastError = "the device is unplugged: " + path;
            return nullptr;
        }
        generation = core_->generation;
    }
    // An unplug right here leaves the new handle dead, as with a real device.
    return std::make_unique<VirtualHandle>(core_, collection, mode, generation);
}

bool VirtualMouse::WatchHotplug(HotplugCallback callback) {
    std::lock_guard order(core_->hotplugOrder);
    std::lock_guard lock(core_->mutex);
    core_->hotplug = std::move(callback);
    return true;
}

std::string VirtualMouse::LastError() const {
    std::lock_guard lock(core_->mutex);
    return core_->lastError;
}

bool VirtualMouse::Press(std::uint8_t hardwareId) {
    if (hardwareId == 0 || hardwareId > kMaxHardwareId) return false;
    Core& core = *core_;
    return core.Notify([&]() -> std::optional<Record> {
        const std::optional<std::uint8_t> action = core.actions[hardwareId];
        if (!core.plugged || !action) return std::nullopt;
        std::uint8_t state;
        if (*action == kActionReportToHost || *action == kActionRateSwitch) {
            state = kPressState;
        } else if (*action == kActionDpiCycle || *action == kActionDpiUp ||
                   *action == kActionDpiDown) {
            core.currentLevel = NextLevel(core.currentLevel, core.enableMask, *action);
            state = static_cast<std::uint8_t>(core.currentLevel);
        } else {
            return std::nullopt;
        }
        return core.Emit(ButtonReport(hardwareId, state));
    });
}

bool VirtualMouse::Release(std::uint8_t hardwareId) {
    if (hardwareId == 0 || hardwareId > kMaxHardwareId) return false;
    Core& core = *core_;
    return core.Notify([&]() -> std::optional<Record> {
        if (!core.plugged || core.actions[hardwareId] != kActionReportToHost) return std::nullopt;
        return core.Emit(ButtonReport(hardwareId, kReleaseState));
    });
}

bool VirtualMouse::EmitInput(std::span<const std::uint8_t> report) {
    Core& core = *core_;
    return core.Notify([&]() -> std::optional<Record> {
        if (!core.plugged) return std::nullopt;
        return core.Emit({report.begin(), report.end()});
    });
}

void VirtualMouse::RefuseFeatureReports(bool refuse) {
    std::lock_guard lock(core_->mutex);
    core_->refusing = refuse;
}

void VirtualMouse::Unplug(bool announce) {
    std::lock_guard order(core_->hotplugOrder);
    HotplugCallback callback;
    {
        std::lock_guard lock(core_->mutex);
        if (!core_->plugged) return;
        core_->plugged = false;
        ++core_->generation;
        core_->changed.notify_all();
        if (announce) callback = core_->hotplug;
    }
    if (!callback) return;
    callback(HotplugEvent::Removal, kInputPath);
    callback(HotplugEvent::Removal, kFeaturePath);
}

void VirtualMouse::Plug() {
    std::lock_guard order(core_->hotplugOrder);
    HotplugCallback callback;
    {
        std::lock_guard lock(core_->mutex);
        if (core_->plugged) return;
        core_->plugged = true;
        ++core_->generation;
        callback = core_->hotplug;
    }
    if (!callback) return;
    callback(HotplugEvent::Arrival, kInputPath);
    callback(HotplugEvent::Arrival, kFeaturePath);
}

bool VirtualMouse::IsPlugged() const {
    std::lock_guard lock(core_->mutex);
    return core_->plugged;
}

std::optional<std::uint8_t> VirtualMouse::ButtonAction(std::uint8_t hardwareId) const {
    std::lock_guard lock(core_->mutex);
    return core_->actions[hardwareId];
}

int VirtualMouse::CurrentLevel() const {
    std::lock_guard lock(core_->mutex);
    return core_->currentLevel;
}

std::uint8_t VirtualMouse::EnableMask() const {
    std::lock_guard lock(core_->mutex);
    return core_->enableMask;
}

std::optional<std::uint8_t> VirtualMouse::DpiCode(int level) const {
    if (level < 0 || level >= kLevelCount) return std::nullopt;
    std::lock_guard lock(core_->mutex);
    return core_->dpiCodes[static_cast<std::size_t>(level)];
}

std::vector<VirtualMouse::Record> VirtualMouse::Records() const {
    std::lock_guard lock(core_->mutex);
    return {core_->records.begin(), core_->records.end()};
}

std::size_t VirtualMouse::RecordCount() const {
    std::lock_guard lock(core_->mutex);
    return core_->recordCount;
}

std::vector<std::vector<std::uint8_t>> VirtualMouse::FeatureReports() const {
    std::lock_guard lock(core_->mutex);
    std::vector<std::vector<std::uint8_t>> reports;
    for (const Record& record : core_->records) {
        if (record.direction == Direction::Feature) reports.push_back(record.bytes);
    }
    return reports;
}

bool VirtualMouse::WaitForRecords(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(core_->mutex);
    return core_->changed.wait_for(lock, timeout, [&] { return core_->recordCount >= count; });
}

void VirtualMouse::ClearRecords() {
    std::lock_guard lock(core_->mutex);
    core_->records.clear();
    core_->recordCount = 0;
}

void VirtualMouse::SetObserver(Observer observer) {
    std::lock_guard order(core_->recordOrder);
    std::lock_guard lock(core_->mutex);
    core_->observer = std::move(observer);
}

}  // namespace trq::device
