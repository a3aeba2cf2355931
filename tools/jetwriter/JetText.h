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

}  // namespace jetwriter
