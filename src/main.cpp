#include "CommandLine.h"
#include "ProgramStart.h"

int main(int argc, char** argv) {
    if (const auto status = app::answerCommandLine(argc, argv)) return *status;
    return app::runProgram(argc, argv);
}
