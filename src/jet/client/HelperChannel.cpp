#include "HelperChannel.h"

#include "ErrorText.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

extern char** environ;

namespace jet {
namespace {

// The helper prints nothing in normal work; a few KB are enough to see what went wrong.
constexpr std::size_t kOutputCap = 4096;
// Per wake-up, so a helper flooding its stderr cannot keep the deadline from being looked at.
constexpr std::size_t kDrainPerWake = 1u << 20;
// A killed helper is normally reaped at once; this only bounds the wait for one stuck in the
// kernel.
constexpr int kReapMs = 2000;

std::atomic<std::uint64_t> gSerial{0};

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int remainingMs(long long deadline) {
    const long long left = deadline - nowMs();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Pipe ends live above the fds the helper is given (0 to 4), so that no dup2 in the spawn can
// overwrite an end it still has to move.
bool pipeAboveStdio(int ends[2]) {
    int raw[2];
    if (pipe2(raw, O_CLOEXEC) != 0) return false;
    for (int i = 0; i < 2; ++i) {
        ends[i] = fcntl(raw[i], F_DUPFD_CLOEXEC, 10);
        ::close(raw[i]);
    }
    if (ends[0] >= 0 && ends[1] >= 0) return true;
    closeFd(ends[0]);
    closeFd(ends[1]);
    return false;
}

void setNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// A write to a helper that has just died must not end the program with SIGPIPE. The signal is
// blocked on this thread for the write, and one it raised is taken off again.
class SigpipeGuard {
public:
    SigpipeGuard() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &set_, &old_);
    }
    ~SigpipeGuard() {
        if (!wasPending_) {
            const timespec zero{};
            while (sigtimedwait(&set_, nullptr, &zero) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t set_;
    sigset_t old_;
    bool wasPending_ = false;
};

Error::Code codeOf(protocol::Failure f) {
    switch (f) {
        case protocol::Failure::CannotOpenFile: return Error::Code::CannotOpenFile;
        case protocol::Failure::NotADatabase: return Error::Code::NotADatabase;
        case protocol::Failure::TableNotFound: return Error::Code::TableNotFound;
        case protocol::Failure::TableUnreadable: return Error::Code::TableUnreadable;
        case protocol::Failure::DamagedData: return Error::Code::DamagedData;
        case protocol::Failure::ColumnNotFound: return Error::Code::ColumnNotFound;
        case protocol::Failure::ColumnWrongKind: return Error::Code::ColumnWrongKind;
        case protocol::Failure::Encrypted: return Error::Code::Encrypted;
        case protocol::Failure::BadRequest: break;
    }
    return Error::Code::MalformedReply;
}

}  // namespace

std::string HelperChannel::helperPathFor(const std::string& programPath) {
    const auto slash = programPath.rfind('/');
    if (slash == std::string::npos) return {};
    const std::string dir = programPath.substr(0, slash + 1);
    const std::string installed = dir + RULEVION_HELPER_FROM_BINDIR "/" RULEVION_HELPER_NAME;
    if (access(installed.c_str(), X_OK) == 0) return installed;
    return dir + RULEVION_HELPER_NAME;
}

std::string HelperChannel::defaultHelperPath() {
    std::string self(PATH_MAX, '\0');
    const ssize_t n = readlink("/proc/self/exe", self.data(), self.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= self.size()) return {};
    self.resize(static_cast<std::size_t>(n));
    return helperPathFor(self);
}

HelperChannel::HelperChannel(const Limits& limits) : limits_(limits), serial_(++gSerial) {
    const std::string path = limits.helperPath.empty() ? defaultHelperPath() : limits.helperPath;
    if (path.empty()) throw makeError(Error::Code::HelperMissing);

    int request[2] = {-1, -1};
    int reply[2] = {-1, -1};
    int output[2] = {-1, -1};
    auto closeAll = [&] {
        for (int* p : {request, reply, output}) {
            closeFd(p[0]);
            closeFd(p[1]);
        }
    };
    if (!pipeAboveStdio(request) || !pipeAboveStdio(reply) || !pipeAboveStdio(output)) {
        closeAll();
        throw makeError(Error::Code::HelperMissing);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    posix_spawn_file_actions_adddup2(&actions, request[0], protocol::kRequestFd);
    posix_spawn_file_actions_adddup2(&actions, reply[1], protocol::kReplyFd);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Whatever else the program has open (its own files, sockets without close-on-exec) stays
    // out of the helper.
    posix_spawn_file_actions_addclosefrom_np(&actions, protocol::kReplyFd + 1);
#endif

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const std::string as =
        std::to_string(limits.addressSpaceBytes > 0 ? limits.addressSpaceBytes : 1);
    const std::string cpu = std::to_string(limits.cpuSeconds > 0 ? limits.cpuSeconds : 1);
    std::vector<char*> argv = {const_cast<char*>(path.c_str()), const_cast<char*>(as.c_str()),
                               const_cast<char*>(cpu.c_str()), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    closeFd(request[0]);
    closeFd(reply[1]);
    closeFd(output[1]);
    if (rc != 0) {
        closeAll();
        throw makeError(Error::Code::HelperMissing);
    }
    pid_ = pid;
    requestFd_ = request[1];
    replyFd_ = reply[0];
    outputFd_ = output[0];
    setNonBlocking(requestFd_);
    setNonBlocking(replyFd_);
    setNonBlocking(outputFd_);
}

HelperChannel::~HelperChannel() {
    stop();
}

protocol::Reply HelperChannel::call(const protocol::Request& request) {
    if (!alive()) throw makeError(Error::Code::NotOpen);
    const long long deadline = nowMs() + std::max(limits_.replyTimeoutMs, 1);
    sendRequest(protocol::frame(protocol::encode(request)), deadline);
    const std::string payload = receivePayload(deadline);
    std::optional<protocol::Reply> reply = protocol::decodeReply(payload);
    if (!reply) abandon(Error::Code::MalformedReply);
    return std::move(*reply);
}

protocol::Reply HelperChannel::call(const protocol::Request& request, protocol::ReplyType expected,
                                    const std::string& nameCp1251) {
    protocol::Reply reply = call(request);
    if (reply.type == expected) return reply;
    if (reply.type == protocol::ReplyType::Failed) {
        const Error::Code code = codeOf(reply.failure);
        // A helper that misunderstood a request is out of step with the program.
        if (code == Error::Code::MalformedReply) abandon(code);
        if (code == Error::Code::ColumnNotFound || code == Error::Code::ColumnWrongKind) {
            // Only a recordset names columns, and only those it was asked for.
            if (request.type != protocol::RequestType::Recordset ||
                reply.column >= request.columns.size())
                abandon(Error::Code::MalformedReply);
            throw makeError(code, request.columns[reply.column].name, reply.columnType);
        }
        throw makeError(code, nameCp1251);
    }
    abandon(Error::Code::MalformedReply);
}

void HelperChannel::abandon(Error::Code code) {
    stop();
    // Whoever reads the log learns how the helper ended: an abort is not a refused system call.
    if (code == Error::Code::HelperCrashed && ended_)
        std::fprintf(stderr, "%s: the database reader helper %s\n", program_invocation_short_name,
                     endingText(endStatus_).c_str());
    throw makeError(code);
}

std::string HelperChannel::endingText(int status) {
    if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
    if (!WIFSIGNALED(status)) return "ended";
    const int signal = WTERMSIG(status);
    if (signal == SIGABRT) return "aborted";
    const char* name = strsignal(signal);
    const std::string what = std::to_string(signal) + " (" + (name ? name : "?") + ")";
    if (signal == SIGSYS) return "was killed by its sandbox, signal " + what;
    return "was killed by signal " + what;
}

void HelperChannel::sendRequest(const std::string& bytes, long long deadline) {
    // Anything the helper sent unasked means it is not answering what it is asked.
    char stray;
    if (frames_.pending() != 0 || read(replyFd_, &stray, 1) == 1)
        abandon(Error::Code::MalformedReply);

    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n;
        int error;
        {
            SigpipeGuard guard;
            n = write(requestFd_, bytes.data() + sent, bytes.size() - sent);
            error = errno;
        }
        errno = error;
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) abandon(Error::Code::HelperCrashed);
        pollfd fds[2] = {{requestFd_, POLLOUT, 0}, {outputFd_, POLLIN, 0}};
        const int wait = remainingMs(deadline);
        if (wait == 0) abandon(Error::Code::HelperTimedOut);
        if (poll(fds, outputFd_ >= 0 ? 2 : 1, wait) < 0 && errno != EINTR)
            abandon(Error::Code::HelperCrashed);
        if (fds[1].revents) drainOutput();
    }
}

std::string HelperChannel::receivePayload(long long deadline) {
    // Left uninitialised: a scan reads a few dozen replies, and zeroing the buffer for each cost
    // more than decoding one.
    constexpr std::size_t kChunk = 64u << 10;
    const std::unique_ptr<char[]> chunk(new char[kChunk]);
    for (;;) {
        if (std::optional<std::string> payload = frames_.next()) {
            if (frames_.pending() != 0) abandon(Error::Code::MalformedReply);
            return std::move(*payload);
        }
        if (frames_.failed()) abandon(Error::Code::MalformedReply);

        pollfd fds[2] = {{replyFd_, POLLIN, 0}, {outputFd_, POLLIN, 0}};
        const int wait = remainingMs(deadline);
        if (wait == 0) abandon(Error::Code::HelperTimedOut);
        const int ready = poll(fds, outputFd_ >= 0 ? 2 : 1, wait);
        if (ready < 0 && errno != EINTR) abandon(Error::Code::HelperCrashed);
        if (ready <= 0) continue;
        if (fds[1].revents) drainOutput();
        if (fds[0].revents) {
            const ssize_t n = read(replyFd_, chunk.get(), kChunk);
            if (n > 0) {
                frames_.feed(std::string_view(chunk.get(), static_cast<std::size_t>(n)));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                // The helper closed its reply pipe: it exited or was killed by a signal.
                abandon(Error::Code::HelperCrashed);
            }
        }
    }
}

void HelperChannel::drainOutput() {
    char chunk[16 << 10];
    std::size_t drained = 0;
    while (outputFd_ >= 0 && drained < kDrainPerWake) {
        const ssize_t n = read(outputFd_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return;  // nothing more for now
        if (n == 0) {
            closeFd(outputFd_);
            return;
        }
        const auto got = static_cast<std::size_t>(n);
        if (output_.size() < kOutputCap)
            output_.append(chunk, std::min(got, kOutputCap - output_.size()));
        outputBytes_ += got;
        drained += got;
    }
}

void HelperChannel::stop() {
    if (pid_ > 0) {
        // A helper that already ended keeps its own status; SIGKILL is ours only when it had not.
        int status = 0;
        ended_ = waitpid(pid_, &status, WNOHANG) == pid_;
        if (ended_) {
            pid_ = -1;
        } else {
            kill(pid_, SIGKILL);
            status = reap();
            // Killed while it was on its way out, it ended as it was going to.
            ended_ = !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        }
        endStatus_ = status;
    }
    if (outputFd_ >= 0) drainOutput();
    closeFd(requestFd_);
    closeFd(replyFd_);
    closeFd(outputFd_);
}

int HelperChannel::reap() {
    const long long deadline = nowMs() + kReapMs;
    int status = 0;
    for (int pause = 0;;) {
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) break;
        // Not reaped: it counts as killed.
        status = W_EXITCODE(0, SIGKILL);
        if (r < 0 && errno == ECHILD) break;
        if (r < 0 && errno == EINTR) continue;
        if (nowMs() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        pause = std::min(pause * 2 + 50, 20000);
    }
    pid_ = -1;
    return status;
}

}  // namespace jet
