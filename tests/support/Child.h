#pragma once

#include <chrono>
#include <functional>
#include <string>

// How long one child may take before it counts as a hang.
inline constexpr auto kChildDeadline = std::chrono::seconds(20);

// How a child of runWithDeadline ended.
struct ChildResult {
    bool finished = false;  // false: killed at the deadline
    int status = -1;        // exit status, or 128 + signal
    std::string report;     // what the child reported, in turn
    double seconds = 0;
};

// Runs body in a forked child with a deadline. The report is what the child sent with
// reportToParent and then what body returned; body returning ends the child with status 0, an
// exception with 127. A check that fails in the child fails the calling test too. With
// asUnprivileged, a child of root drops to user and group 65534 first, so that file
// permissions hold for it as they do for a station's user.
ChildResult runWithDeadline(const std::function<std::string()>& body,
                            std::chrono::milliseconds deadline = kChildDeadline,
                            bool asUnprivileged = false);

// In a child of runWithDeadline: adds text to the report at once, for a child that may end
// before body returns. Elsewhere it does nothing.
void reportToParent(const std::string& text);

// Ends a child of runWithDeadline or of a death test with status, as the program's own end
// would. Anywhere else it aborts with a message: a test process that ended quietly would pass.
[[noreturn]] void endChild(int status);
