#include "SessionMode.h"

#include <cstdlib>
#include <cstring>

namespace session {

// Exact values only: anything else is a desktop start, which must keep behaving as it always has.
bool sessionValueMeansSession(const char* value) {
    return value && std::strcmp(value, "1") == 0;
}

FailedCommand failedCommandNamed(const char* value) {
    if (!value) return FailedCommand::None;
    if (std::strcmp(value, "trainer") == 0) return FailedCommand::Trainer;
    if (std::strcmp(value, "exercises") == 0) return FailedCommand::Exercises;
    return FailedCommand::None;
}

bool inStationSession() {
    return sessionValueMeansSession(std::getenv("RULEVION_SESSION"));
}

FailedCommand failedCommand() {
    return failedCommandNamed(std::getenv("RULEVION_FAILED"));
}

}  // namespace session
