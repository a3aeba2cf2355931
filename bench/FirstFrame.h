#pragma once

#include "Clock.h"

#include <QObject>

#include <functional>

class QWidget;

// Calls back once, after the watched window's first paint has been handed to the window system:
// a zero timer started from the paint fires only when the paint and its flush are done.
class FirstFrame : public QObject {
public:
    FirstFrame(QWidget* window, std::function<void()> then);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> then_;
    bool seen_ = false;
};

// The probes' report to the benchmark that started them: "key value" lines on stdout.
namespace probe {
void report(const char* key, long long value);
void report(const char* key, const char* text);
using bench::monotonicNs;
using bench::processCpuNs;
// Peak resident memory of this process since its exec, from /proc (the kernel's maxrss counts the
// spawning parent's memory too, shared until the exec).
long long peakKb();
// The same for this process's one child, found by its parent id (the reader helper); -1: none.
long long childPeakKb();
}  // namespace probe
