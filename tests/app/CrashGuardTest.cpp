#include "Child.h"
#include "CrashGuard.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <QtGlobal>

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <functional>
#include <stdexcept>

#pragma GCC diagnostic ignored "-Wterminate"

namespace {

// The faults are triggered here, in the test binary only; the product has no way to cause them.
struct Fault {
    const char* name;
    std::function<void()> trigger;
    const char* said;  // part of the line on stderr
};

// Not null but in the first page, which no process maps: the store faults like a null one, yet a
// sanitizer build does not stop it first as a null store (it would end the process itself).
volatile int* volatile nowhere = reinterpret_cast<volatile int*>(64);

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
int deepRecursion(int n) {
    volatile char pad[1024];
    pad[0] = static_cast<char>(n);
    return deepRecursion(n + 1) + pad[0];
}
#pragma GCC diagnostic pop

const Fault kFaults[] = {
    {"invalid memory access", [] { *nowhere = 1; }, "SIGSEGV"},
    {"stack overflow", [] { deepRecursion(0); }, "SIGSEGV"},
    {"abort", [] { std::abort(); }, "SIGABRT"},
    {"arithmetic", [] { std::raise(SIGFPE); }, "SIGFPE"},
    {"terminate", [] { std::terminate(); }, "std::terminate"},
    // Escapes a noexcept function, as an exception escaping main or a slot would end the program.
    {"uncaught exception", []() noexcept { throw std::runtime_error("boom"); },
     "exception was not handled"},
    {"fatal Qt message", [] { qFatal("broken window system"); }, "broken window system"},
    {"asked to end", [] { std::raise(SIGTERM); }, "SIGTERM"},
};

TEST(CrashGuard, EveryFaultHandsOverOneAndEndsWithStatusZero) {
    for (const Fault& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        TempDir dir;
        writeFile(dir / "vdm_out.txt", "2");
        const auto err = dir / "stderr.txt";
        const ChildResult child = runWithDeadline([&] {
            if (chdir(dir.path().c_str()) != 0) return std::string("no folder");
            const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, STDERR_FILENO);
            handoff::installCrashGuard();
            fault.trigger();
            return std::string("the fault went unnoticed");
        });
        ASSERT_TRUE(child.finished) << "the crash guard hung";
        EXPECT_EQ(child.status, 0);
        EXPECT_EQ(child.report, "");
        EXPECT_EQ(readFile(dir / "vdm_out.txt"), "1");
        const std::string said = readFile(err);
        EXPECT_NE(said.find(fault.said), std::string::npos) << said;
        EXPECT_NE(said.find("handed over"), std::string::npos) << said;
    }
}

TEST(CrashGuard, UnwritableHandOffStillEndsQuietlyWithStatusZero) {
    TempDir dir;
    std::filesystem::create_directory(dir / "vdm_out.txt");
    const ChildResult child = runWithDeadline([&] {
        if (chdir(dir.path().c_str()) != 0) return std::string("no folder");
        const int fd = open("/dev/null", O_WRONLY);
        dup2(fd, STDERR_FILENO);
        handoff::installCrashGuard();
        *nowhere = 1;
        return std::string("the fault went unnoticed");
    });
    ASSERT_TRUE(child.finished) << "the crash guard hung";
    EXPECT_EQ(child.status, 0);
    EXPECT_EQ(child.report, "");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "vdm_out.txt"));
}

}  // namespace
