#pragma once

#include "Clock.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Running another program as a measured child: its wall time from the spawn, its CPU time from the
// kernel's accounting at reaping, and the "key value" lines it printed.
namespace bench {

// CPU time of the children this process has reaped.
long long reapedChildrenCpuNs();

struct ChildCommand {
    std::vector<std::string> argv;                         // argv[0] is a path
    std::string cwd;                                       // empty: this process's
    std::vector<std::pair<std::string, std::string>> env;  // set on top of this process's
    bool captureReport = false;  // stdout read as "key value" lines; otherwise to /dev/null
    std::string stderrFile = "/dev/null";
    int deadlineMs = 120000;
};

struct ChildRun {
    long long spawnNs = 0;  // monotonic clock just before the spawn
    long long wallNs = 0;   // spawn to reaped
    long long cpuNs = 0;    // user + system, with whatever the child reaped
    int exitStatus = -1;    // -1 unless it exited normally
    bool timedOut = false;
    std::map<std::string, std::string> report;

    bool ok() const { return exitStatus == 0 && !timedOut; }
    long long number(const std::string& key) const;
};

// Never hangs: a child past its deadline is killed and reaped.
ChildRun runChild(const ChildCommand& command);

// The folder this executable lies in; the project's programs are built beside it.
std::string binDir();

}  // namespace bench
