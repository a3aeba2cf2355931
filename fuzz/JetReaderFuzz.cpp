// Our Jet reader parses files that may be damaged or forged. Whatever the bytes, opening the
// file, finding its tables and reading every value of every row must end normally or in a
// ReadError: no read out of bounds, no endless loop, no allocation without bound.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "JetReader.h"

using namespace jet::reader;

namespace {

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

void readFile(const std::string& path) {
    try {
        File file(path);
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most mutations change the length; whole pages let them reach past the size check.
    const std::size_t page = size > 0x14 && data[0x14] == 0 ? 2048 : 4096;
    size -= size % page;
    static const int fd = memfd_create("jet", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(ftruncate(fd, 0) == 0);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = pwrite(fd, data + written, size - written, static_cast<off_t>(written));
        FUZZ_CHECK(n > 0);
        written += static_cast<std::size_t>(n);
    }
    readFile("/proc/self/fd/" + std::to_string(fd));
    return 0;
}
