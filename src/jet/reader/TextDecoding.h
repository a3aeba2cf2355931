#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Stored text to the station's CP1251; a character with no CP1251 form becomes '?'.
namespace jet::reader::detail {

// Jet4 and later: UTF-16LE, or after the marker FF FE "compressed" (one byte per character, a 00
// byte switching between one-byte and two-byte characters). The text ends at a U+0000
// character; a lone byte left at the end is dropped. At most `limit` characters are appended.
void appendStoredText(std::string_view stored, std::string& out,
                      std::size_t limit = std::string::npos);

// Whether stored Jet4 text equals `text` ignoring letter case (cp1251::equalIgnoringCase), where
// that is known without decoding it: a compressed value with no switch, one byte a character.
// Empty where the value must be decoded to tell.
std::optional<bool> storedTextEquals(std::string_view stored, std::string_view text);

// Jet3: single bytes in the code page the header names. No code page (0) and code pages this
// reader has no table for are taken as CP1251, the stations' own. At most `limit` characters.
void appendCodePageText(std::string_view stored, std::uint16_t codePage, std::string& out,
                        std::size_t limit = std::string::npos);

}  // namespace jet::reader::detail
