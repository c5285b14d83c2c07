#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace trq::platform {

// "<what>: <text of errno value `error`>".
inline std::string SystemErrorText(std::string_view what, int error) {
    std::string text(what);
    text += ": ";
    text += std::generic_category().message(error);
    return text;
}

}  // namespace trq::platform
