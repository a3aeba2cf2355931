#include "SessionMode.h"

#include "ShellContract.h"

#include <cstdlib>
#include <cstring>

namespace session {

// Exact values only: anything else is a desktop start, which must keep behaving as it always has.
bool sessionValueMeansSession(const char* value) {
    return value && std::strcmp(value, shellcontract::kSessionValue) == 0;
}

FailedCommand failedCommandNamed(const char* value) {
    if (!value) return FailedCommand::None;
    if (std::strcmp(value, shellcontract::kFailedTrainer) == 0) return FailedCommand::Trainer;
    if (std::strcmp(value, shellcontract::kFailedExercises) == 0) return FailedCommand::Exercises;
    return FailedCommand::None;
}

bool inStationSession() {
    return sessionValueMeansSession(std::getenv(shellcontract::kSessionVariable));
}

FailedCommand failedCommand() {
    return failedCommandNamed(std::getenv(shellcontract::kFailedVariable));
}

}  // namespace session
