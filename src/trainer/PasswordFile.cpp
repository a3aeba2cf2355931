#include "PasswordFile.h"

#include "TypedNumber.h"

#include <algorithm>

namespace trainer {

namespace {

std::uint32_t littleEndian32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    return value;
}

void appendLittleEndian32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
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

std::string passwordFileBytes(std::int32_t password) {
    std::string out;
    appendLittleEndian32(out, kPasswordMagic);
    appendLittleEndian32(out, static_cast<std::uint32_t>(password));
    return out;
}

std::size_t passwordFieldLength() {
    return kWorkingCopyLength;
}

TypedPassword checkTypedPassword(std::string_view text, std::int32_t& value) {
    if (text.empty()) return TypedPassword::Empty;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return TypedPassword::NotDigits;
    if (text.size() > passwordFieldLength()) return TypedPassword::TooLong;
    // Read as the trainer reads what is typed, so that what is stored is what matches.
    const auto typed = typedNumber(text);
    if (!typed) return TypedPassword::TooLarge;
    value = *typed;
    return TypedPassword::Ok;
}

}  // namespace trainer
