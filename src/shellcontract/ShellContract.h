#pragma once

// What the station's shell and the menu agree on: the menu's decision in a file, and what the
// shell tells the menu through its environment. Both sides include this, so it is said once.
namespace shellcontract {

// The menu's decision: one character in this file in the menu's current directory, the station
// folder.
inline constexpr const char* kHandOffFile = "vdm_out.txt";

enum class HandOffCode : char {
    Leave = '0',
    Return = '1',
    Trainer = '2',
    Driving = '5',
};

constexpr bool isHandOffCode(char c) {
    return c == static_cast<char>(HandOffCode::Leave) ||
           c == static_cast<char>(HandOffCode::Return) ||
           c == static_cast<char>(HandOffCode::Trainer) ||
           c == static_cast<char>(HandOffCode::Driving);
}

// Set by the station's X session, and nothing else, to kSessionValue.
inline constexpr const char* kSessionVariable = "RULEVION_SESSION";
inline constexpr const char* kSessionValue = "1";

// Set by the shell for the one menu run after the trainer's or the exercises' command failed,
// to the command's name; never passed on to anything else.
inline constexpr const char* kFailedVariable = "RULEVION_FAILED";
inline constexpr const char* kFailedTrainer = "trainer";
inline constexpr const char* kFailedExercises = "exercises";

// Set by the shell, for the menu alone, to the number of a descriptor the menu inherits (a pipe):
// the menu writes one FatalEnd byte to it when it ends through its fatal exit or its crash guard,
// whose "1" the shell could not tell from the Return button.
inline constexpr const char* kFatalEndVariable = "RULEVION_FATAL_FD";

enum class FatalEnd : char {
    ErrorBox = 'f',  // the fatal exit, after the box that said why
    Crash = 'c',     // the crash guard: a fatal signal, an uncaught exception, a fatal Qt message
};

}  // namespace shellcontract
