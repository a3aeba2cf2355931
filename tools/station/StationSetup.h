#pragma once

#include <QString>
#include <QStringList>

// rulevion-station setup: a Debian machine with the package installed becomes a station, as
// root, in one run. Every step looks first and changes only what differs, so a second run
// changes nothing.
namespace station {

struct SetupOptions {
    QString root = QStringLiteral("/");  // the system to set up, for a chroot not booted
    QString user = QStringLiteral("station");
    QString folder = QStringLiteral("/srv/station");
    QString drives = QStringLiteral("/mnt");
    QString list;      // the class list; empty: the database there is stays
    QString password;  // digits; empty: the password file there is stays, else it is asked
};

// The whole command: `args` are the words after "setup". Returns the exit status.
int setupMain(const QStringList& args);

// The text of a KEY=VALUE file with key set to value: a line setting it is replaced, else a
// commented-out one ("#key=…"), else the line is added at the end. keep: a line that sets the
// key already stays as it is.
QString withKey(const QString& text, const QString& key, const QString& value, bool keep = false);

// The name of the account uid in a passwd file; empty when it has none.
QString accountName(const QString& passwdFile, uint uid);

}  // namespace station
