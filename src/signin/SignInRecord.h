#pragma once

#include "SignInState.h"

#include <cstdio>
#include <string>

// db1.out: the six lines that let the exercise programs book their results to the student.
namespace signin {

inline constexpr const char* kSignInRecordFile = "db1.out";

// The file's bytes: name, number, group, the record-book number as typed, then the two counts in
// signed decimal; every line ends in CR LF, as the Windows programs that read it expect. A line
// end inside a text would shift the lines after it, so CR and LF there are written as blanks.
std::string formatSignInRecord(const SignInState& state);

// Writes the record in steps, so that the caller can tell the user about a failure while the
// file is still open, and only then close and remove it.
class SignInRecordFile {
public:
    explicit SignInRecordFile(std::string fileName = kSignInRecordFile);
    ~SignInRecordFile();
    SignInRecordFile(const SignInRecordFile&) = delete;
    SignInRecordFile& operator=(const SignInRecordFile&) = delete;

    // Creates or truncates the file.
    bool create();

    // Writes all six lines and pushes them out of the buffer, so that a full disk shows here
    // rather than at the close.
    bool write(const SignInState& state);

    // Closes the file; false when the system reports that the data did not all reach it.
    bool close();

    // Closes the file and removes it, for a record that could not be written whole.
    void discard();

private:
    std::string fileName_;
    std::FILE* file_ = nullptr;
};

}  // namespace signin
