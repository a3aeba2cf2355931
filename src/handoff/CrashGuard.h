#pragma once

// The last line of defence for the hand-off: should the program itself fail (a fatal signal, an
// uncaught exception, std::terminate, a fatal Qt message), the shell must not act on the
// decision an earlier run left. The guard writes "1" into vdm_out.txt with async-signal-safe
// calls only, prints one line to stderr saying what happened, and ends the process with status 0
// like every fatal end.
namespace handoff {

// Installs the guard for this process; call once, early, in the folder the program works in.
void installCrashGuard();

}  // namespace handoff
