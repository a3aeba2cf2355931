// The helper's sandbox, entered in a child process: what a reader of one open file needs goes on
// working, an abort ends it as an abort, anything else ends the process with SIGSYS at that very
// call: with that one call let through, the same child is not killed by the sandbox.
#include "Sandbox.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "AddressSanitizer.h"

namespace {

// The fds the child restricts itself to, and one it may not use.
struct Fds {
    int request;
    int reply;
    int database;
    int other;
};

// A pid and a thread id no process has (above the kernel's largest).
constexpr long kNobody = 0x3FFFFFFF;

enum class Ending { Works, Aborts, Refused };

struct SandboxCase {
    const char* name;
    Ending ending;
    // Runs in the child after the sandbox; returns false when an allowed call failed.
    bool (*act)(const Fds&);
    // Refused cases: the one call the act makes that the sandbox refuses.
    long call = -1;
    // Which fds may be written is checked only where the sanitizers are not in: their runtime
    // needs pipes of its own.
    bool fdCheck = false;
};

void PrintTo(const SandboxCase& c, std::ostream* os) {
    *os << c.name;
}

const SandboxCase kCases[] = {
    {"readsAndSizesTheDatabase", Ending::Works,
     [](const Fds& f) {
         char page[16];
         return pread(f.database, page, sizeof page, 0) == sizeof page &&
                lseek(f.database, 0, SEEK_END) == 4096;
     }},
    {"readsRequestsAndWritesReplies", Ending::Works,
     [](const Fds& f) {
         char c = 0;
         return read(f.request, &c, 1) == 1 && c == 'q' && write(f.reply, "r", 1) == 1 &&
                write(STDERR_FILENO, "", 0) == 0;
     }},
    {"allocatesAndFreesMemory", Ending::Works,
     [](const Fds&) {
         std::vector<char> big(64u << 20, 'x');
         void* run = std::aligned_alloc(2u << 20, 4u << 20);
         const bool advised = run && madvise(run, 4u << 20, MADV_HUGEPAGE) == 0;
         std::free(run);
         big.resize(96u << 20);
         return advised && big[1000] == 'x';
     }},
    {"throwsAndCatches", Ending::Works,
     [](const Fds&) {
         try {
             throw std::runtime_error("damaged");
         } catch (const std::exception& e) {
             return std::strcmp(e.what(), "damaged") == 0;
         }
     }},
    {"closesAFd", Ending::Works, [](const Fds& f) { return close(f.other) == 0; }},
    {"aborts", Ending::Aborts,
     [](const Fds&) {
         std::abort();
         return false;
     }},
    {"abortsWithSigabrtBlocked", Ending::Aborts,
     [](const Fds&) {
         sigset_t abrt;
         sigemptyset(&abrt);
         sigaddset(&abrt, SIGABRT);
         sigprocmask(SIG_BLOCK, &abrt, nullptr);
         std::abort();
         return false;
     }},
    {"opensAFile", Ending::Refused,
     [](const Fds&) { return ::open("/dev/null", O_RDONLY | O_CLOEXEC) >= 0; }, SYS_openat},
    // A program that is not there: let through, the call fails rather than start a program
    // that the sandbox then kills.
    {"startsAProgram", Ending::Refused,
     [](const Fds&) { return execl("/nonexistent", "x", static_cast<char*>(nullptr)) == 0; },
     SYS_execve},
    {"forks", Ending::Refused, [](const Fds&) { return fork() >= 0; }, SYS_clone},
    {"opensASocket", Ending::Refused,
     [](const Fds&) { return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0; }, SYS_socket},
    {"readsAnotherFd", Ending::Refused,
     [](const Fds& f) {
         char c;
         return pread(f.other, &c, 1, 0) == 1;
     },
     SYS_pread64},
    {"writesToTheDatabase", Ending::Refused,
     [](const Fds& f) { return write(f.database, "x", 1) == 1; }, SYS_write, true},
    {"mapsExecutableMemory", Ending::Refused,
     [](const Fds&) {
         return mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) !=
                MAP_FAILED;
     },
     SYS_mmap},
    {"makesMemoryExecutable", Ending::Refused,
     [](const Fds&) {
         void* p = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
         return p != MAP_FAILED && mprotect(p, 4096, PROT_READ | PROT_EXEC) == 0;
     },
     SYS_mprotect},
    // Only SIGABRT, and only to itself.
    {"signalsItselfOtherwise", Ending::Refused,
     [](const Fds&) { return syscall(SYS_tgkill, getpid(), gettid(), SIGTERM) == 0; }, SYS_tgkill},
    {"signalsAnotherProcess", Ending::Refused,
     [](const Fds&) { return syscall(SYS_tgkill, kNobody, kNobody, SIGABRT) == 0; }, SYS_tgkill},
    {"signalsAnotherThread", Ending::Refused,
     [](const Fds&) { return syscall(SYS_tgkill, getpid(), kNobody, SIGABRT) == 0; }, SYS_tgkill},
    {"signalsAnotherThreadByTid", Ending::Refused,
     [](const Fds&) { return syscall(SYS_tkill, kNobody, SIGABRT) == 0; }, SYS_tkill},
    {"killsAProcess", Ending::Refused, [](const Fds&) { return kill(kNobody, SIGABRT) == 0; },
     SYS_kill},
};

// Runs the case in a child under the sandbox (with `call` let through where it is not -1) and
// returns its wait status.
int runInSandbox(const SandboxCase& c, long call) {
    TempDir dir;
    const std::string path = (dir / "db.mdb").string();
    std::ofstream(path) << std::string(4096, 'p');
    int request[2];
    int reply[2];
    if (pipe(request) != 0 || pipe(reply) != 0) throw std::runtime_error("no pipe");
    if (write(request[1], "q", 1) != 1) throw std::runtime_error("no request");
    const int database = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (database < 0 || other < 0) throw std::runtime_error("cannot open the database");

    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("cannot fork");
    if (child == 0) {
        if (!jet::helper::enterSandboxAllowing(request[0], reply[1], database,
                                               static_cast<int>(call)))
            _exit(10);
        _exit(c.act(Fds{request[0], reply[1], database, other}) ? 0 : 11);
    }
    int status = 0;
    const pid_t waited = waitpid(child, &status, 0);
    for (const int fd : {request[0], request[1], reply[0], reply[1], database, other}) close(fd);
    if (waited != child) throw std::runtime_error("cannot wait for the child");
    return status;
}

class Sandbox : public ::testing::TestWithParam<SandboxCase> {};

TEST_P(Sandbox, LetsThroughOnlyWhatTheReaderNeeds) {
    const SandboxCase& c = GetParam();
#ifdef RV_ADDRESS_SANITIZER
    if (c.fdCheck) GTEST_SKIP() << "the sanitizer build lets any fd be written";
#endif
    const int status = runInSandbox(c, -1);
    switch (c.ending) {
        case Ending::Works:
            ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
            EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no sandbox, 11: the call failed";
            break;
        case Ending::Aborts:
            ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
            EXPECT_EQ(WTERMSIG(status), SIGABRT) << strsignal(WTERMSIG(status));
            break;
        case Ending::Refused:
            ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
            EXPECT_EQ(WTERMSIG(status), SIGSYS) << strsignal(WTERMSIG(status));
            break;
    }
}

// A refusal that came from some other call on the way would pass the test above even with the
// call's own rule gone; with the call let through, the child must get past it.
TEST_P(Sandbox, RefusesByTheCallsOwnRule) {
    const SandboxCase& c = GetParam();
    if (c.ending != Ending::Refused) GTEST_SKIP() << "not refused";
#ifdef RV_ADDRESS_SANITIZER
    if (c.fdCheck) GTEST_SKIP() << "the sanitizer build lets any fd be written";
#endif
    const int status = runInSandbox(c, c.call);
    ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 10) << "no sandbox";
    EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS)
        << "refused with syscall " << c.call << " let through";
}

INSTANTIATE_TEST_SUITE_P(Calls, Sandbox, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
