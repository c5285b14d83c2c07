#pragma once

#include <functional>
#include <memory>

namespace trq::platform {

// While it exists, SIGINT and SIGTERM no longer end the process: each calls `handler` (on
// a thread of its own) instead. Create it before any other thread, so every thread
// inherits the blocked signals.
class TerminationSignals {
  public:
    virtual ~TerminationSignals() = default;
};

std::unique_ptr<TerminationSignals> CatchTerminationSignals(std::function<void(int)> handler);

}  // namespace trq::platform
