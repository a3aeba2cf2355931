#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

// The station's configuration: a plain KEY=VALUE file, "#" starts a comment line.
namespace station {

struct StationConfig {
    QString folder;       // the station folder; empty: the folder given or the current one
    QString drives;       // VDM_DRIVES for the menu and the commands; empty: left as it is
    QString menu;         // the command that starts the menu; empty: rulevion-menu found as usual
    QString trainer;      // code 2
    QString exercises;    // code 5
    QString back;         // code 1 ("return="); empty: the menu comes straight back
    int pauseLimit = 30;  // seconds; the longest pause after a menu that keeps failing at once
    // The station session's keyboard: XKB layouts (the first is active at start) and the XKB
    // option that switches between them.
    QString layouts = QStringLiteral("us,ru");
    QString layoutSwitch = QStringLiteral("grp:alt_shift_toggle");
    // The session's window manager, through /bin/sh -c; empty: none.
    QString windowManager =
        QStringLiteral("matchbox-window-manager -use_titlebar no -kbdconfig " RULEVION_CONFIG_DIR
                       "/matchbox-keys");
};

// Reads file into config, over what it holds already. Unknown keys and lines that are not
// KEY=VALUE are named in problems (file and line) and passed over; a missing file is false.
bool readConfigFile(const QString& file, StationConfig& config, QStringList& problems);

// Whose configuration is read: the station's user and its own configuration folder.
struct ConfigReader {
    uid_t uid = 0;
    QString configHome;  // ~/.config, or XDG_CONFIG_HOME
};
// The user this process runs as.
ConfigReader currentReader();

struct ConfigFiles {
    QStringList read;       // the later over the earlier
    QString ignored;        // the user's own file, when it exists but is not read
    QString ignoredReason;  // why
};

// The files a station uses when none is given: the system's, then the user's own, but that one
// only when nothing the user can write decides what it holds (see untrustedBecause). The commands
// in a configuration run as the user: a file the user could change would let whatever can save a
// file in the home folder (an exercise's Save dialog) choose them. RULEVION_CONFIG_DIR, when set,
// stands for the system's folder, so that tests never read the machine's configuration.
ConfigFiles defaultConfigFiles(const ConfigReader& reader);

// Empty when root owns the file and every folder above it (as named and as the links lead) and
// uid can write none of them; otherwise the first place that fails, and why.
QString untrustedBecause(const QString& file, uid_t uid);

// The system's file, as the messages name it.
QString systemConfigFile();

}  // namespace station
