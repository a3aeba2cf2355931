#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The station's command-line programs, run by the tests as a technician or a school runs them.
struct ProcessResult {
    bool finished = false;  // false: did not start, or was killed at the deadline
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct ProcessOptions {
    std::filesystem::path cwd;  // empty: the tests' own
    // Changes to the tests' environment; an empty value removes the variable.
    std::map<std::string, std::string> env;
    // Only against a program that never ends; every run here ends by itself.
    int timeoutMs = 120000;
    // A run by root drops to user and group 65534 first, so that file modes count.
    bool asUnprivileged = false;
};

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

class QProcessEnvironment;
// The tests' environment with changes applied as ProcessOptions::env says.
QProcessEnvironment environmentWith(const std::map<std::string, std::string>& changes);

// A program of this build, from the folder ctest names in RV_BIN_DIR.
std::filesystem::path builtProgram(const std::string& name);

// Writes the database `target` from a class list (UTF-8 text) with `rulevion-jetwriter
// students`, as a school does. Empty when it worked, else what went wrong.
std::string writeStudentsDatabase(const std::string& classList,
                                  const std::filesystem::path& target);
