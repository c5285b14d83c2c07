#include <dlfcn.h>
#include <gio/gio.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <optional>

#include "platform/DesktopSettingsFactory.h"

namespace trq::platform {
namespace {

constexpr const char* kMouseSchema = "org.gnome.desktop.peripherals.mouse";
constexpr const char* kSpeedKey = "speed";
constexpr const char* kGioLibrary = "libgio-2.0.so.0";

// GIO's functions, from the library loaded on first use: the program is not linked with
// GLib, which costs about 2 MB of memory in every run that never touches the desktop.
struct Gio {
    decltype(&g_settings_schema_source_get_default) schemaSourceGetDefault;
    decltype(&g_settings_schema_source_lookup) schemaSourceLookup;
    decltype(&g_settings_schema_has_key) schemaHasKey;
    decltype(&g_settings_schema_unref) schemaUnref;
    decltype(&g_settings_new) settingsNew;
    decltype(&g_settings_get_double) getDouble;
    decltype(&g_settings_set_double) setDouble;
    decltype(&g_settings_sync) sync;
    decltype(&g_object_unref) objectUnref;
};

template <typename Function>
bool Find(void* library, const char* name, Function& out) {
    out = reinterpret_cast<Function>(::dlsym(library, name));
    return out != nullptr;
}

// Nothing when GIO is not installed. The library stays loaded for the process: GSettings
// starts threads that must not lose their code.
std::optional<Gio> LoadGio() {
    void* library = ::dlopen(kGioLibrary, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return std::nullopt;
    Gio gio{};
    const bool found =
        Find(library, "g_settings_schema_source_get_default", gio.schemaSourceGetDefault) &&
        Find(library, "g_settings_schema_source_lookup", gio.schemaSourceLookup) &&
        Find(library, "g_settings_schema_has_key", gio.schemaHasKey) &&
        Find(library, "g_settings_schema_unref", gio.schemaUnref) &&
        Find(library, "g_settings_new", gio.settingsNew) &&
        Find(library, "g_settings_get_double", gio.getDouble) &&
        Find(library, "g_settings_set_double", gio.setDouble) &&
        Find(library, "g_settings_sync", gio.sync) &&
        Find(library, "g_object_unref", gio.objectUnref);
    if (!found) return std::nullopt;
    return gio;
}

class GnomeDesktopSettings final : public settings::DesktopSettings {
  public:
    GnomeDesktopSettings(const Gio& gio, GSettings* mouse) : gio_(gio), mouse_(mouse) {}
    ~GnomeDesktopSettings() override { gio_.objectUnref(mouse_); }
    GnomeDesktopSettings(const GnomeDesktopSettings&) = delete;
    GnomeDesktopSettings& operator=(const GnomeDesktopSettings&) = delete;

    std::optional<int> PointerSpeed() override {
        return PointerSpeedFromGnomeSpeed(gio_.getDouble(mouse_, kSpeedKey));
    }
    bool SetPointerSpeed(int speed) override {
        const bool ok = gio_.setDouble(mouse_, kSpeedKey, GnomeSpeedFromPointerSpeed(speed));
        gio_.sync();  // the program may end right after (exit sequence)
        return ok;
    }
    std::optional<int> WheelScrollLines() override { return std::nullopt; }
    bool SetWheelScrollLines(int) override { return false; }

  private:
    const Gio gio_;
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
    const std::optional<Gio> gio = LoadGio();
    if (!gio) return std::make_unique<NoDesktopSettings>();
    // Looking the schema up first: g_settings_new aborts the process on a missing schema.
    GSettingsSchemaSource* source = gio->schemaSourceGetDefault();
    GSettingsSchema* schema =
        source != nullptr ? gio->schemaSourceLookup(source, kMouseSchema, TRUE) : nullptr;
    if (schema == nullptr) return std::make_unique<NoDesktopSettings>();
    const bool hasSpeed = gio->schemaHasKey(schema, kSpeedKey);
    gio->schemaUnref(schema);
    if (!hasSpeed) return std::make_unique<NoDesktopSettings>();
    return std::make_unique<GnomeDesktopSettings>(*gio, gio->settingsNew(kMouseSchema));
}

// Loads GIO and opens GSettings on first use only: it starts worker threads and talks to the
// session bus, which commands that never touch the desktop should not pay for.
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
