#include "StationSession.h"

#include "ShellContract.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace station {
namespace {

struct Session {
    Q_DECLARE_TR_FUNCTIONS(Session)
};

// How long each part of the end may take before it is killed: the shell after a stop (it passes
// the stop on to the menu or the command), the window manager, and what is left after both.
constexpr std::chrono::milliseconds kShellDeadline{5000};
constexpr std::chrono::milliseconds kWindowManagerDeadline{3000};
constexpr std::chrono::milliseconds kLeftoverDeadline{3000};
constexpr std::chrono::milliseconds kKilledDeadline{2000};

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

// The keymap setxkbmap prints, with Backspace and F1…F12 giving nothing at their Ctrl+Alt level;
// empty when it holds no symbols section.
QByteArray withConsoleChordsSwallowed(const QByteArray& keymap) {
    const qsizetype section = keymap.indexOf("xkb_symbols");
    const qsizetype include = section < 0 ? -1 : keymap.indexOf("include", section);
    const qsizetype open = include < 0 ? -1 : keymap.indexOf('"', include);
    const qsizetype close = open < 0 ? -1 : keymap.indexOf('"', open + 1);
    if (close < 0) return {};
    QByteArray keys = "\n    key <BKSP> { type= \"CTRL+ALT\", symbols[Group1]= [ BackSpace, "
                      "BackSpace, NoSymbol, NoSymbol, VoidSymbol ] };";
    for (int f = 1; f <= 12; ++f) {
        const QByteArray name = "F" + QByteArray::number(f);
        keys += "\n    key <FK" + QByteArray::number(f).rightJustified(2, '0') +
                "> { type= \"CTRL+ALT\", symbols[Group1]= [ " + name + ", " + name + ", " + name +
                ", " + name + ", VoidSymbol ] };";
    }
    return keymap.left(close + 1) + keys + keymap.mid(close + 1);
}

// Without this Ctrl+Alt+Backspace reaches the menu as Ctrl+Backspace (the field loses a word)
// and Ctrl+Alt+F1…F12 as function keys; with the key giving nothing, no client sees them, and
// no server action is bound that a server without DontZap would obey.
void swallowConsoleChords(const QStringList& layoutArgs, Reporter& reporter) {
    const QString what = Session::tr("Ctrl+Alt+Backspace and Ctrl+Alt+F1…F12 still reach the menu");
    QProcess print;
    print.start(QStringLiteral("setxkbmap"), QStringList(layoutArgs) << QStringLiteral("-print"));
    print.waitForFinished(20000);
    const QByteArray keymap = withConsoleChordsSwallowed(print.readAllStandardOutput());
    if (print.exitStatus() != QProcess::NormalExit || print.exitCode() != 0 || keymap.isEmpty()) {
        reporter.report(Session::tr("%1: setxkbmap -print failed: %2")
                            .arg(what, QString::fromLocal8Bit(print.readAllStandardError())
                                           .simplified()));
        return;
    }
    QProcess compile;
    compile.setProcessChannelMode(QProcess::MergedChannels);
    compile.start(QStringLiteral("xkbcomp"),
                  {QStringLiteral("-w0"), QStringLiteral("-"), qEnvironmentVariable("DISPLAY")});
    compile.write(keymap);
    compile.closeWriteChannel();
    if (!compile.waitForFinished(20000)) compile.kill();
    if (compile.exitStatus() != QProcess::NormalExit || compile.exitCode() != 0)
        reporter.report(Session::tr("%1: xkbcomp failed: %2")
                            .arg(what, compile.error() == QProcess::FailedToStart
                                           ? compile.errorString()
                                           : QString::fromLocal8Bit(compile.readAll()).simplified()));
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
                    Session::tr("the keyboard layouts %1 cannot be set").arg(config.layouts))) {
            swallowConsoleChords(args, reporter);
            return;
        }
    }
    // Whatever the layouts: no layouts, or ones setxkbmap refused, still leave the console keys
    // locked.
    if (runTool(QStringLiteral("setxkbmap"), locked, reporter,
                Session::tr("the console keys cannot be locked")))
        swallowConsoleChords(locked, reporter);
}

// Signals the session handles itself; blocked from before its first child, so that none is
// lost: they wait in the signalfd until read.
sigset_t handledSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : {SIGTERM, SIGHUP, SIGINT, SIGCHLD}) sigaddset(&set, sig);
    return set;
}

pid_t startInBackground(const QString& command, const sigset_t& childMask) {
    const QByteArray cmd = command.toLocal8Bit();
    const pid_t pid = fork();
    if (pid == 0) {
        pthread_sigmask(SIG_SETMASK, &childMask, nullptr);
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

// The parent of every process, from /proc; zombies count, as they still hold their pid.
std::map<int, int> parents() {
    std::map<int, int> parent;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        // "pid (comm) state ppid …": comm may hold spaces and brackets, so read after the last.
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0) continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1) parent[pid] = fields[1].toInt();
    }
    return parent;
}

// Waits for the session's children while its signals arrive: reaps every child that ended
// (orphans come to the session, a subreaper) and notes a stop.
class Children {
public:
    explicit Children(int signalFd) : fd_(signalFd) {}

    // Waits up to timeoutMs (-1: for ever) for a signal, then reaps; returns at the first.
    void wait(int timeoutMs) {
        // Without its descriptor (signalfd failed) the session still looks every 100 ms.
        if (fd_ < 0 && (timeoutMs < 0 || timeoutMs > 100)) timeoutMs = 100;
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) > 0) {
            signalfd_siginfo info{};
            while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
                if (info.ssi_signo != SIGCHLD && !stop_) stop_ = static_cast<int>(info.ssi_signo);
        }
        reap();
    }
    void reap() {
        pid_t pid;
        while ((pid = waitpid(-1, nullptr, WNOHANG)) > 0) ended_.insert(pid);
    }
    bool ended(pid_t pid) const { return ended_.count(pid) != 0; }
    bool stopRequested() const { return stop_ != 0; }
    int stopSignal() const { return stop_; }

    // Waits until pid ended or the deadline passed; false then.
    bool waitFor(pid_t pid, std::chrono::milliseconds deadline) {
        const auto until = std::chrono::steady_clock::now() + deadline;
        reap();
        for (auto now = std::chrono::steady_clock::now(); !ended(pid) && now < until;
             now = std::chrono::steady_clock::now())
            wait(static_cast<int>(
                     std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count()) +
                 1);
        return ended(pid);
    }

    // Every living process below the session, however far down and whatever its environment:
    // an orphan is the session's child again, since the session is their subreaper.
    std::vector<int> descendants() {
        reap();
        const std::map<int, int> parent = parents();
        std::vector<int> found;
        for (const auto& [pid, ppid] : parent) {
            int up = ppid;
            for (int depth = 0; up > 1 && up != getpid() && depth < 64; ++depth) {
                const auto it = parent.find(up);
                up = it == parent.end() ? 0 : it->second;
            }
            if (up == getpid() && pid != getpid()) found.push_back(pid);
        }
        return found;
    }

private:
    int fd_;
    std::set<pid_t> ended_;
    int stop_ = 0;  // the first stop signal
};

// Ends a child that must end: politely first, then for good. Returns whether it ended politely.
bool endChild(Children& children, pid_t pid, std::chrono::milliseconds deadline) {
    if (children.ended(pid)) return true;
    kill(pid, SIGTERM);
    if (children.waitFor(pid, deadline)) return true;
    kill(pid, SIGKILL);
    children.waitFor(pid, kKilledDeadline);
    return false;
}

// Ends what the session started and left running: politely first, then for good.
void endLeftovers(Children& children, Reporter& reporter) {
    std::vector<int> left = children.descendants();
    if (left.empty()) return;
    QStringList names;
    for (const int pid : left) names << QStringLiteral("%1 (%2)").arg(processName(pid)).arg(pid);
    reporter.report(Session::tr("the session ends what is still running: %1")
                        .arg(names.join(QStringLiteral(", "))));
    for (const int pid : left) kill(pid, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + kLeftoverDeadline;
    while (!(left = children.descendants()).empty() && std::chrono::steady_clock::now() < until)
        children.wait(50);
    for (const int pid : left) kill(pid, SIGKILL);
    // A process killed for good is gone once it is reaped.
    const auto killed = std::chrono::steady_clock::now() + kKilledDeadline;
    while (!children.descendants().empty() && std::chrono::steady_clock::now() < killed)
        children.wait(50);
}

}  // namespace

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
    reporter.report(Session::tr("the session starts on display %1")
                        .arg(qEnvironmentVariable("DISPLAY")));
    // The menu and what it starts learn from it that they run in the session.
    qputenv(shellcontract::kSessionVariable, shellcontract::kSessionValue);
    // With no session bus, a Qt program would autolaunch one that outlives the session; the
    // station needs none. A bus the display manager provides is its own to end.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");

    // Whatever leaves the session's process tree, by double fork or setsid, comes back to it
    // when its parent ends, so that the session can end it however it changed its environment.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    // The stop signals from here on; SIGCHLD only after the keyboard's QProcess is done with.
    sigset_t stops = handledSignals();
    sigdelset(&stops, SIGCHLD);
    sigset_t childMask;
    pthread_sigmask(SIG_BLOCK, &stops, &childMask);
    for (const int sig : {SIGTERM, SIGHUP, SIGINT, SIGCHLD}) sigdelset(&childMask, sig);

    keepScreenOn(display);
    setUpKeyboard(config, reporter);

    const sigset_t handled = handledSignals();
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);
    const int signalFd = signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);
    Children children(signalFd);

    pid_t windowManager = -1;
    if (!config.windowManager.isEmpty()) {
        const QString program =
            config.windowManager.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (QStandardPaths::findExecutable(program).isEmpty())
            reporter.report(Session::tr("the window manager %1 is not installed, so help and "
                                        "boxes may not get the keyboard")
                                .arg(program));
        windowManager =
            startInBackground(QStringLiteral("exec ") + config.windowManager, childMask);
        if (windowManager < 0)
            reporter.report(
                Session::tr("the window manager %1 cannot be started").arg(config.windowManager));
    }

    // The shell runs in a child of its own, so that this process is free to reap orphans and
    // to keep deadlines while the menu runs. It keeps the signals blocked; it reads them itself.
    children.wait(0);
    pid_t shell = -1;
    if (!children.stopRequested()) {
        std::fflush(nullptr);
        shell = fork();
        if (shell == 0) {
            close(signalFd);
            const int status = runShell(config, folder, menuCommand, reporter);
            std::fflush(nullptr);
            _exit(status);
        }
    }
    bool passedOn = false;
    auto stopBy = std::chrono::steady_clock::time_point::max();
    while (shell > 0 && !children.ended(shell)) {
        if (children.stopRequested() && !passedOn) {
            kill(shell, SIGTERM);
            passedOn = true;
            stopBy = std::chrono::steady_clock::now() + kShellDeadline;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= stopBy) {
            // A menu or command that ignores SIGTERM must not hold the station; the leftovers
            // below are ended for good.
            reporter.report(Session::tr("what the shell runs did not end within %1 s of the stop; "
                                        "it was killed")
                                .arg(std::chrono::duration_cast<std::chrono::seconds>(
                                         kShellDeadline)
                                         .count()));
            kill(shell, SIGKILL);
            children.waitFor(shell, kKilledDeadline);
            break;
        }
        children.wait(passedOn ? static_cast<int>(
                                     std::chrono::duration_cast<std::chrono::milliseconds>(
                                         stopBy - now)
                                         .count()) +
                                     1
                               : -1);
    }

    if (windowManager > 0 && !endChild(children, windowManager, kWindowManagerDeadline))
        reporter.report(Session::tr("the window manager did not end within %1 s; it was killed")
                            .arg(std::chrono::duration_cast<std::chrono::seconds>(
                                     kWindowManagerDeadline)
                                     .count()));
    endLeftovers(children, reporter);
    if (children.stopRequested())
        reporter.report(Session::tr("the session ends: stopped by signal %1 (%2)")
                            .arg(children.stopSignal())
                            .arg(QString::fromLocal8Bit(strsignal(children.stopSignal()))));
    else
        reporter.report(Session::tr("the session ends: the menu decided to leave"));
    close(signalFd);
    xcb_disconnect(display);
    return 0;
}

}  // namespace station
