#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant of a fuzz target: when it does not hold, the input is a finding, so the target
// stops the way libFuzzer records a crash, whatever the build type.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
