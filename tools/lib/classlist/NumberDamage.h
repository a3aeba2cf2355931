#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace classlist {

// What a spreadsheet that held record-book numbers as numbers does to them when it saves its
// cells as text: the card reads 00123 or 202400000001, the file says 123 or 2,024E+11.
enum class NumberDamage {
    ExponentForm,      // 1,23457E+11: the digits are lost
    DecimalZero,       // 2024.0 or 2024,0 for 2024
    LeadingZerosLost,  // a whole number shorter than most of the column's
};

struct DamagedNumber {
    std::size_t index;  // into the numbers given
    NumberDamage damage;
    std::size_t usualDigits = 0;  // LeadingZerosLost: how many digits most numbers have
};

// Whether `number` is written in exponent form, as a spreadsheet shows a long number.
bool inExponentForm(std::string_view number);

// The numbers of one record-book column (any ASCII-compatible encoding, blanks trimmed) that
// look damaged, in the order given. Leading zeros count as lost only where most of the
// column's whole numbers, and at least three, have more digits.
std::vector<DamagedNumber> findNumberDamage(const std::vector<std::string_view>& numbers);

}  // namespace classlist
