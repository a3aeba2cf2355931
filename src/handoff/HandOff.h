#pragma once

#include "ShellContract.h"

class QDialog;

namespace ui {
class WindowServices;
}

// The program's decision for the shell: one character in vdm_out.txt in the current directory.
namespace handoff {

using shellcontract::HandOffCode;
using shellcontract::kHandOffFile;

// The end of the panel's leaving buttons: writes the code, then ends the panel's run with the
// Cancel result. A file that cannot be written shows text::kCannotCreateHandOff on the panel and
// takes fatalExit.
void handOffAndClose(ui::WindowServices& services, QDialog& panel, HandOffCode code);

// Writes "0" for a caller that is not the panel; returns only when the code was written.
void handOffExitCode(ui::WindowServices& services);

// Writes "1" where it can and ends the process with status 0 at once.
[[noreturn]] void fatalExit(ui::WindowServices& services);

// The descriptor the station's shell gave for a fatal end (RULEVION_FATAL_FD), or -1 outside the
// shell or when it names no pipe. Read once; after the first call, safe in a signal handler.
int fatalEndDescriptor();

// Tells the shell, where there is one, how the program ends. Async-signal-safe.
void tellShellOfFatalEnd(shellcontract::FatalEnd how);

}  // namespace handoff
