#pragma once

#include "JetReader.h"

#include <array>
#include <cstdint>
#include <string_view>

// Access 2010 and later store a calculated column's value wrapped: 16 bytes, the value's length
// (32 bits), the value, 3 bytes. The column's type is the expression's result type, which the
// table's properties name.
namespace jet::reader::detail {

// The value inside its wrapper; DamagedData where the wrapper and the length do not add up.
std::string_view unwrapCalculated(std::string_view wrapped);

// A calculated Decimal carries its own scale and sign and 4 to 16 bytes of magnitude (a
// leading odd 32-bit word, then 64-bit words, each little-endian, the most significant first).
// Rewritten here as a stored Decimal: a sign byte, then four 32-bit words, most significant first.
struct CalculatedDecimal {
    std::array<std::uint8_t, 17> stored{};
    std::uint8_t scale = 0;
};
CalculatedDecimal calculatedDecimal(std::string_view value);

}  // namespace jet::reader::detail
