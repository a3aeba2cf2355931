#include "Sandbox.h"

#include <seccomp.h>
#include <sys/mman.h>
#include <unistd.h>

#include <csignal>

#include <initializer_list>

#include "AddressSanitizer.h"
#ifdef RV_ADDRESS_SANITIZER
#include <sanitizer/common_interface_defs.h>
#endif

namespace jet::helper {
namespace {

// Argument `arg` equals `value`; written out whole, as the library's macros leave a field unset.
scmp_arg_cmp equals(unsigned arg, scmp_datum_t value) {
    return scmp_arg_cmp{arg, SCMP_CMP_EQ, value, 0};
}

class Filter {
public:
    // Anything not allowed below ends the whole process, never just the calling thread.
    Filter() : ctx_(seccomp_init(SCMP_ACT_KILL_PROCESS)) {}
    ~Filter() {
        if (ctx_) seccomp_release(ctx_);
    }
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    void allow(int call) { ok_ = ok_ && seccomp_rule_add(ctx_, SCMP_ACT_ALLOW, call, 0) == 0; }
    void allowOn(int call, int fd) {
        ok_ = ok_ && seccomp_rule_add(ctx_, SCMP_ACT_ALLOW, call, 1,
                                      equals(0, static_cast<scmp_datum_t>(fd))) == 0;
    }
    // Memory that can never become code: a mapping or protection change asking for PROT_EXEC
    // matches no rule.
    void allowWithoutExec(int call) {
        ok_ = ok_ && seccomp_rule_add(ctx_, SCMP_ACT_ALLOW, call, 1,
                                      SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0;
    }
    // abort() raises SIGABRT on the calling thread; any other signal, or another process or
    // thread, matches no rule.
    void allowAbort() {
        const auto pid = static_cast<scmp_datum_t>(getpid());
        const auto tid = static_cast<scmp_datum_t>(gettid());
        ok_ = ok_ &&
              seccomp_rule_add(ctx_, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 3, equals(0, pid),
                               equals(1, tid), equals(2, SIGABRT)) == 0 &&
              seccomp_rule_add(ctx_, SCMP_ACT_ALLOW, SCMP_SYS(tkill), 2, equals(0, tid),
                               equals(1, SIGABRT)) == 0;
    }
    bool load() { return ctx_ && ok_ && seccomp_load(ctx_) == 0; }

private:
    scmp_filter_ctx ctx_;
    bool ok_ = ctx_ != nullptr;
};

}  // namespace

bool enterSandbox(int requestFd, int replyFd, int databaseFd) {
    return enterSandboxAllowing(requestFd, replyFd, databaseFd, -1);
}

bool enterSandboxAllowing(int requestFd, int replyFd, int databaseFd, int call) {
#ifdef RV_ADDRESS_SANITIZER
    // Lets the sanitizer runtime take what it needs for a report before the door closes.
    __sanitizer_sandbox_on_notify(nullptr);
#endif
    Filter f;
    f.allowOn(SCMP_SYS(read), requestFd);
    f.allowOn(SCMP_SYS(pread64), databaseFd);
    f.allowOn(SCMP_SYS(lseek), databaseFd);
    for (const int fd : {replyFd, STDOUT_FILENO, STDERR_FILENO}) f.allowOn(SCMP_SYS(write), fd);
    f.allow(SCMP_SYS(close));
    // The allocator's calls; the reader asks for huge pages on its page runs.
    f.allow(SCMP_SYS(brk));
    f.allowWithoutExec(SCMP_SYS(mmap));
    f.allowWithoutExec(SCMP_SYS(mprotect));
    f.allow(SCMP_SYS(munmap));
    f.allow(SCMP_SYS(mremap));
    f.allow(SCMP_SYS(madvise));
    // The first exception thrown runs a once-only initialisation, which wakes waiters on a futex.
    f.allow(SCMP_SYS(futex));
    // The C library's clock falls back to the system call where the vDSO is missing.
    f.allow(SCMP_SYS(clock_gettime));
    f.allow(SCMP_SYS(rt_sigreturn));
    // A helper that aborts is logged as aborted, not as a call the sandbox refused: abort()
    // unblocks SIGABRT and raises it on its own thread.
    f.allow(SCMP_SYS(rt_sigprocmask));
    f.allow(SCMP_SYS(getpid));
    f.allow(SCMP_SYS(gettid));
    f.allowAbort();
    // The sanitizer runtime takes down its signal stack on the way out.
    f.allow(SCMP_SYS(sigaltstack));
    f.allow(SCMP_SYS(restart_syscall));
    f.allow(SCMP_SYS(exit));
    f.allow(SCMP_SYS(exit_group));
#ifdef RV_ADDRESS_SANITIZER
    // The sanitizer runtime tests whether memory can be read by writing it into a pipe of its
    // own; only the instrumented build lets a pipe be made and any fd be read and written.
    f.allow(SCMP_SYS(pipe2));
    f.allow(SCMP_SYS(read));
    f.allow(SCMP_SYS(write));
#endif
    if (call >= 0) f.allow(call);
    return f.load();
}

}  // namespace jet::helper
