#include "Int32Text.h"

namespace classlist {

Int32Parse parseInt32(std::string_view text, std::int32_t& out) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return Int32Parse::NotANumber;
    std::int64_t value = 0;
    bool tooBig = false;
    for (char c : text) {
        if (c < '0' || c > '9') return Int32Parse::NotANumber;
        // Keep scanning after an overflow so that "99999999999x" still reads as not a number.
        if (!tooBig) {
            value = value * 10 + (c - '0');
            if (value > 2147483648LL) tooBig = true;
        }
    }
    if (negative) value = -value;
    if (tooBig || value > 2147483647LL || value < -2147483648LL) return Int32Parse::OutOfRange;
    out = static_cast<std::int32_t>(value);
    return Int32Parse::Ok;
}

}  // namespace classlist
