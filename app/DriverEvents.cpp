#include "app/DriverEvents.h"

namespace trq::app {

void DriverEvents::PostChange(const driver::DriverChange& change) {
    QMetaObject::invokeMethod(
        this, [this, change] { emit changed(change); }, Qt::QueuedConnection);
}

void DriverEvents::PostProblem(const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, t = QString::fromStdString(text)] { emit problem(t); }, Qt::QueuedConnection);
}

}  // namespace trq::app
