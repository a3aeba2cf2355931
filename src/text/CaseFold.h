#pragma once

#include <string>
#include <string_view>

// Letter case of CP1251 text: the Latin letters and the Cyrillic letters of the code page. The
// program has this one fold: record-book numbers, table and column names and file names all use it.
namespace cp1251 {

// The lower-case form of a CP1251 byte; anything that is not an upper-case letter is unchanged.
unsigned char foldCase(unsigned char byte);

// The text with every letter folded: the key two texts share when equalIgnoringCase holds.
std::string folded(std::string_view text);

// Equal byte for byte once letters are folded; blanks, digits and punctuation must match exactly.
bool equalIgnoringCase(std::string_view a, std::string_view b);

}  // namespace cp1251
