#include "StationShell.h"

#include "ShellContract.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <vector>

extern char** environ;

namespace station {
namespace {

struct Shell {
    Q_DECLARE_TR_FUNCTIONS(Shell)
};

using shellcontract::HandOffCode;
using shellcontract::kHandOffFile;

constexpr char code(HandOffCode c) {
    return static_cast<char>(c);
}
// A menu that fails within this time of its start counts as failing at once.
constexpr auto kQuickFailure = std::chrono::seconds(10);
// No student decides this fast: a menu that ends so soon failed whatever it wrote (its fatal
// exit writes "1", e.g. when it cannot reach the display).
constexpr auto kQuickDecision = std::chrono::seconds(2);
// The first failures in a row restart the menu at once: a crash now and then must not keep a
// student waiting.
constexpr int kFailuresBeforePause = 3;

struct Ending {
    bool started = true;
    bool signaled = false;
    int code = 0;  // exit status, or the signal
};

// The stop signals and SIGCHLD, read from a descriptor rather than caught: one that arrives
// between two looks is kept until it is read, so no stop is lost and no end of a child missed.
class Signals {
public:
    Signals() {
        sigset_t handled;
        sigemptyset(&handled);
        for (const int sig : {SIGTERM, SIGHUP, SIGINT, SIGCHLD}) sigaddset(&handled, sig);
        pthread_sigmask(SIG_BLOCK, &handled, &entry_);
        // What the children start with: nothing of these blocked, whatever this process had.
        childMask_ = entry_;
        for (const int sig : {SIGTERM, SIGHUP, SIGINT, SIGCHLD}) sigdelset(&childMask_, sig);
        fd_ = signalfd(-1, &handled, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~Signals() {
        if (fd_ >= 0) close(fd_);
        pthread_sigmask(SIG_SETMASK, &entry_, nullptr);
    }
    Signals(const Signals&) = delete;
    Signals& operator=(const Signals&) = delete;

    // Waits up to timeoutMs (-1: for ever) for a signal (a stop, or a child's end) or for extra
    // to be readable, and reads the signals that came.
    void wait(int timeoutMs, int extra = -1) {
        // Without its descriptor (signalfd failed) the shell still looks every 100 ms.
        if (fd_ < 0 && (timeoutMs < 0 || timeoutMs > 100)) timeoutMs = 100;
        pollfd fds[2] = {{fd_, POLLIN, 0}, {extra, POLLIN, 0}};
        if (poll(fds, extra >= 0 ? 2 : 1, timeoutMs) <= 0) return;
        signalfd_siginfo info{};
        while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            if (info.ssi_signo != SIGCHLD) stop_ = true;
    }
    bool stopRequested() const { return stop_; }
    // In a child before exec: the signals as the command expects them.
    void restoreInChild() const { pthread_sigmask(SIG_SETMASK, &childMask_, nullptr); }

private:
    sigset_t entry_;
    sigset_t childMask_;
    int fd_ = -1;
    bool stop_ = false;
};

// The environment a child gets: the shell's, with each of the contract's variables the shell
// sets removed, then those in set added. Built before fork, since the child may only exec.
std::vector<QByteArray> childEnvironment(const std::vector<std::pair<const char*, QByteArray>>& set) {
    std::vector<QByteArray> env;
    const QByteArray failed = QByteArray(shellcontract::kFailedVariable) + '=';
    const QByteArray fatal = QByteArray(shellcontract::kFatalEndVariable) + '=';
    for (char** e = environ; *e; ++e) {
        const QByteArray variable(*e);
        if (!variable.startsWith(failed) && !variable.startsWith(fatal)) env.push_back(variable);
    }
    for (const auto& [name, value] : set)
        if (!value.isEmpty()) env.push_back(QByteArray(name) + '=' + value);
    return env;
}

// A pipe the shell keeps for its whole life; its read end never blocks.
struct Pipe {
    Pipe() {
        if (pipe2(fds, O_CLOEXEC) == 0)
            fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        else
            fds[0] = fds[1] = -1;
    }
    ~Pipe() {
        for (const int fd : fds)
            if (fd >= 0) close(fd);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return fds[0]; }
    int writeEnd() const { return fds[1]; }
    // What has come so far.
    QByteArray readAvailable() const {
        QByteArray bytes;
        char buffer[4096];
        ssize_t n;
        while (fds[0] >= 0 && (n = read(fds[0], buffer, sizeof buffer)) > 0) bytes.append(buffer, n);
        return bytes;
    }
    int fds[2];
};

// The last lines of what a child wrote to stderr, bounded, for the log.
class ErrorTail {
public:
    static constexpr qsizetype kBytes = 4096;
    static constexpr int kLines = 20;

    void clear() {
        bytes_.clear();
        cut_ = false;
    }
    void append(const QByteArray& more) {
        bytes_ += more;
        if (bytes_.size() > kBytes) {
            bytes_.remove(0, bytes_.size() - kBytes);
            cut_ = true;
        }
    }
    // One line each, indented; control characters shown as "?". Empty when nothing came.
    QString lines() const {
        QStringList kept;
        bool first = true;
        for (const QByteArray& raw : bytes_.split('\n')) {
            QString line = QString::fromUtf8(raw);
            // Begun before the part that was kept.
            if (first && cut_) line.prepend(QStringLiteral("…"));
            first = false;
            for (QChar& c : line)
                if (c.category() == QChar::Other_Control && c != QLatin1Char('\t'))
                    c = QLatin1Char('?');
            line = line.trimmed();
            if (!line.isEmpty()) kept << QStringLiteral("  ") + line;
        }
        if (kept.size() > kLines) kept = kept.mid(kept.size() - kLines);
        return kept.join(QLatin1Char('\n'));
    }

private:
    QByteArray bytes_;
    bool cut_ = false;
};

QString describe(const Ending& end) {
    if (!end.started)
        return Shell::tr("could not be started (%1)")
            .arg(QString::fromLocal8Bit(std::strerror(end.code)));
    if (end.signaled)
        return Shell::tr("ended by signal %1 (%2)")
            .arg(end.code)
            .arg(QString::fromLocal8Bit(strsignal(end.code)));
    // The shell's own statuses for a command it could not find or run.
    if (end.code == 127) return Shell::tr("could not be started (command not found)");
    if (end.code == 126) return Shell::tr("could not be started (not executable)");
    return Shell::tr("ended with status %1").arg(end.code);
}

bool ok(const Ending& end) {
    return end.started && !end.signaled && end.code == 0;
}

QString shown(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        text += u >= 0x20 && u < 0x7f ? QString(QLatin1Char(c))
                                      : QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return text;
}

class Station {
public:
    Station(const StationConfig& config, const QString& folder, const QString& menu,
            Reporter& reporter)
        : config_(config), folder_(folder), menu_(menu), reporter_(reporter) {}

    int run() {
        if (!QDir(folder_).exists())
            reporter_.report(Shell::tr("the station folder %1 does not exist").arg(folder_));
        QByteArray failed;
        signals_.wait(0);
        while (!signals_.stopRequested()) {
            const bool removed = removeOldDecision();
            const auto started = std::chrono::steady_clock::now();
            const Ending end = runInFolder(menu_, true, failed);
            failed.clear();
            if (signals_.stopRequested()) break;
            reportFatalEnd();
            const auto ran = std::chrono::steady_clock::now() - started;
            const std::optional<char> decision = readDecision(end, removed);
            if (!decision) {
                pauseAfterFailure(ran < kQuickFailure);
                continue;
            }
            const bool quick = ran < kQuickDecision;
            if (*decision == code(HandOffCode::Leave)) return 0;
            failed = act(*decision);
            pauseAfterFailure(quick);
        }
        return 0;
    }

private:
    // /bin/sh -c command in the folder, waited for. Its stderr passes through the shell's, and
    // its last lines are kept for the log. A stop request passes SIGTERM on to it. The menu
    // (asMenu) also gets the descriptor on which it tells of a fatal end.
    Ending runInFolder(const QString& command, bool asMenu, const QByteArray& failed = {}) {
        const QByteArray cmd = command.toLocal8Bit();
        const QByteArray dir = QFile::encodeName(folder_);
        std::vector<std::pair<const char*, QByteArray>> set{{shellcontract::kFailedVariable, failed}};
        if (asMenu && fatal_.writeEnd() >= 0)
            set.emplace_back(shellcontract::kFatalEndVariable, QByteArray::number(fatal_.writeEnd()));
        std::vector<QByteArray> env = childEnvironment(set);
        std::vector<char*> envp;
        for (QByteArray& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        tail_.clear();
        fatal_.readAvailable();  // an earlier run's, which was told already
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid < 0) return Ending{false, false, errno};
        if (pid == 0) {
            signals_.restoreInChild();
            if (errors_.writeEnd() >= 0) dup2(errors_.writeEnd(), STDERR_FILENO);
            if (asMenu && fatal_.writeEnd() >= 0) fcntl(fatal_.writeEnd(), F_SETFD, 0);
            if (chdir(dir.constData()) != 0) _exit(127);
            const char* argv[] = {"sh", "-c", cmd.constData(), nullptr};
            execve("/bin/sh", const_cast<char* const*>(argv), envp.data());
            _exit(127);
        }
        int status = 0;
        bool passedOn = false;
        for (;;) {
            passErrorsOn();
            const pid_t ended = waitpid(pid, &status, WNOHANG);
            if (ended == pid) break;
            if (ended < 0 && errno != EINTR) return Ending{false, false, errno};
            if (signals_.stopRequested() && !passedOn) {
                kill(pid, SIGTERM);
                passedOn = true;
            }
            signals_.wait(-1, errors_.readEnd());
        }
        passErrorsOn();
        if (WIFSIGNALED(status)) return Ending{true, true, WTERMSIG(status)};
        // /bin/sh tells a command killed by signal n as the status 128 + n.
        const int code = WEXITSTATUS(status);
        if (code > 128 && code < 128 + NSIG) return Ending{true, true, code - 128};
        return Ending{true, false, code};
    }

    // What the children wrote to stderr so far: on to the shell's own, and into the tail.
    void passErrorsOn() {
        const QByteArray bytes = errors_.readAvailable();
        if (bytes.isEmpty()) return;
        tail_.append(bytes);
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = write(STDERR_FILENO, bytes.constData() + done,
                                    static_cast<size_t>(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
    }

    // After a report of a failure: what the failed program itself said.
    void reportErrorTail() {
        const QString lines = tail_.lines();
        if (!lines.isEmpty())
            reporter_.report(Shell::tr("the last lines it wrote to stderr:\n%1").arg(lines));
    }

    // How the menu said it ended, when it ended through its fatal exit or its crash guard.
    void reportFatalEnd() {
        const QByteArray told = fatal_.readAvailable();
        if (told.contains(static_cast<char>(shellcontract::FatalEnd::Crash))) {
            reporter_.report(Shell::tr("the menu failed and its crash guard ended it"));
            reportErrorTail();
        } else if (told.contains(static_cast<char>(shellcontract::FatalEnd::ErrorBox))) {
            reporter_.report(Shell::tr("the menu ended through its fatal exit, after its error box"));
            reportErrorTail();
        }
    }

    QString handOffPath() const { return QDir(folder_).filePath(QLatin1String(kHandOffFile)); }

    // An old decision left in place would be taken for the next one.
    bool removeOldDecision() {
        const QByteArray path = QFile::encodeName(handOffPath());
        if (unlink(path.constData()) == 0 || errno == ENOENT) return true;
        reporter_.report(Shell::tr("the old decision %1 cannot be removed (%2); the menu's next "
                                   "decision cannot be told from it")
                             .arg(handOffPath(), QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }

    std::optional<char> readDecision(const Ending& end, bool removed) {
        if (!ok(end)) {
            reporter_.report(Shell::tr("the menu %1; it is started again").arg(describe(end)));
            reportErrorTail();
            return std::nullopt;
        }
        if (!removed) return std::nullopt;
        QFile file(handOffPath());
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly)) bytes = file.read(16);
        if (bytes.isEmpty()) {
            reporter_.report(Shell::tr("the menu left no decision in %1; it is started again")
                                 .arg(QLatin1String(kHandOffFile)));
            return std::nullopt;
        }
        if (bytes.size() != 1 || !shellcontract::isHandOffCode(bytes[0])) {
            reporter_.report(Shell::tr("the menu left an unknown decision \"%1\" in %2; it is "
                                       "started again")
                                 .arg(shown(bytes), QLatin1String(kHandOffFile)));
            return std::nullopt;
        }
        return bytes[0];
    }

    // Returns the name of the command that failed, for the menu to show, or nothing.
    QByteArray act(char decision) {
        const char* key = nullptr;  // the configuration's
        const char* failed = nullptr;  // what the menu is told after a failure
        const QString* command = nullptr;
        switch (static_cast<HandOffCode>(decision)) {
            case HandOffCode::Return:
                key = "return";
                command = &config_.back;
                break;
            case HandOffCode::Trainer:
                key = "trainer";
                failed = shellcontract::kFailedTrainer;
                command = &config_.trainer;
                break;
            case HandOffCode::Driving:
                key = "exercises";
                failed = shellcontract::kFailedExercises;
                command = &config_.exercises;
                break;
            default: return {};
        }
        if (command->isEmpty()) {
            // Return needs nothing: the menu comes back.
            if (!failed) return {};
            reporter_.report(Shell::tr("decision %1: no command is configured (%2=); the "
                                       "menu is started again")
                                 .arg(QLatin1Char(decision))
                                 .arg(QLatin1String(key)));
            return failed;
        }
        const Ending end = runInFolder(*command, false);
        if (ok(end) || signals_.stopRequested()) return {};
        reporter_.report(Shell::tr("decision %1: the command %2=%3 %4; the menu is started "
                                   "again")
                             .arg(QLatin1Char(decision))
                             .arg(QLatin1String(key), *command, describe(end)));
        reportErrorTail();
        return failed ? QByteArray(failed) : QByteArray();
    }

    // A menu that keeps dying at once would otherwise spin; the pause grows, bounded by the
    // configuration, and the menu always comes back.
    void pauseAfterFailure(bool quick) {
        if (!quick) {
            failures_ = 0;
            return;
        }
        ++failures_;
        if (failures_ < kFailuresBeforePause || config_.pauseLimit <= 0) return;
        const int doubling = std::min(failures_ - kFailuresBeforePause, 12);
        const int seconds = std::min(1 << doubling, config_.pauseLimit);
        reporter_.report(
            Shell::tr("the menu failed or ended within %1 s of its start %2 times in "
                      "a row; it is started again in %3 s")
                .arg(std::chrono::duration_cast<std::chrono::seconds>(kQuickDecision).count())
                .arg(failures_)
                .arg(seconds));
        // A stop request ends the pause at once.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        for (auto now = std::chrono::steady_clock::now(); !signals_.stopRequested() && now < until;
             now = std::chrono::steady_clock::now())
        {
            signals_.wait(static_cast<int>(
                              std::chrono::duration_cast<std::chrono::milliseconds>(until - now)
                                  .count()) +
                              1,
                          errors_.readEnd());
            passErrorsOn();
        }
    }

    const StationConfig& config_;
    QString folder_;
    QString menu_;
    Reporter& reporter_;
    Signals signals_;
    Pipe errors_;  // every child's stderr
    Pipe fatal_;   // the menu's word on a fatal end
    ErrorTail tail_;
    int failures_ = 0;
};

}  // namespace

int runShell(const StationConfig& config, const QString& folder, const QString& menuCommand,
             Reporter& reporter) {
    return Station(config, folder, menuCommand, reporter).run();
}

}  // namespace station
