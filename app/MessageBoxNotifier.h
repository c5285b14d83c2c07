#pragma once

// Messages to the user as OK message boxes captioned with the program's name.

#include <QPointer>
#include <QWidget>

#include "base/Notifier.h"

namespace trq::app {

class MessageBoxNotifier final : public base::Notifier {
  public:
    // The boxes are owned by `window` once it is set (centred on it), else free-standing.
    void SetWindow(QWidget* window) { window_ = window; }

    // Modal on the window thread. From another thread the box is queued to the window
    // thread and this returns at once: a worker never waits for the user.
    void ShowMessage(std::string_view text) override;

  private:
    QPointer<QWidget> window_;
};

}  // namespace trq::app
