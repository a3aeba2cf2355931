#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jetwriter {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// Returns the code points, or nothing when the bytes are not valid UTF-8.
std::optional<std::vector<char32_t>> decodeUtf8(std::string_view bytes);

// Offset of the first byte that is not part of valid UTF-8, or nothing when all of it is valid.
std::optional<std::size_t> firstInvalidUtf8(std::string_view bytes);

// The UTF-16 code units of `codePoints`.
std::u16string toUtf16(const std::vector<char32_t>& codePoints);

// Length in UTF-16 code units, which is what Jet counts against a text column's size.
std::size_t utf16Length(const std::vector<char32_t>& codePoints);

}  // namespace jetwriter
