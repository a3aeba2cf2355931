#include "NumberDamage.h"

#include <algorithm>
#include <map>

namespace classlist {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits from `pos` on; returns how many.
std::size_t digitsAt(std::string_view s, std::size_t pos) {
    std::size_t n = 0;
    while (pos + n < s.size() && isDigit(s[pos + n])) ++n;
    return n;
}

bool allDigits(std::string_view s) {
    return !s.empty() && digitsAt(s, 0) == s.size();
}

bool decimalZero(std::string_view s) {
    const std::size_t whole = digitsAt(s, 0);
    if (whole == 0 || whole + 1 >= s.size() || (s[whole] != '.' && s[whole] != ',')) return false;
    return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(whole) + 1, s.end(),
                       [](char c) { return c == '0'; });
}

}  // namespace

bool inExponentForm(std::string_view s) {
    std::size_t pos = digitsAt(s, 0);
    if (pos == 0) return false;
    if (pos < s.size() && (s[pos] == '.' || s[pos] == ',')) {
        const std::size_t fraction = digitsAt(s, pos + 1);
        if (fraction == 0) return false;
        pos += 1 + fraction;
    }
    // The sign is what the spreadsheet always writes; without it, 12E4 may be a real number.
    if (pos + 2 > s.size() || (s[pos] != 'E' && s[pos] != 'e') ||
        (s[pos + 1] != '+' && s[pos + 1] != '-'))
        return false;
    const std::size_t exponent = digitsAt(s, pos + 2);
    return exponent > 0 && pos + 2 + exponent == s.size();
}

std::vector<DamagedNumber> findNumberDamage(const std::vector<std::string_view>& numbers) {
    std::map<std::size_t, std::size_t> lengths;  // digits -> how many whole numbers have them
    std::size_t whole = 0;
    for (const std::string_view n : numbers)
        if (allDigits(n)) {
            ++lengths[n.size()];
            ++whole;
        }
    std::size_t usual = 0;
    std::size_t usualCount = 0;
    for (const auto& [digits, count] : lengths)
        if (count > usualCount) {
            usual = digits;
            usualCount = count;
        }
    const bool haveUsual = usualCount >= 3 && usualCount * 2 > whole;

    std::vector<DamagedNumber> out;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::string_view n = numbers[i];
        if (inExponentForm(n))
            out.push_back({i, NumberDamage::ExponentForm});
        else if (decimalZero(n))
            out.push_back({i, NumberDamage::DecimalZero});
        else if (haveUsual && allDigits(n) && n.size() < usual)
            out.push_back({i, NumberDamage::LeadingZerosLost, usual});
    }
    return out;
}

}  // namespace classlist
