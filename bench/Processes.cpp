#include "Processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace bench {
namespace {

long long ns(const timeval& t) {
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_usec * 1000LL;
}

std::vector<std::string> environmentWith(
    const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        const std::string name(*e, eq ? static_cast<std::size_t>(eq - *e) : std::strlen(*e));
        bool replaced = false;
        for (const auto& [n, v] : extra) replaced = replaced || n == name;
        if (!replaced) env.emplace_back(*e);
    }
    for (const auto& [n, v] : extra) env.push_back(n + "=" + v);
    return env;
}

void parseReport(const std::string& text, std::map<std::string, std::string>& out) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        const std::size_t space = line.find(' ');
        if (space != std::string::npos) out[line.substr(0, space)] = line.substr(space + 1);
        at = end + 1;
    }
}

}  // namespace

long long reapedChildrenCpuNs() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    return ns(ru.ru_utime) + ns(ru.ru_stime);
}

long long ChildRun::number(const std::string& key) const {
    auto it = report.find(key);
    if (it == report.end()) return -1;
    return std::strtoll(it->second.c_str(), nullptr, 10);
}

ChildRun runChild(const ChildCommand& command) {
    int out[2] = {-1, -1};
    if (command.captureReport && pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (command.captureReport)
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, command.stderrFile.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (!command.cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, command.cwd.c_str());

    std::vector<char*> argv;
    for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env = environmentWith(command.env);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    ChildRun run;
    pid_t pid = -1;
    run.spawnNs = monotonicNs();
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (out[1] >= 0) close(out[1]);
    if (rc != 0) {
        if (out[0] >= 0) close(out[0]);
        throw std::runtime_error("cannot start " + command.argv[0] + ": " + std::strerror(rc));
    }

    // Woken by the child's end through a pidfd; where there is none (under valgrind), the wait
    // looks every millisecond.
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    const long long deadline = run.spawnNs + static_cast<long long>(command.deadlineMs) * 1000000LL;
    std::string text;
    bool exited = false;
    int readFd = out[0];
    int status = 0;
    rusage ru{};
    while (!exited) {
        const long long left = (deadline - monotonicNs()) / 1000000LL;
        if (left <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{readFd, POLLIN, 0}, {pidFd, POLLIN, 0}};
        const int wait = pidFd >= 0 ? static_cast<int>(std::min(left, 1000LL)) : 1;
        const int n = poll(fds, 2, wait);
        if (n < 0 && errno != EINTR) break;
        if (readFd >= 0 && (fds[0].revents & (POLLIN | POLLHUP))) {
            char buffer[4096];
            const ssize_t got = read(readFd, buffer, sizeof buffer);
            if (got > 0) {
                text.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0) {
                close(readFd);
                readFd = -1;
            }
        }
        if (pidFd >= 0 ? (fds[1].revents & POLLIN) != 0
                       : wait4(pid, &status, WNOHANG, &ru) == pid) {
            exited = true;
            if (pidFd < 0) pid = -1;  // already reaped
        }
    }
    while (pid > 0 && wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
    }
    run.wallNs = monotonicNs() - run.spawnNs;
    if (pidFd >= 0) close(pidFd);
    // What the child wrote last may still be in the pipe; a grandchild holding it open must
    // not keep this waiting.
    if (readFd >= 0) {
        fcntl(readFd, F_SETFL, fcntl(readFd, F_GETFL) | O_NONBLOCK);
        char buffer[4096];
        ssize_t got;
        while ((got = read(readFd, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        close(readFd);
    }
    run.cpuNs = ns(ru.ru_utime) + ns(ru.ru_stime);
    if (!run.timedOut && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    parseReport(text, run.report);
    return run;
}

std::string binDir() {
    std::string self(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size());
    if (n <= 0) return ".";
    self.resize(static_cast<std::size_t>(n));
    return self.substr(0, self.rfind('/'));
}

}  // namespace bench
