#pragma once

#include "StationConfig.h"
#include "StationShell.h"

#include <QString>

// The X session «Rulevion station»: the station's keyboard, a kiosk window manager and the
// station's shell, and nothing left running when it ends.
namespace station {

// Every process the session starts inherits it, so that the session can find them all at its
// end, even those that left its process group.
inline constexpr const char* kSessionIdVariable = "RULEVION_SESSION_ID";

// Runs the session until the menu decides "0" or SIGTERM/SIGHUP arrives; returns 0.
int runSession(const StationConfig& config, const QString& folder, const QString& menuCommand,
               Reporter& reporter);

// The processes of this user whose environment holds RULEVION_SESSION_ID=id (this one aside).
std::vector<int> sessionProcesses(const QByteArray& id);

}  // namespace station
