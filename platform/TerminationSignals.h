#pragma once

#include <functional>
#include <memory>

namespace trq::platform {

// While it exists, SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE no longer end the process:
// each calls `handler` with the signal's number (on a thread of its own) instead, so the
// program can end in order (release what the mouse holds, say goodbye to it). A write to a
// pipe nobody reads then fails with EPIPE instead of killing the process; the writer must
// treat that as its own way out. Create it before any other thread, so every thread
// inherits the blocked signals. Programs started meanwhile must reset their signal mask
// (Launcher does).
class TerminationSignals {
  public:
    virtual ~TerminationSignals() = default;
};

std::unique_ptr<TerminationSignals> CatchTerminationSignals(std::function<void(int)> handler);

}  // namespace trq::platform
