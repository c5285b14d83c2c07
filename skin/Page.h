#pragma once

// The page the main window shows.

#include <cstdint>

namespace trq::skin {

enum class Page : std::uint8_t { Main = 0, Advanced = 1, Color = 2 };

}  // namespace trq::skin
