#include "SessionCheck.h"

#include "Cp1251.h"
#include "Drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>

namespace station {
namespace {

struct SessionCheck {
    Q_DECLARE_TR_FUNCTIONS(SessionCheck)
};
using Result = CheckLine::Result;

constexpr const char* kSessionScript = "rulevion-station-session";
constexpr const char* kSessionName = "rulevion-station";

class SessionChecker {
public:
    SessionChecker(const StationConfig& config, const SessionPlaces& places)
        : config_(config), places_(places) {}

    std::vector<CheckLine> run() {
        checkCommand("exercises", config_.exercises, SessionCheck::tr("the driving exercises"));
        checkCommand("trainer", config_.trainer, SessionCheck::tr("the trainer's tools"));
        checkSessionInstalled();
        checkHelpInSession();
        checkWindowManager();
        checkKeyboard();
        checkAutologin();
        checkServerFlags();
        return lines_;
    }

    bool bootsIntoSession() const {
        const bool lightdm = QFileInfo::exists(system(QStringLiteral("usr/sbin/lightdm")));
        const bool nodm = QFileInfo::exists(system(QStringLiteral("usr/sbin/nodm")));
        return (lightdm && lightdmAutologin().isEmpty()) || (nodm && nodmAutologin().isEmpty());
    }

private:
    void add(Result result, const QString& text) { lines_.push_back({result, text, {}}); }
    void wontStart(const QString& what, const QString& text) {
        lines_.push_back({Result::WontStart, text, what});
    }

    QString system(const QString& path) const { return QDir(places_.root).filePath(path); }

    QString findProgram(const QString& program) const {
        if (!program.contains(QLatin1Char('/'))) return QStandardPaths::findExecutable(program);
        const QFileInfo info(QDir(places_.folder).filePath(program));
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }

    void checkCommand(const char* key, const QString& command, const QString& what) {
        if (command.trimmed().isEmpty()) {
            wontStart(what,
                      SessionCheck::tr("%1= is not set, so %2 do not start and the menu says so: "
                                       "set it in the station's configuration")
                          .arg(QLatin1String(key), what));
            return;
        }
        QStringList words = shellWords(command);
        // Assignments and exec in front are the shell's; the program comes after them.
        static const QRegularExpression assignment(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
        while (!words.isEmpty() && (assignment.match(words.first()).hasMatch() ||
                                    words.first() == QLatin1String("exec")))
            words.removeFirst();
        if (words.isEmpty()) return;
        const QString program = words.takeFirst();
        const QString found = findProgram(program);
        if (found.isEmpty()) {
            wontStart(what,
                      SessionCheck::tr("%1=%2: the program %3 is not installed or not executable, "
                                       "so %4 cannot start")
                          .arg(QLatin1String(key), command, program, what));
            return;
        }
        if (!QFileInfo(program).fileName().startsWith(QLatin1String("wine"))) {
            add(Result::Passed, SessionCheck::tr("%1=: %2").arg(QLatin1String(key), found));
            return;
        }
        checkWindowsProgram(key, command, words, what);
    }

    // wine's argument: a Windows path the drives must map onto a file.
    void checkWindowsProgram(const char* key, const QString& command, const QStringList& args,
                             const QString& what) {
        static const QRegularExpression windowsPath(QStringLiteral("^[A-Za-z]:[\\\\/]"));
        for (const QString& arg : args) {
            if (!windowsPath.match(arg).hasMatch()) continue;
            const std::filesystem::path host =
                signin::hostPath(cp1251::fromUtf8(arg.toStdString()));
            const QString shown = QFile::decodeName(QByteArray::fromStdString(host.string()));
            if (QFileInfo(shown).isFile())
                add(Result::Passed,
                    SessionCheck::tr("%1=: wine, %2 is %3").arg(QLatin1String(key), arg, shown));
            else
                wontStart(what,
                          SessionCheck::tr("%1=%2: %3 is %4 on this system, which does not exist, "
                                           "so %5 cannot start: install the program there, or "
                                           "correct drives= or the command")
                              .arg(QLatin1String(key), command, arg, shown, what));
            return;
        }
        add(Result::Passed,
            SessionCheck::tr("%1=: wine (no Windows path to check)").arg(QLatin1String(key)));
    }

    void checkSessionInstalled() {
        const QString desktop = system(
            QStringLiteral("usr/share/xsessions/%1.desktop").arg(QLatin1String(kSessionName)));
        if (QStandardPaths::findExecutable(QLatin1String(kSessionScript)).isEmpty() ||
            !QFileInfo::exists(desktop))
            add(Result::Problem,
                SessionCheck::tr("the X session \"Rulevion station\" is not installed (%1, "
                                 "%2): install the package rulevion-menu")
                    .arg(QLatin1String(kSessionScript), desktop));
        else
            add(Result::Passed, SessionCheck::tr("X session \"Rulevion station\""));
    }

    // In the session the menu shows the help itself: it needs a PDF, no viewer.
    void checkHelpInSession() {
        QFile pdf(QDir(places_.folder).filePath(QStringLiteral("vdm03.pdf")));
        if (!pdf.open(QIODevice::ReadOnly)) return;  // the station's own check names it
        if (pdf.read(5) == "%PDF-")
            add(Result::Passed, SessionCheck::tr("help in the session: vdm03.pdf, shown by the "
                                                 "menu itself"));
        else
            add(Result::Problem, SessionCheck::tr("vdm03.pdf is not a PDF, so the help shows "
                                                  "nothing: cp /usr/share/rulevion/vdm03.pdf "
                                                  "into the station folder"));
    }

    void checkWindowManager() {
        const QString program = shellWords(config_.windowManager).value(0);
        if (program.isEmpty())
            add(Result::Problem,
                SessionCheck::tr("window-manager= is empty: without a window manager the "
                                 "help and the boxes may not get the keyboard"));
        else if (findProgram(program).isEmpty())
            add(Result::Problem,
                SessionCheck::tr("the window manager %1 is not installed, so the help and "
                                 "the boxes may not get the keyboard: apt install %1")
                    .arg(program));
        else
            add(Result::Passed, SessionCheck::tr("window manager %1").arg(program));
    }

    void checkKeyboard() {
        if (config_.layouts.isEmpty()) {
            add(Result::Problem,
                SessionCheck::tr("layouts= is empty: the session keeps the X server's "
                                 "keyboard, which may not type Cyrillic"));
            return;
        }
        if (QStandardPaths::findExecutable(QStringLiteral("setxkbmap")).isEmpty()) {
            add(Result::Problem,
                SessionCheck::tr("setxkbmap is missing, so the session cannot set the "
                                 "keyboard layouts: apt install x11-xkb-utils"));
            return;
        }
        QStringList missing;
        for (const QString& layout : config_.layouts.split(QLatin1Char(','))) {
            const QString name = layout.section(QLatin1Char('('), 0, 0).trimmed();
            if (name.isEmpty() ||
                !QFileInfo::exists(system(QStringLiteral("usr/share/X11/xkb/symbols/") + name)))
                missing << layout.trimmed();
        }
        if (!missing.isEmpty()) {
            add(Result::Problem,
                SessionCheck::tr("layouts=%1: no keyboard layout %2 (apt install xkb-data, "
                                 "or correct the name)")
                    .arg(config_.layouts, missing.join(QStringLiteral(", "))));
            return;
        }
        if (!config_.layoutSwitch.isEmpty() && !knownOption(config_.layoutSwitch)) {
            add(Result::Problem,
                SessionCheck::tr("layout-switch=%1 is not a keyboard option of this "
                                 "system: see /usr/share/X11/xkb/rules/evdev.lst, e.g. "
                                 "grp:alt_shift_toggle")
                    .arg(config_.layoutSwitch));
            return;
        }
        add(Result::Passed,
            SessionCheck::tr("keyboard layouts %1, switched by %2")
                .arg(config_.layouts, config_.layoutSwitch.isEmpty() ? SessionCheck::tr("nothing")
                                                                     : config_.layoutSwitch));
    }

    bool knownOption(const QString& option) const {
        QFile list(system(QStringLiteral("usr/share/X11/xkb/rules/evdev.lst")));
        if (!list.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : list.readAll().split('\n'))
            if (line.trimmed().split(' ').value(0) == option.toUtf8()) return true;
        return false;
    }

    void checkAutologin() {
        const bool lightdm = QFileInfo::exists(system(QStringLiteral("usr/sbin/lightdm")));
        const bool nodm = QFileInfo::exists(system(QStringLiteral("usr/sbin/nodm")));
        if (!lightdm && !nodm) {
            add(Result::Problem,
                SessionCheck::tr("no display manager (lightdm or nodm) is installed, so the "
                                 "machine does not boot into the menu: see the guide, "
                                 "\"Boot into the menu\""));
            return;
        }
        QStringList wrong;
        if (lightdm) {
            const QString why = lightdmAutologin();
            if (why.isEmpty()) {
                add(Result::Passed,
                    SessionCheck::tr("lightdm starts the session for %1").arg(places_.user));
                return;
            }
            wrong << why;
        }
        if (nodm) {
            const QString why = nodmAutologin();
            if (why.isEmpty()) {
                add(Result::Passed,
                    SessionCheck::tr("nodm starts the session for %1").arg(places_.user));
                return;
            }
            wrong << why;
        }
        add(Result::Problem, wrong.join(QStringLiteral("; ")));
    }

    // The X server's own keys: a console switch, and its end by Ctrl+Alt+Backspace where the
    // keyboard still binds it. Later files win, as the server reads them.
    void checkServerFlags() {
        QStringList files{system(QStringLiteral("etc/X11/xorg.conf"))};
        for (const char* dir : {"usr/share/X11/xorg.conf.d", "etc/X11/xorg.conf.d"}) {
            const QDir d(system(QLatin1String(dir)));
            for (const QString& name :
                 d.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
                files << d.filePath(name);
        }
        std::map<QString, bool> flags;
        static const QRegularExpression option(
            QStringLiteral("^\\s*Option\\s+\"([^\"]+)\"(?:\\s+\"([^\"]*)\")?"),
            QRegularExpression::CaseInsensitiveOption);
        for (const QString& file : files) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) continue;
            bool inFlags = false;
            for (const QByteArray& raw : in.readAll().split('\n')) {
                const QString line = QString::fromUtf8(raw).section(QLatin1Char('#'), 0, 0).trimmed();
                if (line.startsWith(QLatin1String("Section"), Qt::CaseInsensitive))
                    inFlags = line.contains(QLatin1String("\"ServerFlags\""), Qt::CaseInsensitive);
                else if (line.startsWith(QLatin1String("EndSection"), Qt::CaseInsensitive))
                    inFlags = false;
                const QRegularExpressionMatch m = option.match(line);
                if (!inFlags || !m.hasMatch()) continue;
                const QString value = m.captured(2).toLower();
                flags[m.captured(1).toLower()] =
                    !(value == QLatin1String("false") || value == QLatin1String("off") ||
                      value == QLatin1String("no") || value == QLatin1String("0"));
            }
        }
        QStringList missing;
        for (const char* flag : {"DontVTSwitch", "DontZap"}) {
            const auto it = flags.find(QString::fromLatin1(flag).toLower());
            if (it == flags.end() || !it->second) missing << QLatin1String(flag);
        }
        if (missing.isEmpty())
            add(Result::Passed, SessionCheck::tr("the X server switches no consoles and ignores "
                                                 "Ctrl+Alt+Backspace (DontVTSwitch, DontZap)"));
        else
            add(Result::Problem,
                SessionCheck::tr("the X server's ServerFlags lack %1, so a student may reach a "
                                 "console or end the session before the session's keyboard is "
                                 "set: rulevion-station setup writes them, or see the guide, "
                                 "\"Boot into the menu\"")
                    .arg(missing.join(QStringLiteral(", "))));
    }

    // Empty when lightdm logs the station's user into the session; else what is wrong.
    QString lightdmAutologin() const {
        // lightdm reads these in this order, a later value winning.
        QStringList files;
        for (const char* dir : {"usr/share/lightdm/lightdm.conf.d", "etc/lightdm/lightdm.conf.d"}) {
            const QDir d(system(QLatin1String(dir)));
            for (const QString& name :
                 d.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
                files << d.filePath(name);
        }
        files << system(QStringLiteral("etc/lightdm/lightdm.conf"));
        QString user;
        QString session;
        for (const QString& file : files) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) continue;
            bool seat = false;
            for (const QByteArray& raw : in.readAll().split('\n')) {
                const QString line = QString::fromUtf8(raw).trimmed();
                if (line.startsWith(QLatin1Char('['))) {
                    seat = line == QLatin1String("[Seat:*]") ||
                           line == QLatin1String("[SeatDefaults]");
                    continue;
                }
                if (!seat || line.startsWith(QLatin1Char('#'))) continue;
                const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
                const QString value = line.section(QLatin1Char('='), 1).trimmed();
                if (key == QLatin1String("autologin-user")) user = value;
                if (key == QLatin1String("autologin-session")) session = value;
            }
        }
        if (user == places_.user && session == QLatin1String(kSessionName)) return {};
        return SessionCheck::tr(
                   "lightdm does not start the session for %1 (autologin-user=%2, "
                   "autologin-session=%3): write /etc/lightdm/lightdm.conf.d/"
                   "50-rulevion-station.conf as the guide shows")
            .arg(places_.user, user, session);
    }

    QString nodmAutologin() const {
        QFile in(system(QStringLiteral("etc/default/nodm")));
        QString enabled, user, session;
        if (in.open(QIODevice::ReadOnly)) {
            for (const QByteArray& raw : in.readAll().split('\n')) {
                const QString line = QString::fromUtf8(raw).trimmed();
                QString value = line.section(QLatin1Char('='), 1).trimmed();
                if (value.size() >= 2 &&
                    (value.startsWith(QLatin1Char('"')) || value.startsWith(QLatin1Char('\''))))
                    value = value.mid(1, value.size() - 2);
                const QString key = line.section(QLatin1Char('='), 0, 0).trimmed();
                if (key == QLatin1String("NODM_ENABLED")) enabled = value;
                if (key == QLatin1String("NODM_USER")) user = value;
                if (key == QLatin1String("NODM_XSESSION")) session = value;
            }
        }
        if (enabled == QLatin1String("true") && user == places_.user &&
            QFileInfo(session).fileName() == QLatin1String(kSessionScript))
            return {};
        return SessionCheck::tr(
                   "nodm does not start the session for %1 (NODM_ENABLED=%2, NODM_USER=%3, "
                   "NODM_XSESSION=%4): set them in /etc/default/nodm as the guide shows")
            .arg(places_.user, enabled, user, session);
    }

    const StationConfig& config_;
    const SessionPlaces& places_;
    std::vector<CheckLine> lines_;
};

}  // namespace

QStringList shellWords(const QString& command) {
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else if (quote == QLatin1Char('"') && c == QLatin1Char('\\') &&
                     i + 1 < command.size() && QStringLiteral("\"\\$`").contains(command[i + 1]))
                word += command[++i];
            else
                word += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            inWord = true;
        } else if (c == QLatin1Char('\\') && i + 1 < command.size()) {
            word += command[++i];
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    return words;
}

std::vector<CheckLine> checkSession(const StationConfig& config, const SessionPlaces& places) {
    return SessionChecker(config, places).run();
}

bool bootsIntoSession(const SessionPlaces& places) {
    return SessionChecker(StationConfig(), places).bootsIntoSession();
}

}  // namespace station
