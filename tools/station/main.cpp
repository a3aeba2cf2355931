// rulevion-station: the station check and the station's shell.
#include "StationCheck.h"
#include "StationConfig.h"
#include "StationShell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <syslog.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

struct Main {
    Q_DECLARE_TR_FUNCTIONS(Main)
};

constexpr const char* kName = "rulevion-station";

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

QString usage() {
    return Main::tr(
               "Usage: %1 [--config FILE] check [FOLDER]\n"
               "       %1 [--config FILE] run [FOLDER]\n"
               "       %1 --help | --version\n"
               "\n"
               "check  tests the station in FOLDER (default: folder= of the configuration,\n"
               "       else the current folder) along the program's own road: monitor\n"
               "       file, drive, database, table Students, password file, help document\n"
               "       and its viewer, a writable folder. One line per check. Exit status 0\n"
               "       when a student can sign in, 1 otherwise. Nothing in the folder is\n"
               "       changed.\n"
               "run    the station's shell: starts the menu in FOLDER (default: folder= of the\n"
               "       configuration), runs the command the configuration names for its\n"
               "       decision and starts the menu again, until the menu decides to leave.\n"
               "       Problems go to stderr and the system log.\n"
               "\n"
               "--config FILE  read FILE instead of %2\n"
               "               and ~/.config/rulevion/station.conf (the latter wins)\n"
               "\n"
               "A FOLDER given here, and VDM_DRIVES in the environment, win over the\n"
               "configuration's folder= and drives=.\n"
               "\n"
               "Exit status 2: a usage error.\n")
        .arg(QLatin1String(kName), station::systemConfigFile());
}

int usageError(const QString& what) {
    print(stderr, Main::tr("%1: %2\nTry '%1 --help'.\n").arg(QLatin1String(kName), what));
    return 2;
}

struct Arguments {
    QString verb;
    QString folder;
    QString configFile;
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
        } else if (arg == QLatin1String("--")) {
            words << args.mid(i + 1);
            break;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return usageError(Main::tr("unknown option %1").arg(arg));
        } else {
            words << arg;
        }
    }
    if (words.isEmpty()) return usageError(Main::tr("say check or run"));
    parsed.verb = words.takeFirst();
    if (parsed.verb != QLatin1String("check") && parsed.verb != QLatin1String("run"))
        return usageError(Main::tr("unknown command %1").arg(parsed.verb));
    if (words.size() > 1) return usageError(Main::tr("one station folder at most"));
    if (!words.isEmpty()) parsed.folder = words.first();
    return std::nullopt;
}

class SystemLogReporter : public station::Reporter {
public:
    SystemLogReporter() { openlog(kName, LOG_PID, LOG_USER); }
    ~SystemLogReporter() override { closelog(); }
    void report(const QString& text) override {
        print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kName), text));
        syslog(LOG_WARNING, "%s", text.toUtf8().constData());
    }
};

// The menu as the package installs it: beside this command, else on PATH.
QString defaultMenuCommand() {
    const QString name = QStringLiteral("rulevion-menu");
    QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (!QFileInfo(path).isExecutable()) path = QStandardPaths::findExecutable(name);
    if (path.isEmpty()) return name;
    path.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

bool loadConfig(const Arguments& args, station::StationConfig& config) {
    QStringList problems;
    if (!args.configFile.isEmpty()) {
        if (!station::readConfigFile(args.configFile, config, problems)) {
            print(stderr, Main::tr("%1: the configuration file %2 cannot be read\n")
                              .arg(QLatin1String(kName), args.configFile));
            return false;
        }
    } else {
        for (const QString& file : station::defaultConfigFiles())
            station::readConfigFile(file, config, problems);
    }
    for (const QString& problem : problems)
        print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kName), problem));
    // The menu and everything the shell starts find the drives where the station keeps them;
    // a VDM_DRIVES given to this command wins over the files.
    if (!config.drives.isEmpty() && qEnvironmentVariableIsEmpty("VDM_DRIVES"))
        qputenv("VDM_DRIVES", QFile::encodeName(config.drives));
    return true;
}

int check(const Arguments& args, const station::StationConfig& config) {
    // The folder run would use, so that the check looks where the menu will start.
    const QString folder = !args.folder.isEmpty()     ? args.folder
                           : !config.folder.isEmpty() ? config.folder
                                                      : QDir::currentPath();
    const std::vector<station::CheckLine> lines = station::checkStation(folder);
    for (const station::CheckLine& line : lines)
        print(stdout, station::formatLine(line) + QLatin1Char('\n'));
    const bool ok = station::signInCanSucceed(lines);
    print(stdout, ok ? Main::tr("A student can sign in at this station.\n")
                     : Main::tr("No student can sign in at this station until the failures "
                                "above are put right.\n"));
    return ok ? 0 : 1;
}

int run(const Arguments& args, const station::StationConfig& config) {
    // The menu removes result files where it starts: never in a folder nobody chose, such as
    // the home folder a desktop starts programs in.
    const QString folder = args.folder.isEmpty() ? config.folder : args.folder;
    if (folder.isEmpty())
        return usageError(Main::tr("no station folder: name one, or set folder= in %1")
                              .arg(station::systemConfigFile()));
    const QString menu = config.menu.isEmpty() ? defaultMenuCommand() : config.menu;
    SystemLogReporter reporter;
    return station::runShell(config, QDir(folder).absolutePath(), menu, reporter);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(QLocale(), QLatin1String(kName), QStringLiteral("_"),
                        QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&translator);

    Arguments args;
    if (const std::optional<int> done = parse(QCoreApplication::arguments(), args)) return *done;
    station::StationConfig config;
    if (!loadConfig(args, config)) return 2;
    return args.verb == QLatin1String("check") ? check(args, config) : run(args, config);
}
