#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace trainer {

// The check converts a working copy of the typed text that holds this many characters at most.
inline constexpr std::size_t kWorkingCopyLength = 199;

// The typed password as a number, read the way the C library's atol reads: leading white space,
// an optional sign, then decimal digits up to the first other character; no digits gives 0.
// Only the first kWorkingCopyLength characters take part. A number that does not fit in 32 signed
// bits gives no value, so it can never match a stored password.
std::optional<std::int32_t> typedNumber(std::string_view text);

}  // namespace trainer
