#pragma once

#include <memory>

#include "settings/DesktopSettings.h"

namespace trq::platform {

// The running desktop's settings. Linux: GNOME's mouse speed through GSettings when that
// schema is installed (wheel lines have no desktop-wide setting there and read as absent);
// otherwise a desktop that has neither setting.
std::unique_ptr<settings::DesktopSettings> MakeSystemDesktopSettings();

// The GNOME speed (-1..1) for a program speed (1..20), and back (rounded, clamped).
double GnomeSpeedFromPointerSpeed(int speed);
int PointerSpeedFromGnomeSpeed(double gnomeSpeed);

}  // namespace trq::platform
