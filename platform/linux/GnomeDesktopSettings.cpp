#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/DesktopSettingsFactory.h"

namespace trq::platform {
namespace {

constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kSpeedKey = "speed";

class GnomeDesktopSettings final : public settings::DesktopSettings {
  public:
    explicit GnomeDesktopSettings(GSettings* mouse) : mouse_(mouse) {}
    ~GnomeDesktopSettings() override { g_object_unref(mouse_); }
    GnomeDesktopSettings(const GnomeDesktopSettings&) = delete;
    GnomeDesktopSettings& operator=(const GnomeDesktopSettings&) = delete;

    std::optional<int> PointerSpeed() override {
        return PointerSpeedFromGnomeSpeed(g_settings_get_double(mouse_, kSpeedKey));
    }
    bool SetPointerSpeed(int speed) override {
        const bool ok = g_settings_set_double(mouse_, kSpeedKey, GnomeSpeedFromPointerSpeed(speed));
        g_settings_sync();  // the program may end right after (exit sequence)
        return ok;
    }
    std::optional<int> WheelScrollLines() override { return std::nullopt; }
    bool SetWheelScrollLines(int) override { return false; }

  private:
    GSettings* mouse_;
};

class NoDesktopSettings final : public settings::DesktopSettings {
  public:
    std::optional<int> PointerSpeed() override { return std::nullopt; }
    bool SetPointerSpeed(int) override { return false; }
    std::optional<int> WheelScrollLines() override { return std::nullopt; }
    bool SetWheelScrollLines(int) override { return false; }
};

}  // namespace

double GnomeSpeedFromPointerSpeed(int speed) {
    const int s = std::clamp(speed, 1, 20);
    return (s - 1) * 2.0 / 19.0 - 1.0;
}

int PointerSpeedFromGnomeSpeed(double gnomeSpeed) {
    const double g = std::clamp(gnomeSpeed, -1.0, 1.0);
    return static_cast<int>(std::lround((g + 1.0) * 19.0 / 2.0)) + 1;
}

namespace {

std::unique_ptr<settings::DesktopSettings> OpenDesktopSettings() {
    // Looking the schema up first: g_settings_new aborts the process on a missing schema.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source != nullptr ? g_settings_schema_source_lookup(source, kMouseSchema, TRUE) : nullptr;
    if (schema == nullptr) return std::make_unique<NoDesktopSettings>();
    const bool hasSpeed = g_settings_schema_has_key(schema, kSpeedKey);
    g_settings_schema_unref(schema);
    if (!hasSpeed) return std::make_unique<NoDesktopSettings>();
    return std::make_unique<GnomeDesktopSettings>(g_settings_new(kMouseSchema));
}

// Opens GSettings on first use only: it starts worker threads and talks to the session
// bus, which commands that never touch the desktop should not pay for.
class LazyDesktopSettings final : public settings::DesktopSettings {
  public:
    std::optional<int> PointerSpeed() override { return Get().PointerSpeed(); }
    bool SetPointerSpeed(int speed) override { return Get().SetPointerSpeed(speed); }
    std::optional<int> WheelScrollLines() override { return Get().WheelScrollLines(); }
    bool SetWheelScrollLines(int lines) override { return Get().SetWheelScrollLines(lines); }

  private:
    settings::DesktopSettings& Get() {
        std::call_once(once_, [this] { real_ = OpenDesktopSettings(); });
        return *real_;
    }

    std::once_flag once_;
    std::unique_ptr<settings::DesktopSettings> real_;
};

}  // namespace

std::unique_ptr<settings::DesktopSettings> MakeSystemDesktopSettings() {
    return std::make_unique<LazyDesktopSettings>();
}

}  // namespace trq::platform
