#pragma once

#include <optional>

// The program's command line, answered before anything else runs: the shell starts the program
// with no arguments, and a technician's --help or --version must neither show the panel nor
// touch the station folder (no result file removed, no decision written).
namespace app {

// Returns the status the process ends with when the command line was answered here (0 for
// --help and --version, 1 when the answer could not be written, 2 for anything the program does
// not know), std::nullopt for the panel's normal start.
std::optional<int> answerCommandLine(int argc, char** argv);

}  // namespace app
