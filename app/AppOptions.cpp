#include "app/AppOptions.h"

namespace trq::app {
namespace {

AppParseResult Fail(std::string error) {
    return {std::nullopt, std::move(error)};
}

}  // namespace

AppParseResult ParseAppOptions(const std::vector<std::string>& args) {
    AppOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--home" || arg == "--trace" || arg == "--control") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Fail(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "--home") options.home = value;
            if (arg == "--trace") options.trace = value;
            if (arg == "--control") options.control = value;
        } else if (arg == "--virtual-mouse") {
            options.virtualMouse = true;
        } else if (arg == "-h" || arg == "--help") {
            options.help = true;
            return {options, {}};
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option '" + arg + "'");
        } else {
            return Fail("unexpected argument '" + arg + "'");
        }
    }
    if ((options.trace || options.control) && !options.virtualMouse) {
        return Fail("--trace and --control need --virtual-mouse");
    }
    return {options, {}};
}

std::string AppUsage() {
    return "usage: trq-gmouse [options]\n"
           "\n"
           "Shows the TRQ_GMouse window and stays in the tray, performing the buttons' host\n"
           "functions. A second start shows the running copy's window.\n"
           "\n"
           "Options:\n"
           "  --home DIR             folder with config.ini, the macro files and skins\n"
           "                         (default: the program's folder)\n"
           "  --virtual-mouse        use a built-in virtual mouse instead of the real one\n"
           "                         (the desktop's pointer speed is then left alone)\n"
           "  --trace FILE           (virtual mouse) append every report to FILE\n"
           "  --control PATH         (virtual mouse) named pipe taking lines: press ID,\n"
           "                         release ID, input HEX..., unplug, plug\n"
           "  -platform NAME         Qt's platform plugin (default on Wayland: xcb)\n";
}

std::optional<std::string> ForcedQtPlatform(const EnvReader& env,
                                            const std::vector<std::string>& args) {
    if (!env("QT_QPA_PLATFORM").empty()) return std::nullopt;
    for (const std::string& arg : args) {
        if (arg == "-platform" || arg == "--platform" || arg.starts_with("-platform=") ||
            arg.starts_with("--platform=")) {
            return std::nullopt;
        }
    }
    const bool wayland = !env("WAYLAND_DISPLAY").empty() || env("XDG_SESSION_TYPE") == "wayland";
    if (!wayland || env("DISPLAY").empty()) return std::nullopt;
    return "xcb";
}

}  // namespace trq::app
