#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace trq::platform {

// A named pipe that hands every line written into it to a callback, on its own thread,
// until the object goes (which removes the pipe). Writers may come and go.
class ControlPipe {
  public:
    virtual ~ControlPipe() = default;
};

using ControlLineHandler = std::function<void(const std::string& line)>;

// The longest line taken, without its line end. A longer line is refused whole, however it
// arrives: none of it reaches the handler.
inline constexpr std::size_t kMaxControlLine = 4096;

// Creates the pipe at `path` (an existing pipe there is reused; any other file is an
// error). Nothing and an error text in `error` when it cannot be made. Lines already waiting
// in an existing pipe are handled before it returns, on the caller's thread. Lines are handed to
// `handler` without their line end ("\n" or "\r\n"); empty lines are skipped. `refused`,
// which may be empty, hears why a line was refused.
std::unique_ptr<ControlPipe> OpenControlPipe(const std::filesystem::path& path,
                                             ControlLineHandler handler, std::string& error,
                                             ControlLineHandler refused = {});

}  // namespace trq::platform
