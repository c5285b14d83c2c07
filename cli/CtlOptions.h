#pragma once

// The command line of trq-gmouse-ctl:
//   trq-gmouse-ctl [--home DIR] [--virtual-mouse [--trace FILE] [--control PATH]] [--] COMMAND
// Commands: status | apply [--profile N] | run | export-profile FILE | import-profile FILE |
//           export-macros FILE | import-macros FILE | help
// Options may stand before or after the command; "--" ends them (what follows is the command
// and its FILE, even when it starts with '-').

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trq::cli {

enum class Command {
    Help,
    Status,
    Apply,
    Run,
    ExportProfile,
    ImportProfile,
    ExportMacros,
    ImportMacros,
};

struct CtlOptions {
    Command command = Command::Help;
    std::optional<std::filesystem::path> home;  // default: the executable's folder
    bool virtualMouse = false;
    std::optional<std::filesystem::path> trace;
    std::optional<std::filesystem::path> control;
    std::optional<int> profile;  // apply --profile N, 1..5
    std::filesystem::path file;  // the FILE of the import and export commands
};

struct ParseResult {
    std::optional<CtlOptions> options;
    std::string error;  // one line, when options is empty
};

ParseResult ParseCtlOptions(const std::vector<std::string>& args);

// The usage text printed by help.
std::string CtlUsage();

}  // namespace trq::cli
