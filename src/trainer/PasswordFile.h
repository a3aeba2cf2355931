#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The trainer's password file: two little-endian 32-bit fields, a magic number and the password.
// The program only reads it; the technician's tool writes it with passwordFileBytes.
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

// The whole file for a password: the magic, then the password.
std::string passwordFileBytes(std::int32_t password);

// Whether the trainer's password field can take `text`: it takes digits only, no more than it
// has room for, and the number they make must fit the stored 32 bits.
enum class TypedPassword { Ok, Empty, NotDigits, TooLong, TooLarge };
TypedPassword checkTypedPassword(std::string_view text, std::int32_t& value);

// How many digits the field takes.
std::size_t passwordFieldLength();

}  // namespace trainer
