// The helper's sandbox, entered in a child process: what a reader of one open file needs goes on
// working, anything else ends the process with SIGSYS at that very call.
#include "Sandbox.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
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

struct SandboxCase {
    const char* name;
    bool allowed;
    // Runs in the child after the sandbox; returns false when an allowed call failed.
    bool (*act)(const Fds&);
    // Which fds may be written is checked only where the sanitizers are not in: their runtime
    // needs pipes of its own.
    bool fdCheck = false;
};

void PrintTo(const SandboxCase& c, std::ostream* os) {
    *os << c.name;
}

const SandboxCase kCases[] = {
    {"readsAndSizesTheDatabase", true,
     [](const Fds& f) {
         char page[16];
         return pread(f.database, page, sizeof page, 0) == sizeof page &&
                lseek(f.database, 0, SEEK_END) == 4096;
     }},
    {"readsRequestsAndWritesReplies", true,
     [](const Fds& f) {
         char c = 0;
         return read(f.request, &c, 1) == 1 && c == 'q' && write(f.reply, "r", 1) == 1 &&
                write(STDERR_FILENO, "", 0) == 0;
     }},
    {"allocatesAndFreesMemory", true,
     [](const Fds&) {
         std::vector<char> big(64u << 20, 'x');
         void* run = std::aligned_alloc(2u << 20, 4u << 20);
         const bool advised = run && madvise(run, 4u << 20, MADV_HUGEPAGE) == 0;
         std::free(run);
         big.resize(96u << 20);
         return advised && big[1000] == 'x';
     }},
    {"throwsAndCatches", true,
     [](const Fds&) {
         try {
             throw std::runtime_error("damaged");
         } catch (const std::exception& e) {
             return std::strcmp(e.what(), "damaged") == 0;
         }
     }},
    {"closesAFd", true, [](const Fds& f) { return close(f.other) == 0; }},
    {"opensAFile", false,
     [](const Fds&) { return ::open("/dev/null", O_RDONLY | O_CLOEXEC) >= 0; }},
    {"startsAProgram", false,
     [](const Fds&) { return execl("/bin/true", "true", static_cast<char*>(nullptr)) == 0; }},
    {"forks", false, [](const Fds&) { return fork() >= 0; }},
    {"opensASocket", false,
     [](const Fds&) { return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0; }},
    {"readsAnotherFd", false,
     [](const Fds& f) {
         char c;
         return pread(f.other, &c, 1, 0) == 1;
     }},
    {"writesToTheDatabase", false, [](const Fds& f) { return write(f.database, "x", 1) == 1; },
     true},
    {"mapsExecutableMemory", false,
     [](const Fds&) {
         return mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) !=
                MAP_FAILED;
     }},
};

class Sandbox : public ::testing::TestWithParam<SandboxCase> {};

TEST_P(Sandbox, LetsThroughOnlyWhatTheReaderNeeds) {
#ifdef RV_ADDRESS_SANITIZER
    if (GetParam().fdCheck) GTEST_SKIP() << "the sanitizer build lets any fd be written";
#endif
    TempDir dir;
    const std::string path = (dir / "db.mdb").string();
    std::ofstream(path) << std::string(4096, 'p');
    int request[2];
    int reply[2];
    ASSERT_EQ(pipe(request), 0);
    ASSERT_EQ(pipe(reply), 0);
    ASSERT_EQ(write(request[1], "q", 1), 1);
    const int database = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(database, 0);
    ASSERT_GE(other, 0);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!jet::helper::enterSandbox(request[0], reply[1], database)) _exit(10);
        _exit(GetParam().act(Fds{request[0], reply[1], database, other}) ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    for (const int fd : {request[0], request[1], reply[0], reply[1], database, other}) close(fd);

    if (GetParam().allowed) {
        ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no sandbox, 11: the call failed";
    } else {
        ASSERT_TRUE(WIFSIGNALED(status)) << "exited with " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), SIGSYS);
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, Sandbox, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
