#include "StationSetup.h"

#include "Console.h"
#include "DatabasePaths.h"
#include "PasswordFile.h"
#include "SessionCheck.h"
#include "StationConfig.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace station {
namespace {

struct Setup {
    Q_DECLARE_TR_FUNCTIONS(Setup)
};

constexpr const char* kName = kProgramName;
constexpr const char* kSessionScript = "/usr/bin/rulevion-station-session";
constexpr const char* kSessionName = "rulevion-station";
// The installed place, whatever RULEVION_CONFIG_DIR says for the tools' own tests.
constexpr const char* kConfigFile = RULEVION_CONFIG_DIR "/station.conf";
constexpr const char* kOwnFile = "50-rulevion-station.conf";

// The X server's own keys stay away from a student even before the session sets the keyboard:
// no console switch, no end of the server by Ctrl+Alt+Backspace, no blank screen.
constexpr const char* kServerFlags =
    "# Written by rulevion-station setup.\n"
    "Section \"ServerFlags\"\n"
    "    Option \"DontVTSwitch\" \"true\"\n"
    "    Option \"DontZap\"      \"true\"\n"
    "    Option \"BlankTime\"    \"0\"\n"
    "    Option \"StandbyTime\"  \"0\"\n"
    "    Option \"SuspendTime\"  \"0\"\n"
    "    Option \"OffTime\"      \"0\"\n"
    "EndSection\n";

// A masked ctrl-alt-del.target still lets seven presses within 2 s force a reboot.
constexpr const char* kBurstAction =
    "# Written by rulevion-station setup.\n"
    "[Manager]\n"
    "CtrlAltDelBurstAction=none\n";

constexpr const char* kSysRq =
    "# Written by rulevion-station setup: no SysRq keys at a student's station.\n"
    "kernel.sysrq = 0\n";

constexpr const char* kMonitorDriveC = "monitor\nmonitor\n1\n";

QString usage() {
    return Setup::tr(
               "Usage: %1 setup [--list FILE] [--password N] [--user NAME] [--folder DIR]\n"
               "                        [--drives DIR] [--root DIR]\n"
               "\n"
               "Makes this machine a station, as root, once the package is installed: the\n"
               "station's user and folder, the monitor file (drive C:), the help document, the\n"
               "trainer's password file, the drive folders and the students database, the\n"
               "configuration %2, autologin into the session \"Rulevion station\" (nodm or\n"
               "lightdm, whichever is installed), the X server's flags against console switching\n"
               "and Ctrl+Alt+Backspace, Ctrl+Alt+Del and the SysRq keys turned off. Each step\n"
               "changes only what differs, so it may be run again at any time, for instance\n"
               "with a new class list. At the end it runs the check as the station's user and\n"
               "says what is left to do; then reboot.\n"
               "\n"
               "--list FILE     the class list, any format rulevion-jetwriter reads; without it\n"
               "                the students database there is stays\n"
               "--password N    the trainer's password (digits); without it the password file\n"
               "                there is stays, else it is asked for (not shown as typed)\n"
               "--user NAME     the station's user (default station), made when missing\n"
               "--folder DIR    the station folder (default /srv/station)\n"
               "--drives DIR    the folder holding the Windows drives (default /mnt)\n"
               "--root DIR      set up the system in DIR instead of / (a chroot)\n"
               "\n"
               "Exit status: 0 when every step is done, 1 when one failed (it says which and\n"
               "why; nothing after it is changed), 2 for a usage error.\n")
        .arg(QLatin1String(kName), QLatin1String(kConfigFile));
}

int usageError(const QString& what) {
    print(stderr,
          Setup::tr("%1 setup: %2\nTry '%1 setup --help'.\n").arg(QLatin1String(kName), what));
    return 2;
}

struct Account {
    QString name;
    uint uid = 0;
    uint gid = 0;
    QString home;
};

// The account as the system in the root knows it, whatever the machine's own users are.
std::optional<Account> findAccount(const QString& passwdFile, const QString& name) {
    QFile in(passwdFile);
    if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
    for (const QByteArray& line : in.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(':');
        if (f.size() < 7 || QString::fromUtf8(f[0]) != name) continue;
        bool uidOk = false, gidOk = false;
        Account a{name, f[2].toUInt(&uidOk), f[3].toUInt(&gidOk), QString::fromUtf8(f[5])};
        if (uidOk && gidOk) return a;
    }
    return std::nullopt;
}

}  // namespace

QString accountName(const QString& passwdFile, uint uid) {
    QFile in(passwdFile);
    if (!in.open(QIODevice::ReadOnly)) return {};
    for (const QByteArray& line : in.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(':');
        bool ok = false;
        if (f.size() >= 7 && f[2].toUInt(&ok) == uid && ok) return QString::fromUtf8(f[0]);
    }
    return {};
}

namespace {

QString errnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// The trainer's password, typed twice without echo; nothing when the two differ or the input
// ends (said here).
std::optional<QString> askPassword() {
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return std::nullopt;
    auto readHidden = [&](const QString& prompt) -> std::optional<QString> {
        print(stderr, prompt);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        char buffer[256];
        const bool got = std::fgets(buffer, sizeof buffer, stdin) != nullptr;
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        print(stderr, QStringLiteral("\n"));
        if (!got) return std::nullopt;
        return QString::fromLocal8Bit(buffer).trimmed();
    };
    const std::optional<QString> first =
        readHidden(Setup::tr("The trainer's password (digits): "));
    const std::optional<QString> again =
        first ? readHidden(Setup::tr("The same password again: ")) : std::nullopt;
    if (first && again && *first == *again) return first;
    print(stderr, (first && again ? Setup::tr("%1 setup: the two passwords differ; nothing is "
                                              "changed\n")
                                  : Setup::tr("%1 setup: no password was typed; nothing is "
                                              "changed\n"))
                      .arg(QLatin1String(kName)));
    return std::nullopt;
}

// Why `text` cannot be the trainer's password; empty when it can.
QString passwordProblem(const QString& text, std::int32_t& value) {
    switch (trainer::checkTypedPassword(text.toStdString(), value)) {
        case trainer::TypedPassword::Ok: return {};
        case trainer::TypedPassword::Empty: return Setup::tr("the password is empty");
        case trainer::TypedPassword::NotDigits:
            return Setup::tr("the password %1 is not digits only, and the password field "
                             "takes digits only")
                .arg(text);
        case trainer::TypedPassword::TooLong:
            return Setup::tr("the password %1 is longer than the %2 digits the password field "
                             "takes")
                .arg(text)
                .arg(trainer::passwordFieldLength());
        case trainer::TypedPassword::TooLarge:
            return Setup::tr("the password %1 is larger than 2147483647").arg(text);
    }
    return {};
}

// The drive-relative part of the database's path on drive C:, as the sign-in names it.
QString databaseOnDriveC() {
    return QString::fromLatin1(signin::kDatabasePathC).mid(3).replace(QLatin1Char('\\'),
                                                                     QLatin1Char('/'));
}

class SetupRun {
public:
    explicit SetupRun(SetupOptions options) : o_(std::move(options)) {}

    int run() {
        if (!prepare()) return 1;
        if (!(user() && folder() && drives() && configuration() && autologin() &&
              protections()))
            return 1;
        runCheck();
        sayWhatIsLeft();
        return 0;
    }

private:
    // Root's path of an absolute path of the system set up.
    QString at(const QString& path) const {
        return QDir::cleanPath(o_.root + QLatin1Char('/') + path);
    }
    bool chrooted() const { return QDir(o_.root).canonicalPath() != QLatin1String("/"); }

    void step(bool changed, const QString& what) {
        print(stdout, changed ? Setup::tr("changed:    %1\n").arg(what)
                              : Setup::tr("as it was:  %1\n").arg(what));
    }

    bool fail(const QString& why) {
        print(stderr, Setup::tr("%1 setup: %2; the steps after it are not done\n")
                          .arg(QLatin1String(kName), why));
        return false;
    }

    // What needs no change of the system: the password and the database, made before any
    // change, so that a bad list or password leaves the machine as it was.
    bool prepare() {
        const QString passwordFile =
            at(o_.folder + QLatin1Char('/') + QLatin1String(trainer::kPasswordFile));
        bool typedPassword = false;
        if (o_.password.isEmpty()) {
            const std::optional<QByteArray> existing = contents(passwordFile);
            const bool usable = existing && trainer::parsePasswordFile(existing->toStdString())
                                                    .status == trainer::PasswordFileStatus::Ok;
            if (!usable) {
                if (!isatty(STDIN_FILENO)) {
                    print(stderr, Setup::tr("%1 setup: the station has no trainer's password "
                                            "yet: give it with --password N\n")
                                      .arg(QLatin1String(kName)));
                    return false;
                }
                const std::optional<QString> typed = askPassword();
                if (!typed) return false;
                o_.password = *typed;
                typedPassword = true;
            }
        }
        if (!o_.password.isEmpty() || typedPassword) {
            std::int32_t value = 0;
            const QString why = passwordProblem(o_.password, value);
            if (!why.isEmpty()) {
                print(stderr, Setup::tr("%1 setup: %2; nothing is changed\n")
                                  .arg(QLatin1String(kName), why));
                return false;
            }
            passwordBytes_ = QByteArray::fromStdString(trainer::passwordFileBytes(value));
        }
        if (!o_.list.isEmpty() && !writeDatabase()) return false;
        return true;
    }

    bool writeDatabase() {
        if (!work_.isValid())
            return fail(Setup::tr("no temporary folder: %1").arg(work_.errorString()));
        QString writer = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("rulevion-jetwriter"));
        if (!QFileInfo(writer).isExecutable())
            writer = QStandardPaths::findExecutable(QStringLiteral("rulevion-jetwriter"));
        if (writer.isEmpty())
            return fail(Setup::tr("rulevion-jetwriter is not installed: install the package "
                                  "rulevion-menu"));
        const QString out = work_.filePath(QStringLiteral("dbtrener.mdb"));
        QProcess p;
        // Dated by the list, the same list gives the same file, and a second run changes
        // nothing.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SOURCE_DATE_EPOCH"),
                   QString::number(QFileInfo(o_.list).lastModified().toSecsSinceEpoch()));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(writer, {QStringLiteral("students"), o_.list, out});
        p.waitForFinished(-1);
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 ||
            !QFileInfo::exists(out)) {
            print(stderr, Setup::tr("%1 setup: the class list %2 cannot be used (see above); "
                                    "nothing is changed\n")
                              .arg(QLatin1String(kName), o_.list));
            return false;
        }
        QFile db(out);
        if (!db.open(QIODevice::ReadOnly))
            return fail(Setup::tr("%1 cannot be read: %2").arg(out, db.errorString()));
        database_ = db.readAll();
        haveDatabase_ = true;
        return true;
    }

    bool user() {
        const QString passwd = at(QStringLiteral("/etc/passwd"));
        bool made = false;
        if (!findAccount(passwd, o_.user)) {
            QStringList args;
            if (chrooted()) args << QStringLiteral("--prefix") << o_.root;
            args << QStringLiteral("--create-home") << QStringLiteral("--user-group")
                 << QStringLiteral("--shell") << QStringLiteral("/bin/bash") << o_.user;
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral("useradd"), args);
            if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit ||
                p.exitCode() != 0)
                return fail(Setup::tr("the user %1 cannot be made: useradd %2: %3")
                                .arg(o_.user, args.join(QLatin1Char(' ')),
                                     p.error() == QProcess::FailedToStart
                                         ? p.errorString()
                                         : QString::fromLocal8Bit(p.readAll()).trimmed()));
            made = true;
        }
        const std::optional<Account> account = findAccount(passwd, o_.user);
        if (!account)
            return fail(Setup::tr("the user %1 is not in %2").arg(o_.user, passwd));
        if (account->uid == 0)
            return fail(Setup::tr("the user %1 has root's rights (uid 0), which a student must "
                                  "never have: name another user with --user")
                            .arg(o_.user));
        account_ = *account;
        step(made, Setup::tr("the station's user %1 (uid %2)").arg(o_.user).arg(account_.uid));
        return true;
    }

    struct Owner {
        uint uid = 0;
        uint gid = 0;
    };
    Owner station() const { return {account_.uid, account_.gid}; }

    // The folder and the ones above it that are missing, made with the owner given; `adopt`:
    // an existing folder is given to the owner too, else only what this run makes is.
    bool directory(const QString& path, Owner owner, bool adopt, bool& changed) {
        QStringList missing;
        QString p = path;
        while (!QFileInfo(p).isDir()) {
            if (QFileInfo::exists(p))
                return fail(Setup::tr("%1 is a file where a folder belongs").arg(p));
            missing.prepend(p);
            p = QFileInfo(p).path();
        }
        for (const QString& dir : missing) {
            if (::mkdir(QFile::encodeName(dir).constData(), 0755) != 0 && errno != EEXIST)
                return fail(Setup::tr("the folder %1 cannot be made: %2").arg(dir, errnoText()));
            changed = true;
            if (!ownAs(dir, owner, 0755, changed)) return false;
        }
        return !adopt || ownAs(path, owner, 0755, changed);
    }

    // The station's user may own the folder these files are in: a link placed there must never
    // lead root's chown, chmod or write to another file, so no link is followed.
    bool ownAs(const QString& path, Owner owner, mode_t mode, bool& changed) {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return fail(errno == ELOOP ? Setup::tr("%1 is a symbolic link, which setup does not "
                                                   "follow: remove it and run setup again")
                                             .arg(path)
                                       : Setup::tr("%1: %2").arg(path, errnoText()));
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0;
        if (ok && (st.st_uid != owner.uid || st.st_gid != owner.gid ||
                   (st.st_mode & 07777) != mode)) {
            changed = true;
            ok = ::fchown(fd, owner.uid, owner.gid) == 0 && ::fchmod(fd, mode) == 0;
        }
        const QString why = errnoText();
        ::close(fd);
        if (!ok)
            return fail(Setup::tr("%1 cannot be given its owner and mode: %2").arg(path, why));
        return true;
    }

    static std::optional<QByteArray> contents(const QString& path) {
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        QFile in;
        std::optional<QByteArray> bytes;
        if (in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) bytes = in.readAll();
        else ::close(fd);
        return bytes;
    }

    // Writes bytes to path unless it holds them already: a new file, owner and mode set before
    // it takes the old one's place, so that no one sees it half written or someone else's.
    bool file(const QString& path, const QByteArray& bytes, Owner owner, bool& changed) {
        if (!directory(QFileInfo(path).path(), Owner{}, false, changed)) return false;
        if (contents(path) == bytes) return ownAs(path, owner, 0644, changed);
        QByteArray temp = QFile::encodeName(QFileInfo(path).path() + QStringLiteral("/.") +
                                            QFileInfo(path).fileName() +
                                            QStringLiteral(".setup-XXXXXX"));
        const int fd = ::mkstemp(temp.data());
        if (fd < 0) return fail(Setup::tr("%1 cannot be written: %2").arg(path, errnoText()));
        bool ok = ::fchown(fd, owner.uid, owner.gid) == 0 && ::fchmod(fd, 0644) == 0;
        for (qsizetype done = 0; ok && done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            done += n > 0 ? n : 0;
        }
        ok = ok && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        ok = ok && ::rename(temp.constData(), QFile::encodeName(path).constData()) == 0;
        if (!ok) {
            const QString why = errnoText();
            ::unlink(temp.constData());
            return fail(Setup::tr("%1 cannot be written: %2").arg(path, why));
        }
        changed = true;
        return true;
    }

    bool folder() {
        const QString dir = at(o_.folder);
        bool changed = false;
        if (!directory(dir, station(), true, changed)) return false;
        step(changed, Setup::tr("the station folder %1, %2's").arg(o_.folder, o_.user));

        const QString help = at(QStringLiteral("/usr/share/rulevion/vdm03.pdf"));
        QFile pdf(help);
        if (pdf.open(QIODevice::ReadOnly)) {
            changed = false;
            if (!file(QDir(dir).filePath(QStringLiteral("vdm03.pdf")), pdf.readAll(), station(),
                      changed))
                return false;
            step(changed, Setup::tr("the help document vdm03.pdf"));
        } else {
            todo_ << Setup::tr("the help document %1 is missing: install the package "
                               "rulevion-menu again, then run setup again")
                         .arg(QStringLiteral("/usr/share/rulevion/vdm03.pdf"));
        }

        // The exercises' own set-up may have written the monitor file; theirs stays.
        const QString monitor = QDir(dir).filePath(QStringLiteral("__monitor.txt"));
        changed = false;
        if (QFileInfo::exists(monitor)) {
            if (!ownAs(monitor, station(), 0644, changed)) return false;
        } else if (!file(monitor, kMonitorDriveC, station(), changed)) {
            return false;
        }
        step(changed, Setup::tr("the monitor file __monitor.txt"));

        const QString passwordFile = QDir(dir).filePath(QLatin1String(trainer::kPasswordFile));
        changed = false;
        if (!passwordBytes_.isEmpty()) {
            if (!file(passwordFile, passwordBytes_, station(), changed)) return false;
        } else if (!ownAs(passwordFile, station(), 0644, changed)) {
            return false;
        }
        step(changed, Setup::tr("the trainer's password file %1").arg(trainer::kPasswordFile));
        return true;
    }

    bool drives() {
        const QString database = at(o_.drives + QStringLiteral("/c/") + databaseOnDriveC());
        bool changed = false;
        if (!directory(at(o_.drives), Owner{}, false, changed) ||
            !directory(QFileInfo(database).path(), station(), false, changed))
            return false;
        step(changed, Setup::tr("the drive folders, %1 for drive C:").arg(o_.drives + "/c"));
        if (!haveDatabase_) {
            if (!QFileInfo::exists(database))
                todo_ << Setup::tr("no students database yet: run setup again with the class "
                                   "list, --list FILE");
            return true;
        }
        changed = false;
        if (!file(database, database_, station(), changed)) return false;
        step(changed, Setup::tr("the students database %1, from %2")
                          .arg(o_.drives + QStringLiteral("/c/") + databaseOnDriveC(), o_.list));
        return true;
    }

    bool configuration() {
        const QString path = at(QLatin1String(kConfigFile));
        QFile in(path);
        QString text = in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
        in.close();
        text = withKey(text, QStringLiteral("folder"), o_.folder);
        text = withKey(text, QStringLiteral("drives"), o_.drives);
        text = withKey(text, QStringLiteral("exercises"),
                       QStringLiteral("wine 'C:\\dat_ulmo\\vdm.exe'"), true);
        text = withKey(text, QStringLiteral("trainer"),
                       QStringLiteral("wine 'C:\\dat_ulmo\\trener.exe'"), true);
        bool changed = false;
        if (!file(path, text.toUtf8(), Owner{}, changed)) return false;
        step(changed, Setup::tr("the configuration %1 (folder=, drives=, exercises=, trainer=)")
                          .arg(QLatin1String(kConfigFile)));
        StationConfig config;
        QStringList problems;
        readConfigFile(path, config, problems);
        config_ = config;
        return true;
    }

    bool autologin() {
        const bool nodm = QFileInfo::exists(at(QStringLiteral("/usr/sbin/nodm")));
        const bool lightdm = QFileInfo::exists(at(QStringLiteral("/usr/sbin/lightdm")));
        if (!nodm && !lightdm)
            todo_ << Setup::tr("no display manager: apt install --no-install-recommends "
                               "xserver-xorg nodm, then run setup again");
        if (nodm && !nodmAutologin()) return false;
        if (lightdm && !lightdmAutologin()) return false;
        return true;
    }

    bool nodmAutologin() {
        const QString path = at(QStringLiteral("/etc/default/nodm"));
        QFile in(path);
        QString text = in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
        in.close();
        text = withKey(text, QStringLiteral("NODM_ENABLED"), QStringLiteral("true"));
        text = withKey(text, QStringLiteral("NODM_USER"), o_.user);
        text = withKey(text, QStringLiteral("NODM_XSESSION"), QLatin1String(kSessionScript));
        bool changed = false;
        if (!file(path, text.toUtf8(), Owner{}, changed)) return false;
        // nodm's maintainer scripts write the file from debconf's answers: the same answers
        // there keep an upgrade or a reconfiguration from undoing it.
        if (changed && !chrooted()) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral("debconf-set-selections"), {});
            p.write(QStringLiteral("nodm nodm/enabled boolean true\n"
                                   "nodm nodm/user string %1\n"
                                   "nodm nodm/xsession string %2\n")
                        .arg(o_.user, QLatin1String(kSessionScript))
                        .toUtf8());
            p.closeWriteChannel();
            if (!p.waitForFinished(-1) || p.exitCode() != 0)
                print(stderr, Setup::tr("%1 setup: debconf-set-selections failed, so a "
                                        "reconfiguration of nodm may undo its autologin: %2\n")
                                  .arg(QLatin1String(kName),
                                       QString::fromLocal8Bit(p.readAll()).trimmed()));
        }
        step(changed, Setup::tr("nodm starts the session for %1 (%2)")
                          .arg(o_.user, QStringLiteral("/etc/default/nodm")));
        return true;
    }

    bool lightdmAutologin() {
        const QString name = QStringLiteral("/etc/lightdm/lightdm.conf.d/") + kOwnFile;
        const QString text = QStringLiteral(
                                 "# Written by rulevion-station setup.\n"
                                 "[Seat:*]\n"
                                 "autologin-user=%1\n"
                                 "autologin-user-timeout=0\n"
                                 "autologin-session=%2\n"
                                 "greeter-hide-users=true\n"
                                 "allow-guest=false\n")
                                 .arg(o_.user, QLatin1String(kSessionName));
        bool changed = false;
        if (!file(at(name), text.toUtf8(), Owner{}, changed)) return false;
        step(changed, Setup::tr("lightdm starts the session for %1 (%2)").arg(o_.user, name));
        return true;
    }

    bool protections() {
        const QString xorg = QStringLiteral("/etc/X11/xorg.conf.d/") + kOwnFile;
        bool changed = false;
        if (!file(at(xorg), kServerFlags, Owner{}, changed)) return false;
        step(changed, Setup::tr("the X server switches no consoles and ignores "
                                "Ctrl+Alt+Backspace (%1)")
                          .arg(xorg));

        // systemctl mask, done by hand so that it works in a chroot too.
        const QString target = at(QStringLiteral("/etc/systemd/system/ctrl-alt-del.target"));
        changed = false;
        if (QFileInfo(target).symLinkTarget() != QLatin1String("/dev/null") ||
            !QFileInfo(target).isSymLink()) {
            if (!directory(QFileInfo(target).path(), Owner{}, false, changed)) return false;
            QFile::remove(target);
            if (::symlink("/dev/null", QFile::encodeName(target).constData()) != 0)
                return fail(Setup::tr("%1 cannot be made: %2").arg(target, errnoText()));
            changed = true;
        }
        const QString burst = QStringLiteral("/etc/systemd/system.conf.d/") + kOwnFile;
        if (!file(at(burst), kBurstAction, Owner{}, changed)) return false;
        step(changed, Setup::tr("Ctrl+Alt+Del does nothing (ctrl-alt-del.target masked, %1)")
                          .arg(burst));

        const QString sysrq = QStringLiteral("/etc/sysctl.d/") + kOwnFile;
        changed = false;
        if (!file(at(sysrq), kSysRq, Owner{}, changed)) return false;
        step(changed, Setup::tr("the SysRq keys are off (%1)").arg(sysrq));
        return true;
    }

    // The check as the station's user sees the station, from the system set up.
    void runCheck() {
        print(stdout, Setup::tr("\nThe check, as %1:\n").arg(o_.user));
        QStringList args{QStringLiteral("--reuid=%1").arg(account_.uid),
                         QStringLiteral("--regid=%1").arg(account_.gid),
                         chrooted() ? QStringLiteral("--clear-groups")
                                    : QStringLiteral("--init-groups"),
                         QStringLiteral("--"), QCoreApplication::applicationFilePath()};
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), at(account_.home));
        env.insert(QStringLiteral("USER"), o_.user);
        env.insert(QStringLiteral("LOGNAME"), o_.user);
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("VDM_DRIVES"));
        if (chrooted()) {
            // The system's paths are the root's here, which only the command line can say.
            args << QStringLiteral("--config") << at(QLatin1String(kConfigFile)) << QStringLiteral("--root")
                 << o_.root;
            env.insert(QStringLiteral("VDM_DRIVES"), at(o_.drives));
        }
        args << QStringLiteral("check") << at(o_.folder);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QStringLiteral("/"));
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QStringLiteral("setpriv"), args);
        p.waitForFinished(-1);
        if (p.error() == QProcess::FailedToStart)
            print(stderr, Setup::tr("%1 setup: the check cannot start: setpriv: %2\n")
                              .arg(QLatin1String(kName), p.errorString()));
    }

    void sayWhatIsLeft() {
        QStringList left = todo_;
        // The Windows programs the commands name, on the drives: the share or a copy.
        for (const QString& command : {config_.exercises, config_.trainer}) {
            const QStringList words = shellWords(command);
            if (words.isEmpty()) continue;
            if (QFileInfo(words.first()).fileName().startsWith(QLatin1String("wine")) &&
                !QFileInfo::exists(at(QStringLiteral("/usr/bin/wine"))) &&
                !left.contains(Setup::tr("install Wine: apt install --no-install-recommends wine")))
                left << Setup::tr("install Wine: apt install --no-install-recommends wine");
            static const QRegularExpression windowsPath(QStringLiteral("^([A-Za-z]):[\\\\/](.*)$"));
            for (const QString& word : words) {
                const QRegularExpressionMatch m = windowsPath.match(word);
                if (!m.hasMatch()) continue;
                const QString host = o_.drives + QLatin1Char('/') + m.captured(1).toLower() +
                                     QLatin1Char('/') +
                                     m.captured(2).replace(QLatin1Char('\\'), QLatin1Char('/'));
                if (!QFileInfo::exists(at(host)))
                    left << Setup::tr("%1 is not there: mount the share that holds the "
                                      "exercise programs on %2, or copy them there")
                                .arg(host, o_.drives + QLatin1Char('/') + m.captured(1).toLower());
            }
        }
        left << Setup::tr("reboot: the station then starts into the menu");
        print(stdout, Setup::tr("\nLeft to do:\n"));
        for (const QString& item : left) print(stdout, QStringLiteral("  - %1\n").arg(item));
    }

    SetupOptions o_;
    Account account_;
    StationConfig config_;
    QByteArray passwordBytes_;
    QByteArray database_;
    bool haveDatabase_ = false;
    QTemporaryDir work_;
    QStringList todo_;
};

}  // namespace

QString withKey(const QString& text, const QString& key, const QString& value, bool keep) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    const QString wanted = key + QLatin1Char('=') + value;
    const QRegularExpression set(QStringLiteral("^\\s*%1\\s*=").arg(QRegularExpression::escape(key)));
    const QRegularExpression commented(
        QStringLiteral("^\\s*#\\s*%1\\s*=").arg(QRegularExpression::escape(key)));
    qsizetype found = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (set.match(lines[i]).hasMatch()) found = i;  // the last one is the one that counts
    if (found >= 0) {
        if (!keep) lines[found] = wanted;
    } else {
        for (qsizetype i = 0; i < lines.size() && found < 0; ++i)
            if (commented.match(lines[i]).hasMatch()) found = i;
        if (found >= 0)
            lines.insert(found + 1, wanted);
        else
            lines << wanted;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

int setupMain(const QStringList& args) {
    SetupOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            print(stdout, usage());
            return 0;
        }
        QString* target = nullptr;
        for (const auto& [name, field] :
             {std::pair{"--list", &o.list}, std::pair{"--password", &o.password},
              std::pair{"--user", &o.user}, std::pair{"--folder", &o.folder},
              std::pair{"--drives", &o.drives}, std::pair{"--root", &o.root}}) {
            if (arg == QLatin1String(name)) {
                if (++i == args.size())
                    return usageError(Setup::tr("%1 needs a value").arg(QLatin1String(name)));
                target = field;
                *target = args[i];
            } else if (arg.startsWith(QLatin1String(name) + QLatin1Char('='))) {
                target = field;
                *target = arg.mid(qsizetype(std::strlen(name)) + 1);
            }
        }
        if (!target) return usageError(Setup::tr("unknown argument %1").arg(arg));
    }
    static const QRegularExpression userName(QStringLiteral("^[a-z_][a-z0-9_-]{0,31}$"));
    if (!userName.match(o.user).hasMatch() || o.user == QLatin1String("root"))
        return usageError(Setup::tr("%1 cannot be the station's user: a name of small Latin "
                                    "letters, digits, - and _, not root")
                              .arg(o.user));
    for (QString* path : {&o.folder, &o.drives}) {
        if (!path->startsWith(QLatin1Char('/')) || path->contains(QLatin1Char('\n')))
            return usageError(Setup::tr("%1 is not an absolute path").arg(*path));
        *path = QDir::cleanPath(*path);
    }
    if (!QFileInfo(o.root).isDir())
        return usageError(Setup::tr("--root %1 is not a folder").arg(o.root));
    if (!o.list.isEmpty()) o.list = QFileInfo(o.list).absoluteFilePath();
    if (geteuid() != 0) {
        print(stderr, Setup::tr("%1 setup: only root can set a station up: sudo %1 setup …\n")
                          .arg(QLatin1String(kName)));
        return 1;
    }
    return SetupRun(std::move(o)).run();
}

}  // namespace station
