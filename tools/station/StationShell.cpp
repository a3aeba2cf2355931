#include "StationShell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <thread>

namespace station {
namespace {

struct Shell {
    Q_DECLARE_TR_FUNCTIONS(Shell)
};

constexpr const char* kHandOffFile = "vdm_out.txt";
// A menu that fails within this time of its start counts as failing at once.
constexpr auto kQuickFailure = std::chrono::seconds(10);
// The first failures in a row restart the menu at once: a crash now and then must not keep a
// student waiting.
constexpr int kFailuresBeforePause = 3;

struct Ending {
    bool started = true;
    bool signaled = false;
    int code = 0;  // exit status, or the signal
};

// /bin/sh -c command in folder, waited for; the child shares the shell's terminal and
// environment.
Ending runInFolder(const QString& command, const QString& folder) {
    const QByteArray cmd = command.toLocal8Bit();
    const QByteArray dir = QFile::encodeName(folder);
    const pid_t pid = fork();
    if (pid < 0) return Ending{false, false, errno};
    if (pid == 0) {
        if (chdir(dir.constData()) != 0) _exit(127);
        execl("/bin/sh", "sh", "-c", cmd.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return Ending{false, false, errno};
    }
    if (WIFSIGNALED(status)) return Ending{true, true, WTERMSIG(status)};
    // /bin/sh tells a command killed by signal n as the status 128 + n.
    const int code = WEXITSTATUS(status);
    if (code > 128 && code < 128 + NSIG) return Ending{true, true, code - 128};
    return Ending{true, false, code};
}

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
        for (;;) {
            const bool removed = removeOldDecision();
            const auto started = std::chrono::steady_clock::now();
            const Ending end = runInFolder(menu_, folder_);
            const std::optional<char> decision = readDecision(end, removed);
            if (!decision) {
                pauseAfterFailure(std::chrono::steady_clock::now() - started);
                continue;
            }
            failures_ = 0;
            if (*decision == '0') return 0;
            act(*decision);
        }
    }

private:
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
        if (bytes.size() != 1 || !QByteArray("0125").contains(bytes[0])) {
            reporter_.report(Shell::tr("the menu left an unknown decision \"%1\" in %2; it is "
                                       "started again")
                                 .arg(shown(bytes), QLatin1String(kHandOffFile)));
            return std::nullopt;
        }
        return bytes[0];
    }

    void act(char decision) {
        const char* key = nullptr;
        const QString* command = nullptr;
        switch (decision) {
            case '1':
                key = "return";
                command = &config_.back;
                break;
            case '2':
                key = "trainer";
                command = &config_.trainer;
                break;
            case '5':
                key = "exercises";
                command = &config_.exercises;
                break;
            default: return;
        }
        if (command->isEmpty()) {
            // Return needs nothing: the menu comes back.
            if (decision != '1')
                reporter_.report(Shell::tr("decision %1: no command is configured (%2=); the "
                                           "menu is started again")
                                     .arg(QLatin1Char(decision))
                                     .arg(QLatin1String(key)));
            return;
        }
        const Ending end = runInFolder(*command, folder_);
        if (!ok(end))
            reporter_.report(Shell::tr("decision %1: the command %2=%3 %4; the menu is started "
                                       "again")
                                 .arg(QLatin1Char(decision))
                                 .arg(QLatin1String(key), *command, describe(end)));
    }

    // A menu that keeps dying at once would otherwise spin; the pause grows, bounded by the
    // configuration, and the menu always comes back.
    void pauseAfterFailure(std::chrono::steady_clock::duration ran) {
        if (ran >= kQuickFailure) {
            failures_ = 0;
            return;
        }
        ++failures_;
        if (failures_ < kFailuresBeforePause || config_.pauseLimit <= 0) return;
        const int doubling = std::min(failures_ - kFailuresBeforePause, 12);
        const int seconds = std::min(1 << doubling, config_.pauseLimit);
        reporter_.report(Shell::tr("the menu failed %1 times in a row; it is started again in %2 s")
                             .arg(failures_)
                             .arg(seconds));
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    }

    const StationConfig& config_;
    QString folder_;
    QString menu_;
    Reporter& reporter_;
    int failures_ = 0;
};

}  // namespace

int runShell(const StationConfig& config, const QString& folder, const QString& menuCommand,
             Reporter& reporter) {
    return Station(config, folder, menuCommand, reporter).run();
}

}  // namespace station
