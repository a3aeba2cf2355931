#pragma once

#include <QString>
#include <vector>

// The station self-test: the program's own road from the monitor file to a signed-in student,
// one line per step. Nothing in the folder is changed.
namespace station {

struct CheckLine {
    // Failed: a sign-in cannot succeed. Problem: it can, but something else will go wrong.
    enum class Result { Passed, Problem, Failed } result = Result::Passed;
    QString text;
};

// helpShownBySession: the station boots into its X session, where the menu shows the help
// itself, so no PDF viewer is needed.
std::vector<CheckLine> checkStation(const QString& folder, bool helpShownBySession = false);

// The line as the technician reads it, with its verdict in front.
QString formatLine(const CheckLine& line);

// True when no line failed.
bool signInCanSucceed(const std::vector<CheckLine>& lines);

}  // namespace station
