#include "Child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

// The report pipe's end, in a child of runWithDeadline only.
int reportEnd = -1;

// Sent last by a child whose checks failed; the parent fails its test on seeing it.
const std::string kChildFailed = "\x1e[a check failed in the child]";

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

[[noreturn]] void childSide(const std::function<std::string()>& body, int out,
                            bool asUnprivileged) {
    reportEnd = out;
    if (asUnprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        reportToParent("could not drop privileges");
        endChild(125);
    }
    try {
        reportToParent(body());
    } catch (const std::exception& e) {
        reportToParent(std::string("exception: ") + e.what());
        endChild(127);
    } catch (...) {
        reportToParent("unknown exception");
        endChild(127);
    }
    endChild(0);
}

// Reads the child's report until it closes the pipe or the deadline passes.
void readReport(int from, long long end, std::string& report) {
    for (;;) {
        const long long left = end - nowMs();
        if (left <= 0) return;
        pollfd fd{from, POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) return;
        if (ready <= 0) continue;
        char chunk[4096];
        const ssize_t n = read(from, chunk, sizeof chunk);
        if (n > 0)
            report.append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            return;
    }
}

// The child's status once it has ended; at the deadline it is killed first.
bool reap(pid_t pid, long long end, int& status) {
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) return false;
        if (nowMs() >= end) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        // The pipe has closed, so the child is in its last steps: a short look again.
        usleep(1000);
    }
}

}  // namespace

ChildResult runWithDeadline(const std::function<std::string()>& body,
                            std::chrono::milliseconds deadline, bool asUnprivileged) {
    ChildResult result;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::fflush(nullptr);  // nothing buffered is written twice
    const long long start = nowMs();
    const long long end = start + deadline.count();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(ends[0]);
        childSide(body, ends[1], asUnprivileged);
    }
    close(ends[1]);
    readReport(ends[0], end, result.report);
    close(ends[0]);

    int status = 0;
    result.finished = reap(pid, end, status);
    result.seconds = static_cast<double>(nowMs() - start) / 1000.0;
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.status = 128 + WTERMSIG(status);
    const std::size_t mark = result.report.rfind(kChildFailed);
    if (mark != std::string::npos) {
        result.report.erase(mark, kChildFailed.size());
        ADD_FAILURE() << "a check failed in the child process (its output is above)";
    }
    return result;
}

void reportToParent(const std::string& text) {
    if (reportEnd >= 0) writeAll(reportEnd, text);
}

void endChild(int status) {
    if (reportEnd < 0 && !::testing::internal::InDeathTestChild()) {
        std::fprintf(stderr,
                     "The process would end here with status %d: run this path in a child "
                     "(runWithDeadline or a death test).\n",
                     status);
        std::abort();
    }
    if (::testing::Test::HasFailure()) reportToParent(kChildFailed);
    std::fflush(nullptr);
    _exit(status);
}
