#pragma once

// RV_ADDRESS_SANITIZER is set in a build instrumented with AddressSanitizer (GCC and clang say
// so in different ways). Its shadow memory takes terabytes of address space, and its runtime
// makes calls of its own, so the helper's limits and sandbox make room for it there.
#if defined(__SANITIZE_ADDRESS__)
#define RV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RV_ADDRESS_SANITIZER 1
#endif
#endif
