#pragma once

#include <QString>
#include <QStringList>

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

// The files a station uses when none is given, the later over the earlier: the system's, then
// the user's own. RULEVION_CONFIG_DIR, when set, stands for the system's folder, so that tests
// never read the machine's configuration.
QStringList defaultConfigFiles();

// The system's file, as the messages name it.
QString systemConfigFile();

}  // namespace station
