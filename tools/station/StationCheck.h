#pragma once

#include <QString>
#include <vector>

// The station self-test: the program's own road from the monitor file to a signed-in student,
// one line per step. Nothing in the folder is changed.
namespace station {

struct CheckLine {
    // Failed: no student can sign in. WontStart: students sign in, but what `part` names will
    // not start. Problem: all of it starts, but something else will go wrong.
    enum class Result { Passed, Problem, WontStart, Failed } result = Result::Passed;
    QString text;
    QString part;  // WontStart: what will not start, as the verdict names it
};

// byRoot: the technician who runs the check is root, so advice needs no sudo.
// helpShownBySession: the station boots into its X session, where the menu shows the help
// itself, so no PDF viewer is needed.
std::vector<CheckLine> checkStation(const QString& folder, bool byRoot,
                                    bool helpShownBySession = false);

// The line as the technician reads it, with its verdict in front.
QString formatLine(const CheckLine& line);

enum class Verdict { Trains, SignsInOnly, NoSignIn };

Verdict verdictOf(const std::vector<CheckLine>& lines);

// The last line of the check: what the lines mean for the students.
QString verdictText(const std::vector<CheckLine>& lines);

// The command's exit status for the verdict: 0 trains, 1 nobody signs in, 3 signs in only.
int exitStatus(Verdict verdict);

// A command the technician runs as root, as he runs it: bare for root, else through sudo.
QString asRoot(const QString& command, bool byRoot);

}  // namespace station
