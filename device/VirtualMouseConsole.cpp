#include "device/VirtualMouseConsole.h"

#include <charconv>
#include <cstdio>
#include <sstream>
#include <vector>

namespace trq::device {
namespace {

std::vector<std::string> Words(std::string_view line) {
    std::istringstream in{std::string(line)};
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

bool ParseNumber(const std::string& text, int base, int max, int& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc{} && end == text.data() + text.size() && out >= 0 && out <= max;
}

}  // namespace

std::string FormatTraceLine(const VirtualMouse::Record& record) {
    const double ms = std::chrono::duration<double, std::milli>(record.at).count();
    char head[48];
    std::snprintf(head, sizeof head, "%.3f %s", ms,
                  record.direction == VirtualMouse::Direction::Feature ? "feature" : "input");
    std::string line = head;
    for (std::uint8_t byte : record.bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    return line;
}

std::string RunControlLine(VirtualMouse& mouse, std::string_view line) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return "empty line";
    const std::string& verb = words[0];
    if (verb == "refuse") {
        if (words.size() != 2 || (words[1] != "on" && words[1] != "off")) {
            return "refuse takes on or off";
        }
        mouse.RefuseFeatureReports(words[1] == "on");
        return {};
    }
    if (verb == "unplug" && words.size() == 2 && words[1] == "quiet") {
        mouse.Unplug(false);
        return {};
    }
    if (verb == "unplug" || verb == "plug") {
        if (words.size() != 1)
            return verb == "plug" ? "plug takes nothing" : "unplug takes nothing or quiet";
        verb == "unplug" ? mouse.Unplug() : mouse.Plug();
        return {};
    }
    if (verb == "press" || verb == "release") {
        int id = 0;
        if (words.size() != 2 || !ParseNumber(words[1], 10, 15, id) || id < 1) {
            return verb + " takes a button id from 1 to 15";
        }
        const auto hardwareId = static_cast<std::uint8_t>(id);
        verb == "press" ? mouse.Press(hardwareId) : mouse.Release(hardwareId);
        return {};
    }
    if (verb == "input") {
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 1; i < words.size(); ++i) {
            int byte = 0;
            if (!ParseNumber(words[i], 16, 255, byte))
                return "input takes hex bytes, not " + words[i];
            bytes.push_back(static_cast<std::uint8_t>(byte));
        }
        if (bytes.empty()) return "input takes at least one byte";
        mouse.EmitInput(bytes);
        return {};
    }
    return "unknown control command '" + verb + "'";
}

}  // namespace trq::device
