#pragma once

// Hands what the resident core's threads report to the window thread: every Post* may be
// called from any thread and returns at once; the signals arrive, queued, on the thread the
// object lives on. Keep the object alive until those threads have stopped.

#include <QObject>
#include <QString>
#include <string>

#include "driver/DriverChange.h"

namespace trq::app {

class DriverEvents : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    void PostChange(const driver::DriverChange& change);
    // A trouble of the transport that the user should hear of (a trace that cannot be
    // written).
    void PostProblem(const std::string& text);

  signals:
    void changed(trq::driver::DriverChange change);
    void problem(const QString& text);
};

}  // namespace trq::app
