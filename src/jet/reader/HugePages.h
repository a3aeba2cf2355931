#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace jet::reader::detail {

constexpr std::size_t kHugePage = 2u << 20;

// Memory for `bytes`, from 1 MB on in 2 MB huge pages where the system offers them: rounded up
// to whole ones, but a tail under 128 KB is left to small pages (a huge page is cleared whole
// when first touched, which costs about what faulting in 32 small ones does). `bytes` becomes
// the size taken. Freed with std::free; nullptr when there is none.
inline void* allocateHugeFrom1Mb(std::size_t& bytes) {
    if (bytes < kHugePage / 2) return std::malloc(bytes);
    if (bytes % kHugePage >= kHugePage / 16) bytes = (bytes / kHugePage + 1) * kHugePage;
    // Not aligned_alloc: it wants a size of whole huge pages, and the small tail above is not.
    void* p = nullptr;
    if (::posix_memalign(&p, kHugePage, bytes) != 0) return nullptr;
    ::madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

// An allocator for the reader's big lists: from 1 MB on, whole 2 MB huge pages where the system
// offers them. Faulting fresh memory in 4 KB at a time cost a scan of 100,000 rows more than
// filling it (perf: the row list alone was a tenth of the helper's time, most in page faults).
template <class T>
struct HugePageAllocator {
    using value_type = T;
    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T) / 2) throw std::bad_alloc();
        std::size_t bytes = n * sizeof(T);
        void* p = allocateHugeFrom1Mb(bytes);
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, std::size_t) { std::free(p); }

    template <class U>
    bool operator==(const HugePageAllocator<U>&) const {
        return true;
    }
};

}  // namespace jet::reader::detail
