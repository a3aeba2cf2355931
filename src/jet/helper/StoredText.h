#pragma once

#include <string>
#include <string_view>

// A text value as a Jet 4 (or later) file stores it: UTF-16LE, or after the marker FF FE,
// "compressed": one byte per character, a 00 byte where a character would start switching
// between one-byte and two-byte characters. Returns its CP1251 form, as the library's conversion
// followed by Cp1251Encoder would: a character without a CP1251 form becomes '?' (each half of a
// surrogate pair too), the text ends at a U+0000 character, and a lone byte left at the end is
// dropped.
std::string storedTextToCp1251(std::string_view stored);
