#pragma once

#include <time.h>

// Nanoseconds on the system's clocks, shared by the benchmark and the probes it starts.
namespace bench {

inline long long clockNs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

inline long long monotonicNs() { return clockNs(CLOCK_MONOTONIC); }

// This process's own CPU time (its threads, not its children).
inline long long processCpuNs() { return clockNs(CLOCK_PROCESS_CPUTIME_ID); }

}  // namespace bench
