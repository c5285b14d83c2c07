#pragma once

// The command line of trq-gmouse, the window program:
//   trq-gmouse [--home DIR] [--virtual-mouse [--trace FILE] [--control PATH]] [Qt options]
// The options are those of trq-gmouse-ctl without a command; Qt's own options (-platform,
// -display, ...) are taken out by the application object before these are read.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace trq::app {

struct AppOptions {
    std::optional<std::filesystem::path> home;  // default: the executable's folder
    bool virtualMouse = false;
    std::optional<std::filesystem::path> trace;
    std::optional<std::filesystem::path> control;
    bool help = false;
};

struct AppParseResult {
    std::optional<AppOptions> options;
    std::string error;  // one line, when options is empty
};

// `args` without the program name.
AppParseResult ParseAppOptions(const std::vector<std::string>& args);

// The usage text of --help.
std::string AppUsage();

// Reads one environment variable; empty when unset.
using EnvReader = std::function<std::string(const char* name)>;

// The Qt platform the program must ask for before the application object exists, or
// nothing to leave Qt's own choice. On a Wayland session with an X server beside it
// (XWayland), "xcb": window shapes, the positions of the pop-ups and the recorder's keyboard
// grab need X11. The user's own choice wins: QT_QPA_PLATFORM set, or -platform in `args`
// (the whole command line without the program name).
std::optional<std::string> ForcedQtPlatform(const EnvReader& env,
                                            const std::vector<std::string>& args);

}  // namespace trq::app
