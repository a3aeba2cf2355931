#pragma once

#include <string>
#include <string_view>

// The station's texts are CP1251 bytes; these convert at the few places where UTF-8 meets them
// (texts written in this source tree, and the Unicode side of the window system).
namespace cp1251 {

// A character with no CP1251 form becomes '?'; a malformed UTF-8 sequence does too.
std::string fromUtf8(std::string_view utf8);

std::string toUtf8(std::string_view cp1251);

// Appends the UTF-8 form of a Unicode code point.
void appendUtf8(std::string& out, char32_t codePoint);

// The Unicode code point of one CP1251 byte; 0xFFFD for the one unassigned byte (0x98).
char32_t toCodePoint(unsigned char byte);

// The CP1251 byte of a code point, or -1 where it has none.
int fromCodePoint(char32_t codePoint);

}  // namespace cp1251
