#pragma once

#include <string>
#include <string_view>

namespace workbook {

// The format code of one of Excel's built-in number formats (ids 0-49); "General" for the others.
std::string_view builtInFormat(unsigned id);

// Whether the format shows a date or a time (a built-in date id, or day, month, year, hour or
// second in the code).
bool isDateFormat(unsigned id, std::string_view code);

// `value` as the format code shows it under a Russian locale: decimal comma, a no-break space
// between thousands. Handles General, digit placeholders (0 # ?), decimals, thousands, percent,
// exponents, literal text, sections for negative and zero values, and dates and times (serials
// counted from 1900, or from 1904 when `from1904`). What it does not handle, such as fractions
// and conditions, shows as General.
std::string formatNumber(double value, std::string_view code, bool from1904 = false);

// A number cell's text: as formatNumber shows it, but where the format would show an exponent
// (1,23457E+11, its digits rounded away) the value's own digits, as generalNumber gives them: a
// number keeps its digits whatever it is shown as. Leading zeros ("00000") stay as shown.
std::string numberCellText(double value, std::string_view code, bool from1904 = false);

// Whether the number's whole part has more digits than the 15 a spreadsheet keeps exactly.
bool pastFifteenDigits(double value);

// A text cell through the format's text section, where it has one ("@" with literals).
std::string formatText(const std::string& text, std::string_view code);

// General: whole numbers below 10^15 with all their digits, others with 15 significant digits.
std::string generalNumber(double value);

}  // namespace workbook
