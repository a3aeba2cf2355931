#pragma once

// The helper parses files anybody may have written. Once the database file is open, it gives up
// every system call a reader of that one file has no use for: a fault in the parsing that an
// attacker steers cannot open a file, start a program or reach the network. A call outside the
// list kills the process at once, which the program sees as any other helper fault.
namespace jet::helper {

// What stays allowed: reading requests from requestFd, pread and lseek on databaseFd, writing
// to replyFd and to the standard output and error, memory that is never executable, close,
// exit, and abort (SIGABRT to the calling thread). Irreversible, for this process and whatever
// it would start. False when the kernel refuses the filter; the caller must not go on to parse
// the file then.
bool enterSandbox(int requestFd, int replyFd, int databaseFd);

// The same with one system call allowed whatever its arguments: the tests show with it that each
// call the sandbox refuses is refused by that call's own rule, and by nothing else on the way.
bool enterSandboxAllowing(int requestFd, int replyFd, int databaseFd, int call);

}  // namespace jet::helper
