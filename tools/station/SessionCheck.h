#pragma once

#include "StationCheck.h"
#include "StationConfig.h"

#include <QString>
#include <vector>

// The station around the menu: the commands its decisions start, the X session, the keyboard
// and the display manager's autologin. Reads, never changes.
namespace station {

struct SessionPlaces {
    QString root = QStringLiteral("/");  // where /etc and /usr are, for a system not booted
    QString user;                        // the station's user, whom autologin must start
    QString folder;                      // the station folder, where commands run
};

std::vector<CheckLine> checkSession(const StationConfig& config, const SessionPlaces& places);

// Whether nodm or lightdm logs the station's user into the session "Rulevion station".
bool bootsIntoSession(const SessionPlaces& places);

// The words of a /bin/sh command line as sh splits them ('…', "…" and \ quoting), enough to
// find its program and arguments; variables and substitutions are kept as written.
QStringList shellWords(const QString& command);

}  // namespace station
