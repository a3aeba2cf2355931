#pragma once

#include <functional>

// Runs body in a forked child and returns its exit status, or 128 + signal when a signal ended
// it. With asUnprivileged, a child of root drops to user and group 65534 first, so that file
// permissions hold for it as they do for a station's user.
int runInChild(const std::function<int()>& body, bool asUnprivileged = false);
