#include "NumberValue.h"

#include "Bytes.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace jet::reader::detail {

namespace {

using u128 = unsigned __int128;

// Every kind reduces to one of three forms: a whole number, a binary fraction, or a whole
// number of units of 10^-scale (Currency, Decimal).
struct Number {
    enum class Kind { Whole, Binary, Scaled } kind = Kind::Whole;
    std::int64_t whole = 0;
    double binary = 0;
    bool single = false;
    bool negative = false;
    u128 magnitude = 0;
    unsigned scale = 0;
};

Number decode(const Column& c, const std::uint8_t* v, std::uint32_t size) {
    // Access keeps some number columns in the variable part of a row (MSysAccessStorage does).
    if (size != numberSize(c.type)) damaged("number of a wrong size");
    Number n;
    switch (static_cast<ColumnType>(c.type)) {
        case ColumnType::Byte: n.whole = v[0]; break;
        case ColumnType::Integer: n.whole = static_cast<std::int16_t>(u16(v)); break;
        case ColumnType::Long: n.whole = static_cast<std::int32_t>(u32(v)); break;
        case ColumnType::BigInt: n.whole = static_cast<std::int64_t>(u64(v)); break;
        case ColumnType::Single: {
            float f;
            const std::uint32_t bits = u32(v);
            std::memcpy(&f, &bits, sizeof f);
            n.kind = Number::Kind::Binary;
            n.binary = f;
            n.single = true;
            break;
        }
        case ColumnType::Double: {
            const std::uint64_t bits = u64(v);
            std::memcpy(&n.binary, &bits, sizeof n.binary);
            n.kind = Number::Kind::Binary;
            break;
        }
        case ColumnType::Currency: {
            const auto units = static_cast<std::int64_t>(u64(v));
            n.kind = Number::Kind::Scaled;
            n.negative = units < 0;
            // Unsigned negation: the most negative amount has no positive int64 form.
            n.magnitude = n.negative ? 0 - static_cast<std::uint64_t>(units)
                                     : static_cast<std::uint64_t>(units);
            n.scale = 4;
            break;
        }
        case ColumnType::Decimal: {
            // A sign byte, then 128 bits as four little-endian words, the most significant first.
            n.kind = Number::Kind::Scaled;
            n.negative = (v[0] & 0x80) != 0;
            for (int word = 0; word < 4; ++word)
                n.magnitude = (n.magnitude << 32) | u32(v + 1 + 4 * word);
            n.scale = c.scale;
            break;
        }
        default: unreadable("not a number column");
    }
    return n;
}

u128 powerOfTen(unsigned scale) {
    u128 p = 1;
    for (unsigned i = 0; i < scale; ++i) p *= 10;
    return p;
}

void appendUnsigned(u128 value, std::string& out) {
    char digits[40];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    while (n > 0) out += digits[--n];
}

void appendScaled(const Number& n, std::string& out) {
    const u128 unit = powerOfTen(n.scale);
    const u128 whole = n.magnitude / unit;
    u128 fraction = n.magnitude % unit;
    if (n.negative && n.magnitude != 0) out += '-';
    appendUnsigned(whole, out);
    if (fraction == 0) return;
    unsigned digits = n.scale;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --digits;
    }
    out += '.';
    std::string tail;
    appendUnsigned(fraction, tail);
    out.append(digits - tail.size(), '0');
    out += tail;
}

void appendBinary(const Number& n, std::string& out) {
    if (std::isnan(n.binary)) {
        out += "NaN";
        return;
    }
    if (std::isinf(n.binary)) {
        out += n.binary < 0 ? "-Infinity" : "Infinity";
        return;
    }
    // Fixed notation of the largest double takes 309 digits; the smallest 1074 after the point.
    char text[1100];
    const std::to_chars_result r =
        n.single ? std::to_chars(text, text + sizeof text, static_cast<float>(n.binary),
                                 std::chars_format::fixed)
                 : std::to_chars(text, text + sizeof text, n.binary, std::chars_format::fixed);
    std::string_view s(text, static_cast<std::size_t>(r.ptr - text));
    if (s == "-0") s = "0";
    out.append(s);
}

std::int32_t inRange(long double value) {
    if (!(value >= std::numeric_limits<std::int32_t>::min() &&
          value <= std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::uint32_t numberSize(std::uint8_t type) {
    switch (static_cast<ColumnType>(type)) {
        case ColumnType::Byte: return 1;
        case ColumnType::Integer: return 2;
        case ColumnType::Long:
        case ColumnType::Single: return 4;
        case ColumnType::Currency:
        case ColumnType::Double:
        case ColumnType::BigInt: return 8;
        case ColumnType::Decimal: return 17;
        default: return 0;
    }
}

void appendNumberText(const Column& column, const std::uint8_t* value, std::uint32_t size,
                      std::string& out) {
    const Number n = decode(column, value, size);
    switch (n.kind) {
        case Number::Kind::Whole: {
            char text[24];
            const auto r = std::to_chars(text, text + sizeof text, n.whole);
            out.append(text, r.ptr);
            break;
        }
        case Number::Kind::Binary: appendBinary(n, out); break;
        case Number::Kind::Scaled: appendScaled(n, out); break;
    }
}

std::int32_t numberValue(const Column& column, const std::uint8_t* value, std::uint32_t size) {
    const Number n = decode(column, value, size);
    switch (n.kind) {
        case Number::Kind::Whole: return inRange(static_cast<long double>(n.whole));
        case Number::Kind::Binary:
            return std::isfinite(n.binary) ? inRange(std::round(n.binary)) : 0;
        case Number::Kind::Scaled: {
            const u128 unit = powerOfTen(n.scale);
            u128 whole = n.magnitude / unit;
            if ((n.magnitude % unit) * 2 >= unit) ++whole;
            constexpr u128 kLimit = u128{1} << 31;
            if (whole > kLimit || (!n.negative && whole == kLimit)) return 0;
            const auto w = static_cast<std::int64_t>(whole);
            return static_cast<std::int32_t>(n.negative ? -w : w);
        }
    }
    return 0;
}

}  // namespace jet::reader::detail
