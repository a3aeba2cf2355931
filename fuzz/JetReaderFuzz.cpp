// Our Jet reader parses files that may be damaged or forged. Whatever the bytes, opening the
// file, finding its tables and reading every value of every row must end normally or in a
// ReadError, within what the helper has: no read out of bounds, no endless loop, and never more
// heap than fits in the helper's address space (run.sh gives each input the helper's reply
// deadline).
//
// An input is the file's bytes, cut to whole pages. Three or more bytes past the last whole page
// name the number of pages the file claims (24 bits, little-endian): the file is extended to
// that many pages with a hole, as a forged file on a disk may be, so a few KB of input can claim
// up to 64 GB.
#include <sanitizer/allocator_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "Jet.h"
#include "JetReader.h"

using namespace jet::reader;

namespace {

// The helper's address-space limit, less what its process holds besides the reader's heap: the
// program image and libraries (6 MB measured), its stack, the protocol's buffers (a few MB) and
// the allocator's slack. A reader that stays under this ends in a ReadError where the helper
// would have ended in bad_alloc.
const std::size_t kHeapBudget = jet::Limits{}.addressSpaceBytes - (32u << 20);

// Live heap bytes since the input began, and their peak. The hooks run on every allocation.
std::size_t gLive = 0;
std::size_t gPeak = 0;
bool gCounting = false;

void onMalloc(const volatile void*, std::size_t size) {
    if (!gCounting) return;
    gLive += size;
    gPeak = std::max(gPeak, gLive);
}

void onFree(const volatile void* p) {
    if (!gCounting || p == nullptr) return;
    const std::size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(p));
    gLive -= std::min(gLive, size);
}

void readTable(Table t) {
    const std::uint32_t rows = t.rowCount();
    std::string text;
    for (std::uint32_t r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < t.columns().size(); ++c) {
            const std::uint8_t type = t.columns()[c].type;
            try {
                const bool null = t.isNull(r, c);
                if (readableAsText(type)) {
                    t.textInto(r, c, text);
                    FUZZ_CHECK(!null || text.empty());
                }
                if (readableAsLong(type)) {
                    const std::int32_t n = t.number(r, c);
                    FUZZ_CHECK(!null || n == 0);
                }
            } catch (const ReadError&) {
                // A damaged value ends that value's read; the next may still be read.
            }
        }
}

// From an fd, as the helper opens it.
void readFile(int fd) {
    try {
        File file(fd);
        for (const std::string& name : file.tableNames()) {
            try {
                readTable(file.table(name));
            } catch (const ReadError&) {
            }
        }
        try {
            readTable(file.systemTable("MSysObjects"));
        } catch (const ReadError&) {
        }
    } catch (const ReadError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most mutations change the length; whole pages let them reach past the size check.
    const std::size_t page = size > 0x14 && data[0x14] == 0 ? 2048 : 4096;
    const std::size_t tail = size % page;
    size -= tail;
    std::uint64_t length = size;
    if (tail >= 3) {
        const std::uint8_t* claim = data + size;
        const std::uint64_t pages = claim[0] | (claim[1] << 8) | (claim[2] << 16);
        length = std::max<std::uint64_t>(length, pages * page);
    }
    static const int fd = memfd_create("jet", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = pwrite(fd, data + written, size - written, static_cast<off_t>(written));
        FUZZ_CHECK(n > 0);
        written += static_cast<std::size_t>(n);
    }
    FUZZ_CHECK(ftruncate(fd, static_cast<off_t>(length)) == 0);

    // The reader owns the fd it is given, as in the helper; this one stays the harness's.
    const int own = dup(fd);
    FUZZ_CHECK(own >= 0);
    gLive = gPeak = 0;
    gCounting = true;
    readFile(own);
    gCounting = false;
    if (gPeak > kHeapBudget) {
        std::fprintf(stderr, "heap peaked at %zu bytes, past the helper's %zu\n", gPeak,
                     kHeapBudget);
        std::abort();
    }
    return 0;
}
