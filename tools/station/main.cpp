// rulevion-station: the station check and the station's shell.
#include "Console.h"
#include "SessionCheck.h"
#include "StationCheck.h"
#include "StationConfig.h"
#include "StationLog.h"
#include "StationSession.h"
#include "StationSetup.h"
#include "StationShell.h"
#include "StationUser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

struct Main {
    Q_DECLARE_TR_FUNCTIONS(Main)
};

constexpr const char* kName = station::kProgramName;
using station::print;

QString usage() {
    return Main::tr(
               "Usage: %1 [--config FILE] check [--user USER] [FOLDER]\n"
               "       %1 [--config FILE] run [FOLDER]\n"
               "       %1 [--config FILE] session [FOLDER]\n"
               "       %1 log\n"
               "       %1 setup [--list FILE] [--password N] … (see %1 setup --help)\n"
               "       %1 --help | --version\n"
               "\n"
               "check  tests the station in FOLDER (default: folder= of the configuration,\n"
               "       else the current folder) along the program's own road: monitor\n"
               "       file, drive, database, table Students, password file, help document\n"
               "       and its viewer, a writable folder, the commands and the session. One\n"
               "       line per check, judged for the station's user: run by root, for USER,\n"
               "       else for the owner of the station folder. Exit status 0 when students\n"
               "       can sign in and train, 3 when they can sign in but the exercises or\n"
               "       the trainer's tools will not start, 1 when nobody can sign in.\n"
               "       Nothing in the folder is changed.\n"
               "run    the station's shell: starts the menu in FOLDER (default: folder= of the\n"
               "       configuration), runs the command the configuration names for its\n"
               "       decision and starts the menu again, until the menu decides to leave.\n"
               "       Problems go to stderr, the system log and the log file. Never as root.\n"
               "session  the X session \"Rulevion station\" (rulevion-station-session): sets the\n"
               "       keyboard layouts (layouts=, layout-switch=), starts the window manager\n"
               "       (window-manager=) and runs the shell with RULEVION_SESSION=1; when it\n"
               "       ends, so does everything it started.\n"
               "log    shows the log file, %3.\n"
               "setup  makes this machine a station, as root: user, folder, students database,\n"
               "       password, configuration, autologin and the X server's flags.\n"
               "\n"
               "--config FILE  read FILE instead of %2\n"
               "               and ~/.config/rulevion/station.conf (the latter wins, but is\n"
               "               read only when root owns it and its folders and the user can\n"
               "               change none of them)\n"
               "--root DIR     check: the display manager, the X server and the session are\n"
               "               those of the system in DIR (a chroot), its users too\n"
               "\n"
               "A FOLDER given here, and VDM_DRIVES in the environment, win over the\n"
               "configuration's folder= and drives=.\n"
               "\n"
               "Exit status 2: a usage error.\n")
        .arg(QLatin1String(kName), station::systemConfigFile(), station::logFilePath());
}

int usageError(const QString& what) {
    print(stderr, Main::tr("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kName), what));
    return 2;
}

struct Arguments {
    QString verb;
    QString folder;
    QString configFile;
    QString root;  // check: the system around the station is in this folder, not in /
    QString user;  // check: whom to judge for
};

// Returns an exit status when the command is done with the arguments alone.
std::optional<int> parse(const QStringList& args, Arguments& parsed) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            print(stdout, usage());
            return 0;
        }
        if (arg == QLatin1String("--version") || arg == QLatin1String("-V")) {
            print(stdout, QStringLiteral("%1 %2\n").arg(QLatin1String(kName),
                                                        QLatin1String(RULEVION_VERSION)));
            return 0;
        }
    }
    QStringList words;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--config")) {
            if (++i == args.size()) return usageError(Main::tr("--config needs a file"));
            parsed.configFile = args[i];
        } else if (arg.startsWith(QLatin1String("--config="))) {
            parsed.configFile = arg.mid(9);
        } else if (arg == QLatin1String("--root")) {
            if (++i == args.size()) return usageError(Main::tr("--root needs a folder"));
            parsed.root = args[i];
        } else if (arg == QLatin1String("--user")) {
            if (++i == args.size()) return usageError(Main::tr("--user needs a user"));
            parsed.user = args[i];
        } else if (arg.startsWith(QLatin1String("--user="))) {
            parsed.user = arg.mid(7);
        } else if (arg == QLatin1String("--")) {
            words << args.mid(i + 1);
            break;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return usageError(Main::tr("unknown option %1").arg(arg));
        } else {
            words << arg;
        }
    }
    if (words.isEmpty()) return usageError(Main::tr("say check, run, session, log or setup"));
    parsed.verb = words.takeFirst();
    const QStringList verbs{QStringLiteral("check"), QStringLiteral("run"),
                            QStringLiteral("session"), QStringLiteral("log")};
    if (!verbs.contains(parsed.verb))
        return usageError(Main::tr("unknown command %1").arg(parsed.verb));
    if (parsed.verb == QLatin1String("log") && !words.isEmpty())
        return usageError(Main::tr("log takes no arguments"));
    if (!parsed.user.isEmpty() && parsed.verb != QLatin1String("check"))
        return usageError(Main::tr("--user is for check only"));
    if (words.size() > 1) return usageError(Main::tr("one station folder at most"));
    if (!words.isEmpty()) parsed.folder = words.first();
    return std::nullopt;
}

// The menu as the package installs it: beside this command, else on PATH.
QString defaultMenuCommand() {
    const QString name = QStringLiteral("rulevion-menu");
    QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFileInfo(path).isExecutable()) path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) return name;
    path.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

// The user's own configuration that is not read, and why; empty when there is none.
QString ignoredUserFile(const station::ConfigFiles& files) {
    if (files.ignored.isEmpty()) return {};
    return Main::tr("%1 is not read: %2; only files the station's user cannot change decide "
                    "what the station runs")
        .arg(files.ignored, files.ignoredReason);
}

// check as root judges the station's user's own file, as that user's session would read it.
station::ConfigReader configReader(const Arguments& args) {
    station::ConfigReader reader = station::currentReader();
    if (args.verb != QLatin1String("check") || geteuid() != 0) return reader;
    const QString folder = args.folder.isEmpty() ? QDir::currentPath() : args.folder;
    struct stat st {};
    if (stat(QFile::encodeName(folder).constData(), &st) != 0 || st.st_uid == 0) return reader;
    if (const passwd* pw = getpwuid(st.st_uid))
        return {pw->pw_uid, QDir(QFile::decodeName(pw->pw_dir)).filePath(QStringLiteral(".config"))};
    return reader;
}

bool loadConfig(const Arguments& args, station::StationConfig& config, QString& ignored) {
    QStringList problems;
    if (!args.configFile.isEmpty()) {
        if (!station::readConfigFile(args.configFile, config, problems)) {
            print(stderr, Main::tr("%1: the configuration file %2 cannot be read\n")
                              .arg(QLatin1String(kName), args.configFile));
            return false;
        }
    } else {
        const station::ConfigFiles files = station::defaultConfigFiles(configReader(args));
        for (const QString& file : files.read) station::readConfigFile(file, config, problems);
        ignored = ignoredUserFile(files);
    }
    for (const QString& problem : problems)
        print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kName), problem));
    // The menu and everything the shell starts find the drives where the station keeps them;
    // a VDM_DRIVES given to this command wins over the files.
    if (!config.drives.isEmpty() && qEnvironmentVariableIsEmpty("VDM_DRIVES"))
        qputenv("VDM_DRIVES", QFile::encodeName(config.drives));
    return true;
}

// The station's own user, as far as it can be told: the owner of the station folder.
QString stationUserHint(const QString& folder) {
    struct stat st {};
    if (stat(QFile::encodeName(folder).constData(), &st) == 0 && st.st_uid != 0)
        if (const passwd* pw = getpwuid(st.st_uid)) return QString::fromLocal8Bit(pw->pw_name);
    return {};
}

QString currentUserName() {
    const passwd* pw = getpwuid(geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(geteuid());
}

// The user autologin must start: whoever checks, or for root the folder's owner.
QString checkingUser(const QString& folder, const QString& root) {
    if (!root.isEmpty()) {
        struct stat st {};
        const uid_t uid = geteuid() == 0 && stat(QFile::encodeName(folder).constData(), &st) == 0
                              ? st.st_uid
                              : geteuid();
        return station::accountName(QDir(root).filePath(QStringLiteral("etc/passwd")), uid);
    }
    if (geteuid() == 0) {
        const QString owner = stationUserHint(folder);
        if (!owner.isEmpty()) return owner;
    }
    const passwd* pw = getpwuid(geteuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

// The lines and the verdict, judged as whoever runs this.
int judge(const QString& folder, const station::StationConfig& config, bool byRoot,
          const QString& root, const QString& ignored) {
    station::SessionPlaces places;
    places.folder = QDir(folder).absolutePath();
    places.user = checkingUser(places.folder, root);
    if (!root.isEmpty()) places.root = root;
    std::vector<station::CheckLine> lines =
        station::checkStation(folder, byRoot, station::bootsIntoSession(places));
    for (station::CheckLine& line : station::checkSession(config, places))
        lines.push_back(std::move(line));
    if (!ignored.isEmpty()) lines.push_back({station::CheckLine::Result::Problem, ignored, {}});
    for (const station::CheckLine& line : lines)
        print(stdout, station::formatLine(line) + QLatin1Char('\n'));
    print(stdout, station::verdictText(lines) + QLatin1Char('\n'));
    return station::exitStatus(station::verdictOf(lines));
}

int check(const Arguments& args, const station::StationConfig& config, const QString& ignored) {
    // The folder run would use, so that the check looks where the menu will start.
    const QString folder = !args.folder.isEmpty()     ? args.folder
                           : !config.folder.isEmpty() ? config.folder
                                                      : QDir::currentPath();
    const bool byRoot = geteuid() == 0;
    std::optional<station::StationUser> user;
    if (!args.user.isEmpty()) {
        user = station::lookUpUser(args.user);
        if (!user) return usageError(Main::tr("there is no user %1 on this system").arg(args.user));
    } else if (byRoot) {
        user = station::folderOwner(folder);
    }
    if (byRoot && user && user->uid != 0) {
        print(stdout, Main::tr("Checked for the station's user %1 (uid %2): root takes its "
                               "rights for the check.\n")
                          .arg(user->name)
                          .arg(user->uid));
        const int status =
            station::runAsUser(*user, [&] { return judge(folder, config, byRoot, args.root, ignored); });
        if (status >= 0) return status;
        print(stderr, status == station::kCouldNotBecomeUser
                          ? Main::tr("%1: could not take the rights of the user %2 for the "
                                     "check\n")
                                .arg(QLatin1String(kName), user->name)
                          : Main::tr("%1: the check with the rights of the user %2 ended "
                                     "abnormally\n")
                                .arg(QLatin1String(kName), user->name));
        return 1;
    }
    if (user && user->uid != geteuid())
        return usageError(Main::tr("only root may check for another user than itself"));
    // In a chroot the names are the chroot's own.
    const QString name = args.root.isEmpty()
                             ? currentUserName()
                             : station::accountName(
                                   QDir(args.root).filePath(QStringLiteral("etc/passwd")), geteuid());
    print(stdout, Main::tr("Checked for the user %1 (uid %2), who runs the check.\n")
                      .arg(name.isEmpty() ? QString::number(geteuid()) : name)
                      .arg(geteuid()));
    return judge(folder, config, byRoot, args.root, ignored);
}

// A station run as root would give its students root's rights; a station without a display
// would fail at every start of the menu.
std::optional<int> refuseToStart(const Arguments& args, const QString& folder) {
    if (geteuid() == 0) {
        const QString user = stationUserHint(folder);
        const QString verb = args.verb == QLatin1String("session")
                                 ? QStringLiteral("rulevion-station-session")
                                 : QStringLiteral("%1 %2").arg(QLatin1String(kName), args.verb);
        print(stderr, user.isEmpty()
                          ? Main::tr("%1: the station does not run as root; start %2 as the "
                                     "station's own user (adduser station, chown it the station "
                                     "folder)\n")
                                .arg(QLatin1String(kName), verb)
                          : Main::tr("%1: the station does not run as root; start %2 as %3, the "
                                     "owner of %4: su %3 -c '%2'\n")
                                .arg(QLatin1String(kName), verb, user, folder));
        return 1;
    }
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.isEmpty() || platform.startsWith(QLatin1String("xcb")) ||
                              platform.startsWith(QLatin1String("wayland"));
    if (needsDisplay && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        print(stderr, Main::tr("%1: no display (DISPLAY is not set), so the menu cannot show: "
                               "start the station in its X session \"Rulevion station\"\n")
                          .arg(QLatin1String(kName)));
        return 1;
    }
    return std::nullopt;
}

int run(const Arguments& args, const station::StationConfig& config, const QString& ignored) {
    // The menu removes result files where it starts: never in a folder nobody chose, such as
    // the home folder a desktop starts programs in.
    const QString given = args.folder.isEmpty() ? config.folder : args.folder;
    if (given.isEmpty())
        return usageError(Main::tr("no station folder: name one, or set folder= in %1")
                              .arg(station::systemConfigFile()));
    const QString folder = QDir(given).absolutePath();
    if (const std::optional<int> refused = refuseToStart(args, folder)) return *refused;
    const QString menu = config.menu.isEmpty() ? defaultMenuCommand() : config.menu;
    station::StationReporter reporter;
    // Said at every start, so that a file someone planted shows in the log.
    if (!ignored.isEmpty()) reporter.report(ignored);
    if (args.verb == QLatin1String("session"))
        return station::runSession(config, folder, menu, reporter);
    return station::runShell(config, folder, menu, reporter);
}

int showLog() {
    const station::LogFile log(station::logFilePath());
    const QByteArray text = log.readAll();
    if (text.isEmpty()) {
        print(stderr,
              Main::tr("%1: nothing is logged in %2\n").arg(QLatin1String(kName), log.path()));
        return 0;
    }
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(QLocale(), QLatin1String(kName), QStringLiteral("_"),
                        QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&translator);

    const QStringList words = QCoreApplication::arguments();
    if (words.size() > 1 && words[1] == QLatin1String("setup"))
        return station::setupMain(words.mid(2));
    Arguments args;
    if (const std::optional<int> done = parse(QCoreApplication::arguments(), args)) return *done;
    if (args.verb == QLatin1String("log")) return showLog();
    station::StationConfig config;
    QString ignored;
    if (!loadConfig(args, config, ignored)) return 2;
    return args.verb == QLatin1String("check") ? check(args, config, ignored)
                                               : run(args, config, ignored);
}
