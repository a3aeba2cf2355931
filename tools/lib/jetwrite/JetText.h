#pragma once

#include <optional>
#include <string>
#include <vector>

namespace jetwriter {

// The bytes Jet4 stores for a text value, with Unicode compression as Access applies it:
// text of three or more characters, all in U+0001..U+00FF, is stored as FF FE and one byte
// per character; anything else as UTF-16LE. Nothing when the text cannot be stored: it holds
// U+0000, or it starts with U+FEFF (which plain UTF-16LE would turn into the FF FE marker) and
// also holds a UTF-16 unit whose low byte is 0 (which the compressed form cannot carry).
std::optional<std::string> encodeJetText(const std::vector<char32_t>& codePoints);

// UTF-16LE without compression: Access stores long memos this way. Nothing when the text holds
// U+0000 or starts with U+FEFF (a reader would take it for the compressed form).
std::optional<std::string> encodeJetTextPlain(const std::vector<char32_t>& codePoints);

// Jet3 text: one byte per character in the Windows code page `codePage` (1251, 1252, ...).
// Nothing when a character has no form there, or the code page is not known to the system.
std::optional<std::string> encodeCodePage(const std::vector<char32_t>& codePoints, int codePage);

}  // namespace jetwriter
