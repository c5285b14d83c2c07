#pragma once

#include <QIcon>

namespace trq::app {

// The program's icon (window, tray, about box): a mouse drawn in the skin's colours, made at
// run time in the usual sizes.
QIcon AppIcon();

}  // namespace trq::app
