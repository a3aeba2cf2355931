// vdmdat01.bin comes from the technician, who may hand over any file under that name. Whatever its
// length and content, the reading must match the file's two little-endian fields and must look at
// no byte past the eighth.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "PasswordFile.h"

using trainer::PasswordFileStatus;

namespace {

std::uint64_t field(const std::uint8_t* bytes) {
    return bytes[0] + bytes[1] * 0x100ull + bytes[2] * 0x10000ull + bytes[3] * 0x1000000ull;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const trainer::PasswordRecord record = trainer::parsePasswordFile(bytes);
    if (size < 4) {
        FUZZ_CHECK(record.status == PasswordFileStatus::NoMagic);
        return 0;
    }
    FUZZ_CHECK(record.magic == field(data));
    if (size < 8) {
        FUZZ_CHECK(record.status == PasswordFileStatus::NoPassword);
        return 0;
    }
    if (field(data) != 35134) {
        FUZZ_CHECK(record.status == PasswordFileStatus::WrongMagic);
        return 0;
    }
    FUZZ_CHECK(record.status == PasswordFileStatus::Ok);
    // The stored field is the password's two's complement.
    const std::uint64_t stored = field(data + 4);
    const std::int64_t expected = stored < 0x80000000ull
                                      ? static_cast<std::int64_t>(stored)
                                      : static_cast<std::int64_t>(stored) - 0x100000000ll;
    FUZZ_CHECK(record.password == expected);

    const trainer::PasswordRecord head = trainer::parsePasswordFile(bytes.substr(0, 8));
    FUZZ_CHECK(head.status == record.status && head.magic == record.magic &&
               head.password == record.password);
    return 0;
}
