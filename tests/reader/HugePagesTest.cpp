// The reader's big pieces of memory: sizes of every kind are served, aligned, and whole.
#include "HugePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

using jet::reader::detail::allocateHugeFrom1Mb;
using jet::reader::detail::kHugePage;

TEST(HugePages, EverySizeIsServedAlignedAndWritableToItsEnd) {
    constexpr std::size_t KB = 1024;
    struct Case {
        std::size_t asked;
        std::size_t taken;
    };
    const Case cases[] = {
        {1, 1},
        {kHugePage / 2 - 1, kHugePage / 2 - 1},  // under 1 MB: small pages as asked
        {kHugePage / 2, kHugePage},              // from 1 MB: a whole huge page
        {kHugePage, kHugePage},
        {kHugePage + 64 * KB, kHugePage + 64 * KB},  // a small tail stays small, not a multiple
        {kHugePage + 128 * KB, 2 * kHugePage},
        {3 * kHugePage + 4 * KB, 3 * kHugePage + 4 * KB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        std::size_t bytes = c.asked;
        void* p = allocateHugeFrom1Mb(bytes);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(bytes, c.taken);
        if (c.asked >= kHugePage / 2) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % kHugePage, 0u);
        }
        auto* bytesAt = static_cast<unsigned char*>(p);
        std::memset(bytesAt, 0xA5, bytes);
        EXPECT_EQ(bytesAt[bytes - 1], 0xA5);
        std::free(p);
    }
}
