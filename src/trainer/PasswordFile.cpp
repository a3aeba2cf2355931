#include "PasswordFile.h"

namespace trainer {

namespace {

std::uint32_t littleEndian32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    return value;
}

}  // namespace

PasswordRecord parsePasswordFile(std::string_view bytes) {
    PasswordRecord record;
    if (bytes.size() < 4) {
        record.status = PasswordFileStatus::NoMagic;
        return record;
    }
    record.magic = littleEndian32(bytes, 0);
    // The magic is judged only once both fields are there.
    if (bytes.size() < kPasswordFileSize) {
        record.status = PasswordFileStatus::NoPassword;
        return record;
    }
    if (record.magic != kPasswordMagic) {
        record.status = PasswordFileStatus::WrongMagic;
        return record;
    }
    record.password = static_cast<std::int32_t>(littleEndian32(bytes, 4));
    record.status = PasswordFileStatus::Ok;
    return record;
}

}  // namespace trainer
