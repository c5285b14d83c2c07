#pragma once

#include <string_view>

namespace trq::base {

// Shows the user a message box with an OK button (the window) or prints it (the tool).
// Core code reports user-facing messages through this so tests can see them.
class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void ShowMessage(std::string_view text) = 0;
};

// Drops every message; for callers that have already reported the error another way.
class SilentNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view) override {}
};

}  // namespace trq::base
