#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The trainer's password file: two little-endian 32-bit fields, a magic number and the password.
// Nothing in the program writes it.
namespace trainer {

inline constexpr const char* kPasswordFile = "vdmdat01.bin";
inline constexpr std::uint32_t kPasswordMagic = 35134;  // bytes 3E 89 00 00
inline constexpr std::size_t kPasswordFileSize = 8;     // bytes after these are never read

enum class PasswordFileStatus {
    Ok,
    NoMagic,     // fewer than 4 bytes
    NoPassword,  // 4 to 7 bytes, whatever the first four hold
    WrongMagic,
};

struct PasswordRecord {
    PasswordFileStatus status = PasswordFileStatus::NoMagic;
    std::uint32_t magic = 0;
    std::int32_t password = 0;  // valid only with status Ok
};

// Decodes the leading bytes of the file; any length and content is safe.
PasswordRecord parsePasswordFile(std::string_view bytes);

}  // namespace trainer
