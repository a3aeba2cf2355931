#pragma once

#include <cstdint>
#include <string_view>

namespace classlist {

enum class Int32Parse { Ok, NotANumber, OutOfRange };

// A decimal integer: an optional sign, then one or more ASCII digits, nothing else (no spaces).
Int32Parse parseInt32(std::string_view text, std::int32_t& out);

}  // namespace classlist
