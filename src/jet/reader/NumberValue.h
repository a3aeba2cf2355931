#pragma once

#include "JetReader.h"

#include <cstdint>
#include <string>

// What a stored number becomes where the caller wants text or a 32-bit number.
namespace jet::reader::detail {

// Appends the value's decimal text: no grouping, no exponent, no trailing zeros after a point
// (Currency 12.3400 -> "12.34", Double 7.0 -> "7"); Single and Double as the shortest text that
// reads back to the same value.
void appendNumberText(const Column& column, const std::uint8_t* value, std::uint32_t size,
                      std::string& out);

// A whole value as it is, a fraction rounded to the nearest (halves away from zero); a value
// outside the 32-bit range, NaN or an infinity as 0.
std::int32_t numberValue(const Column& column, const std::uint8_t* value, std::uint32_t size);

// The stored size of a number kind; 0 for other kinds.
std::uint32_t numberSize(std::uint8_t type);

}  // namespace jet::reader::detail
