#include "Child.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

int runInChild(const std::function<int()>& body, bool asUnprivileged) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (asUnprivileged && geteuid() == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(125);
        }
        int rc = 126;
        try {
            rc = body();
        } catch (...) {
            rc = 127;
        }
        _exit(rc);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}
