#pragma once

// The desktop's pointer speed and wheel scroll lines, as the settings apply them. Speeds
// are on the 1..20 scale the program uses everywhere (10 is the desktop's neutral speed).

#include <mutex>
#include <optional>
#include <vector>

namespace trq::settings {

class DesktopSettings {
  public:
    virtual ~DesktopSettings() = default;

    // Nothing when this desktop has no such setting or it cannot be read; callers then
    // leave it alone.
    virtual std::optional<int> PointerSpeed() = 0;
    virtual bool SetPointerSpeed(int speed) = 0;
    virtual std::optional<int> WheelScrollLines() = 0;
    virtual bool SetWheelScrollLines(int lines) = 0;
};

// Keeps the values in memory and remembers every set, for tests and for running without
// a desktop.
class RecordingDesktopSettings final : public DesktopSettings {
  public:
    std::optional<int> PointerSpeed() override {
        std::lock_guard lock(mutex_);
        return pointerSpeed_;
    }
    bool SetPointerSpeed(int speed) override {
        std::lock_guard lock(mutex_);
        pointerSpeed_ = speed;
        pointerSets_.push_back(speed);
        return true;
    }
    std::optional<int> WheelScrollLines() override {
        std::lock_guard lock(mutex_);
        return wheelLines_;
    }
    bool SetWheelScrollLines(int lines) override {
        std::lock_guard lock(mutex_);
        wheelLines_ = lines;
        wheelSets_.push_back(lines);
        return true;
    }

    std::vector<int> pointerSets() const {
        std::lock_guard lock(mutex_);
        return pointerSets_;
    }
    std::vector<int> wheelSets() const {
        std::lock_guard lock(mutex_);
        return wheelSets_;
    }
    // Makes the reads fail, as on a desktop without the setting.
    void Forget() {
        std::lock_guard lock(mutex_);
        pointerSpeed_.reset();
        wheelLines_.reset();
    }

  private:
    mutable std::mutex mutex_;
    std::optional<int> pointerSpeed_ = 10;
    std::optional<int> wheelLines_ = 3;
    std::vector<int> pointerSets_;
    std::vector<int> wheelSets_;
};

}  // namespace trq::settings
