#include "StationSession.h"

#include "ShellContract.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace station {
namespace {

struct Session {
    Q_DECLARE_TR_FUNCTIONS(Session)
};

// A program the session needs for a moment; its output goes to the report on failure.
bool runTool(const QString& program, const QStringList& args, Reporter& reporter,
             const QString& what) {
    if (QStandardPaths::findExecutable(program).isEmpty()) {
        reporter.report(Session::tr("%1: %2 is not installed").arg(what, program));
        return false;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return true;
    reporter.report(Session::tr("%1: %2 %3 failed: %4")
                        .arg(what, program, args.join(QLatin1Char(' ')),
                             QString::fromLocal8Bit(p.readAll()).simplified()));
    return false;
}

// A station shows its menu all day; the screen must not go blank or dark under a student.
void keepScreenOn(xcb_connection_t* display) {
    xcb_set_screen_saver(display, 0, 0, XCB_BLANKING_NOT_PREFERRED, XCB_EXPOSURES_DEFAULT);
    const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(display, &xcb_dpms_id);
    if (dpms && dpms->present) xcb_dpms_disable(display);
    xcb_flush(display);
}

void setUpKeyboard(const StationConfig& config, Reporter& reporter) {
    // An empty -option first clears what the X server was started with (Ctrl+Alt+Backspace
    // among them); srvrkeys:none takes the console switch off Ctrl+Alt+F1…F12.
    const QStringList locked{QStringLiteral("-option"), QString(), QStringLiteral("-option"),
                             QStringLiteral("srvrkeys:none")};
    if (!config.layouts.isEmpty()) {
        QStringList args = QStringList{QStringLiteral("-layout"), config.layouts} + locked;
        if (!config.layoutSwitch.isEmpty())
            args << QStringLiteral("-option") << config.layoutSwitch;
        if (runTool(QStringLiteral("setxkbmap"), args, reporter,
                    Session::tr("the keyboard layouts %1 cannot be set").arg(config.layouts)))
            return;
    }
    // Whatever the layouts: no layouts, or ones setxkbmap refused, still leave the console keys
    // locked.
    runTool(QStringLiteral("setxkbmap"), locked, reporter,
            Session::tr("the console keys cannot be locked"));
}

pid_t startInBackground(const QString& command) {
    const QByteArray cmd = command.toLocal8Bit();
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", cmd.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

QString processName(int pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed()
                                          : QString();
}

void reapChildren() {
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
}

// Ends what the session started and left running: politely first, then for good.
void endLeftovers(const QByteArray& id, Reporter& reporter) {
    std::vector<int> left = sessionProcesses(id);
    if (left.empty()) return;
    QStringList names;
    for (const int pid : left) names << QStringLiteral("%1 (%2)").arg(processName(pid)).arg(pid);
    reporter.report(Session::tr("the session ends what is still running: %1")
                        .arg(names.join(QStringLiteral(", "))));
    for (const int pid : left) kill(pid, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < until) {
        reapChildren();
        left = sessionProcesses(id);
        if (left.empty()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (const int pid : left) kill(pid, SIGKILL);
    // A process killed for good is gone once it is reaped.
    for (int round = 0; round < 40 && !sessionProcesses(id).empty(); ++round) {
        reapChildren();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace

std::vector<int> sessionProcesses(const QByteArray& id) {
    const QByteArray wanted = QByteArray(kSessionIdVariable) + '=' + id;
    const uid_t me = getuid();
    std::vector<int> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number || pid == getpid()) continue;
        const QByteArray dir = "/proc/" + entry.toLatin1();
        struct stat st {};
        if (stat(dir.constData(), &st) != 0 || st.st_uid != me) continue;
        QFile environ(QString::fromLatin1(dir + "/environ"));
        if (!environ.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& variable : environ.readAll().split('\0'))
            if (variable == wanted) {
                found.push_back(pid);
                break;
            }
    }
    return found;
}

int runSession(const StationConfig& config, const QString& folder, const QString& menuCommand,
               Reporter& reporter) {
    // Held for the whole session: an X server resets (and forgets the keyboard layouts) when its
    // last client leaves, which would otherwise happen between the set-up and the menu.
    xcb_connection_t* display = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(display)) {
        xcb_disconnect(display);
        reporter.report(Session::tr("the display %1 cannot be reached, so the menu cannot show: "
                                    "the session ends")
                            .arg(qEnvironmentVariable("DISPLAY")));
        return 1;
    }
    const QByteArray id = QByteArray::number(getpid()) + '-' +
                          QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    // The menu and what it starts learn from it that they run in the session.
    qputenv(shellcontract::kSessionVariable, shellcontract::kSessionValue);
    qputenv(kSessionIdVariable, id);
    // With no session bus, a Qt program would autolaunch one that outlives the session; the
    // station needs none. A bus the display manager provides is its own to end.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");

    struct sigaction stop {};
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    for (const int sig : {SIGTERM, SIGHUP, SIGINT}) sigaction(sig, &stop, nullptr);

    keepScreenOn(display);
    setUpKeyboard(config, reporter);

    pid_t windowManager = -1;
    if (!config.windowManager.isEmpty()) {
        const QString program =
            config.windowManager.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (QStandardPaths::findExecutable(program).isEmpty())
            reporter.report(Session::tr("the window manager %1 is not installed, so help and "
                                        "boxes may not get the keyboard")
                                .arg(program));
        windowManager = startInBackground(QStringLiteral("exec ") + config.windowManager);
        if (windowManager < 0)
            reporter.report(
                Session::tr("the window manager %1 cannot be started").arg(config.windowManager));
    }

    runShell(config, folder, menuCommand, reporter);

    if (windowManager > 0) {
        kill(windowManager, SIGTERM);
        waitpid(windowManager, nullptr, 0);
    }
    endLeftovers(id, reporter);
    xcb_disconnect(display);
    return 0;
}

}  // namespace station
