#include "cli/CtlOptions.h"

#include <array>
#include <charconv>
#include <string_view>

namespace trq::cli {
namespace {

struct CommandName {
    std::string_view name;
    Command command;
    bool takesFile;
};

constexpr std::array<CommandName, 8> kCommands{{
    {"help", Command::Help, false},
    {"status", Command::Status, false},
    {"apply", Command::Apply, false},
    {"run", Command::Run, false},
    {"export-profile", Command::ExportProfile, true},
    {"import-profile", Command::ImportProfile, true},
    {"export-macros", Command::ExportMacros, true},
    {"import-macros", Command::ImportMacros, true},
}};

ParseResult Fail(std::string error) {
    return {std::nullopt, std::move(error)};
}

}  // namespace

ParseResult ParseCtlOptions(const std::vector<std::string>& args) {
    CtlOptions options;
    const CommandName* command = nullptr;
    std::vector<std::string> operands;
    bool optionsEnded = false;  // after "--" every word is the command or an operand

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (command != nullptr) {
                operands.push_back(arg);
                continue;
            }
            for (const CommandName& c : kCommands) {
                if (c.name == arg) command = &c;
            }
            if (command == nullptr) return Fail("unknown command '" + arg + "'");
            continue;
        }
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--home" || arg == "--trace" || arg == "--control" || arg == "--profile") {
            if (!value(text) || text.empty()) return Fail(arg + " needs a value");
            if (arg == "--home") options.home = text;
            if (arg == "--trace") options.trace = text;
            if (arg == "--control") options.control = text;
            if (arg == "--profile") {
                int n = 0;
                const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
                if (ec != std::errc{} || end != text.data() + text.size() || n < 1 || n > 5) {
                    return Fail("--profile takes a profile number from 1 to 5, not '" + text + "'");
                }
                options.profile = n;
            }
        } else if (arg == "--virtual-mouse") {
            options.virtualMouse = true;
        } else if (arg == "-h" || arg == "--help") {
            options.command = Command::Help;
            return {options, {}};
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }

    if (command == nullptr) return Fail("no command given (try 'help')");
    options.command = command->command;
    if (command->takesFile) {
        if (operands.size() != 1) return Fail(std::string(command->name) + " takes one FILE");
        options.file = operands.front();
    } else if (!operands.empty()) {
        return Fail("unexpected argument '" + operands.front() + "'");
    }
    if (options.profile && options.command != Command::Apply) {
        return Fail("--profile goes with apply only");
    }
    if ((options.trace || options.control) && !options.virtualMouse) {
        return Fail("--trace and --control need --virtual-mouse");
    }
    if (options.control && options.command != Command::Run && options.command != Command::Apply) {
        // The pipe belongs to the copy that holds the mouse; no other command may take it.
        return Fail("--control goes with run or apply");
    }
    return {options, {}};
}

std::string CtlUsage() {
    return "usage: trq-gmouse-ctl [options] [--] COMMAND\n"
           "\n"
           "Commands:\n"
           "  status                 find the mouse and show its path and report lengths\n"
           "  apply [--profile N]    send the current profile (or profile N, made current)\n"
           "  run                    apply, then perform the buttons' host functions until\n"
           "                         the mouse is unplugged, Ctrl+C or a termination signal\n"
           "  export-profile FILE    write the current profile to FILE (section Config7)\n"
           "  import-profile FILE    read FILE into the current profile and save it\n"
           "  export-macros FILE     write the user macros to FILE\n"
           "  import-macros FILE     read FILE's macros and save them as the user macros\n"
           "\n"
           "Options:\n"
           "  --home DIR             folder with config.ini, the macro files and skins\n"
           "                         (default: the program's folder)\n"
           "  --virtual-mouse        use a built-in virtual mouse instead of the real one\n"
           "                         (the desktop's pointer speed is then left alone)\n"
           "  --trace FILE           (virtual mouse) append every report to FILE\n"
           "  --control PATH         (virtual mouse; run and apply) named pipe taking lines:\n"
           "                         press ID, release ID, input HEX..., unplug [quiet],\n"
           "                         plug, refuse on|off (lines up to 4096 bytes)\n"
           "  --                     end of the options (for a FILE starting with '-')\n";
}

}  // namespace trq::cli
