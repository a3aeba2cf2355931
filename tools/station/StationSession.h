#pragma once

#include "StationConfig.h"
#include "StationShell.h"

#include <QString>

// The X session «Rulevion station»: the station's keyboard, a kiosk window manager and the
// station's shell, and nothing left running when it ends.
namespace station {


// Runs the session until the menu decides "0" or SIGTERM/SIGHUP arrives; returns 0. At its end
// nothing it started is left running: the window manager and whatever is left below the session
// are asked to end and killed after a deadline.
int runSession(const StationConfig& config, const QString& folder, const QString& menuCommand,
               Reporter& reporter);

}  // namespace station
