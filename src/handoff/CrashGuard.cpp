#include "CrashGuard.h"

#include "HandOff.h"

#include "ShellContract.h"

#include <QString>
#include <QtGlobal>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace handoff {

namespace {

constexpr int kGuardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT,
                                   SIGTERM, SIGINT, SIGHUP, SIGQUIT};

const char* signalName(int sig) {
    switch (sig) {
    case SIGSEGV: return "SIGSEGV (invalid memory access)";
    case SIGBUS: return "SIGBUS (bus error)";
    case SIGFPE: return "SIGFPE (arithmetic error)";
    case SIGILL: return "SIGILL (illegal instruction)";
    case SIGABRT: return "SIGABRT (abort)";
    case SIGTERM: return "SIGTERM (asked to end)";
    case SIGINT: return "SIGINT (interrupted)";
    case SIGHUP: return "SIGHUP (terminal closed)";
    case SIGQUIT: return "SIGQUIT (quit)";
    default: return "a fatal signal";
    }
}

void say(const char* text) {
    const size_t length = std::strlen(text);
    ssize_t ignored = write(STDERR_FILENO, text, length);
    (void)ignored;
}

// Async-signal-safe from here on: open, write, close, _exit.
[[noreturn]] void handOverAndEnd(const char* what) {
    // Non-blocking: a named pipe in the file's place must not hold the end.
    const int fd =
        open(shellcontract::kHandOffFile, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    bool handedOver = false;
    if (fd >= 0) {
        constexpr char code = static_cast<char>(shellcontract::HandOffCode::Return);
        handedOver = write(fd, &code, 1) == 1;
        handedOver = close(fd) == 0 && handedOver;
    }
    tellShellOfFatalEnd(shellcontract::FatalEnd::Crash);
    say("rulevion-menu: ");
    say(what);
    say(handedOver ? "; handed over \"1\" (return)\n" : "; vdm_out.txt could not be written\n");
    _exit(0);
}

void onSignal(int sig) {
    // One failure at a time: a second signal inside the handler ends at once.
    static volatile sig_atomic_t entered = 0;
    if (entered) _exit(0);
    entered = 1;
    say("rulevion-menu: stopped by ");
    handOverAndEnd(signalName(sig));
}

void onTerminate() {
    const char* what = "std::terminate was called";
    if (std::exception_ptr current = std::current_exception()) {
        what = "an exception was not handled";
        try {
            std::rethrow_exception(current);
        } catch (const std::exception&) {
            what = "a standard exception was not handled";
        } catch (...) {
        }
    }
    handOverAndEnd(what);
}

QtMessageHandler previousHandler = nullptr;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (previousHandler) previousHandler(type, context, message);
        return;
    }
    say("rulevion-menu: Qt: ");
    say(message.toLocal8Bit().constData());
    say("\n");
    handOverAndEnd("a fatal error of the window system");
}

}  // namespace

void installCrashGuard() {
    fatalEndDescriptor();  // read now: the handlers may not read the environment
    // Room to run the handler even when the stack itself overflowed.
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    sigaltstack(&stack, nullptr);

    struct sigaction action{};
    action.sa_handler = onSignal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int sig : kGuardedSignals) sigaddset(&action.sa_mask, sig);
    for (int sig : kGuardedSignals) sigaction(sig, &action, nullptr);

    // A reader helper that died leaves a broken pipe; that is an error to report, not a reason
    // for the program to die.
    std::signal(SIGPIPE, SIG_IGN);

    std::set_terminate(onTerminate);
    previousHandler = qInstallMessageHandler(onQtMessage);
}

}  // namespace handoff
