#pragma once

#include <string_view>

// Letter case of CP1251 text: the Latin letters and the Cyrillic letters of the code page.
namespace signin {

// The lower-case form of a CP1251 byte; anything that is not an upper-case letter is unchanged.
unsigned char foldCase(unsigned char byte);

// Equal byte for byte once letters are folded; blanks, digits and punctuation must match exactly.
bool equalIgnoringCase(std::string_view a, std::string_view b);

}  // namespace signin
