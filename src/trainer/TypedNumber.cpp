#include "TypedNumber.h"

namespace trainer {

namespace {

// The white space of the "C" locale; CP1251's own blanks (A0) are not white space there.
bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int32_t> typedNumber(std::string_view text) {
    const std::string_view copy = text.substr(0, kWorkingCopyLength);
    std::size_t i = 0;
    while (i < copy.size() && isCSpace(copy[i])) ++i;
    bool negative = false;
    if (i < copy.size() && (copy[i] == '+' || copy[i] == '-')) {
        negative = copy[i] == '-';
        ++i;
    }
    // The magnitude is held in 64 bits and stops growing once past the 32-bit range, so that
    // no digit string, however long, overflows.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (; i < copy.size() && isDigit(copy[i]); ++i) {
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (copy[i] - '0');
    }
    if (negative) {
        if (magnitude > kLimit) return std::nullopt;
        return static_cast<std::int32_t>(-magnitude);
    }
    if (magnitude >= kLimit) return std::nullopt;
    return static_cast<std::int32_t>(magnitude);
}

}  // namespace trainer
