#pragma once

// What the station shell tells the menu through its environment. Outside the station session
// (a desktop, a developer, the tests) neither variable is set and the menu behaves as on a
// desktop.
namespace session {

// The command of the last decision that could not start or failed, as the shell names it.
enum class FailedCommand { None, Trainer, Exercises };

// RULEVION_SESSION=1, set by the station's X session and nothing else.
bool inStationSession();

// RULEVION_FAILED, set by the shell for the one menu run after a failed command.
FailedCommand failedCommand();

// The variables' values as read; exposed for the tests' tables. A null value is an unset one.
bool sessionValueMeansSession(const char* value);
FailedCommand failedCommandNamed(const char* value);

}  // namespace session
