#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace jetwriter {

// The trainer password file: magic 35134, then the password, both 32-bit little-endian.
std::string passwordFileBytes(std::int32_t password);

// Whether the trainer's password field can take `text`: it takes digits only, no more than it
// has room for, and the number they make must fit the stored 32 bits.
enum class TypedPassword { Ok, Empty, NotDigits, TooLong, TooLarge };
TypedPassword checkTypedPassword(std::string_view text, std::int32_t& value);

// How many digits the field takes.
std::size_t passwordFieldLength();

}  // namespace jetwriter
