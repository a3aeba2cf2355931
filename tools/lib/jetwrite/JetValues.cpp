#include "JetValues.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "JetText.h"
#include "Utf8.h"

namespace jetwriter {
namespace {

constexpr int kMaxDecimalPrecision = 28;
constexpr std::size_t kMaxCompressedMemoChars = 1024;  // longer memos Access keeps uncompressed
// What Access gives a calculated number column: the wrapper and the largest value it may hold.
constexpr std::uint16_t kCalculatedNumberBytes = 39;
constexpr std::size_t kWrapperHead = 16;
constexpr std::size_t kWrapperTail = 3;

const char* typeName(ColumnType t) {
    switch (t) {
        case ColumnType::Text: return "TEXT";
        case ColumnType::Long: return "LONG";
        case ColumnType::Byte: return "BYTE";
        case ColumnType::Integer: return "INTEGER";
        case ColumnType::Single: return "SINGLE";
        case ColumnType::Double: return "DOUBLE";
        case ColumnType::Currency: return "CURRENCY";
        case ColumnType::Decimal: return "DECIMAL";
        case ColumnType::Memo: return "MEMO";
        case ColumnType::DateTime: return "DATETIME";
        case ColumnType::Boolean: return "BOOLEAN";
    }
    return "?";
}

const char* carrierName(const Value& v) {
    static const char* const kNames[] = {
        "text",      "a number", "a fractional number", "a currency amount",
        "a decimal", "a date",   "a yes/no value"};
    return kNames[v->index()];
}

std::vector<char32_t> codePoints(const std::string& utf8, const Where& where) {
    auto cps = decodeUtf8(utf8);
    if (!cps) throw Error(where() + ": the text is not valid UTF-8");
    if (std::find(cps->begin(), cps->end(), U'\0') != cps->end())
        throw Error(where() + ": the text holds a NUL character");
    return *cps;
}

std::string inCodePage(const std::vector<char32_t>& cps, const jet::PageFormat& f,
                       const Where& where) {
    auto bytes = encodeCodePage(cps, f.codePage);
    if (!bytes)
        throw Error(where() + ": the text holds a character that code page " +
                    std::to_string(f.codePage) + " does not have");
    return *bytes;
}

// The digits of a decimal's text scaled to `scale` places, as a 128-bit magnitude.
unsigned __int128 decimalMagnitude(const std::string& text, const Column& c, bool& negative,
                                   const Where& where) {
    std::string_view s = text;
    negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    const std::size_t point = s.find('.');
    const std::string_view whole = s.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
    const auto digits = [](std::string_view d) {
        return std::all_of(d.begin(), d.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    };
    if (whole.empty() || !digits(whole) || !digits(fraction) ||
        (point != std::string_view::npos && fraction.empty()))
        throw Error(where() + ": \"" + text + "\" is not a decimal number");
    const std::size_t lead = std::min(whole.find_first_not_of('0'), whole.size());
    if (whole.size() - lead > static_cast<std::size_t>(c.precision - c.scale) ||
        fraction.size() > static_cast<std::size_t>(c.scale))
        throw Error(where() + ": " + text + " does not fit DECIMAL(" + std::to_string(c.precision) +
                    ", " + std::to_string(c.scale) + ")");
    unsigned __int128 m = 0;
    for (char ch : whole) m = m * 10 + static_cast<unsigned>(ch - '0');
    for (int i = 0; i < c.scale; ++i)
        m = m * 10 + (static_cast<std::size_t>(i) < fraction.size()
                          ? static_cast<unsigned>(fraction[i] - '0')
                          : 0u);
    if (m == 0) negative = false;
    return m;
}

// Sign byte, then the magnitude as four little-endian 32-bit words, the most significant first.
std::string decimalBytes(unsigned __int128 m, bool negative) {
    std::string b(1, negative ? '\x80' : '\0');
    for (int word = 3; word >= 0; --word)
        b += jet::le32(static_cast<std::uint32_t>(m >> (32 * word)));
    return b;
}

std::string wholeNumber(std::int32_t v, const Column& c, const Where& where) {
    const auto outside = [&](const char* range) {
        return Error(where() + ": " + std::to_string(v) + " is outside the " + typeName(c.type) +
                     " range " + range);
    };
    switch (c.type) {
        case ColumnType::Long: return jet::le32(static_cast<std::uint32_t>(v));
        case ColumnType::Integer:
            if (v < -32768 || v > 32767) throw outside("-32768 to 32767");
            return jet::le16(static_cast<std::uint32_t>(v) & 0xFFFF);
        case ColumnType::Byte:
            if (v < 0 || v > 255) throw outside("0 to 255");
            return std::string(1, static_cast<char>(v));
        case ColumnType::Single: return jet::leFloat(static_cast<float>(v));
        case ColumnType::Double: return jet::leDouble(v);
        case ColumnType::Currency:
            return jet::le64(static_cast<std::uint64_t>(std::int64_t{v} * 10000));
        case ColumnType::Decimal: {
            bool negative = false;
            return decimalBytes(decimalMagnitude(std::to_string(v), c, negative, where), negative);
        }
        default: break;
    }
    throw Error(where() + ": a whole number given for a " + typeName(c.type) + " column");
}

}  // namespace

std::uint8_t typeCode(ColumnType t) {
    switch (t) {
        case ColumnType::Text: return jet::kText;
        case ColumnType::Long: return jet::kLong;
        case ColumnType::Byte: return jet::kByte;
        case ColumnType::Integer: return jet::kInt;
        case ColumnType::Single: return jet::kFloat;
        case ColumnType::Double: return jet::kDouble;
        case ColumnType::Currency: return jet::kMoney;
        case ColumnType::Decimal: return jet::kNumeric;
        case ColumnType::Memo: return jet::kMemo;
        case ColumnType::DateTime: return jet::kDateTime;
        case ColumnType::Boolean: return jet::kBoolean;
    }
    return jet::kText;
}

std::string storedName(const std::string& utf8, const jet::PageFormat& f, const Where& where) {
    const auto cps = codePoints(utf8, where);
    if (f.jet3) return inCodePage(cps, f, where);
    return encodeJetTextPlain(cps).value_or(std::string());
}

jet::ColumnDef columnDefinition(const Column& c, const jet::PageFormat& f, const Where& where) {
    jet::ColumnDef d;
    d.storedName = storedName(c.name, f, where);
    d.type = typeCode(c.type);
    if (c.calculated) {
        if (f.version < 2)
            throw Error(where() +
                        ": calculated columns exist in Access 2010 and later files (.accdb) only");
        d.calculated = true;
        if (c.type != ColumnType::Text && c.type != ColumnType::Memo)
            d.length = kCalculatedNumberBytes;
    }
    if (c.type == ColumnType::Text) {
        if (c.maxChars < 1 || c.maxChars > 255)
            throw Error(where() + ": a text column holds 1 to 255 characters, not " +
                        std::to_string(c.maxChars));
        d.length = static_cast<std::uint16_t>(f.jet3 ? c.maxChars : 2 * c.maxChars);  // in bytes
    } else if (c.type == ColumnType::Decimal) {
        if (f.jet3) throw Error(where() + ": Access 97 files have no DECIMAL columns");
        if (c.precision < 1 || c.precision > kMaxDecimalPrecision || c.scale < 0 ||
            c.scale > c.precision)
            throw Error(where() + ": DECIMAL(" + std::to_string(c.precision) + ", " +
                        std::to_string(c.scale) + ") is not a decimal's size (precision 1 to 28, " +
                        "scale 0 to precision)");
        d.precision = static_cast<std::uint8_t>(c.precision);
        d.scale = static_cast<std::uint8_t>(c.scale);
    }
    return d;
}

std::string storedText(const std::string& utf8, const jet::PageFormat& f, bool memo,
                       const Where& where) {
    const auto cps = codePoints(utf8, where);
    if (f.jet3) return inCodePage(cps, f, where);
    auto bytes =
        memo && cps.size() > kMaxCompressedMemoChars ? encodeJetTextPlain(cps) : encodeJetText(cps);
    if (!bytes)
        throw Error(where() +
                    ": text that starts with U+FEFF cannot be stored (unless short and without "
                    "a character whose low byte is 0, such as U+0100)");
    return *bytes;
}

std::optional<std::string> storedValue(const Column& c, const Value& value,
                                       const jet::PageFormat& f, const Where& where) {
    const auto wrong = [&] {
        return Error(where() + ": " + carrierName(value) + " given for a " + typeName(c.type) +
                     " column");
    };
    if (c.type == ColumnType::Text) {
        const auto* s = std::get_if<std::string>(&*value);
        if (!s) throw wrong();
        const auto cps = codePoints(*s, where);
        const std::size_t length = utf16Length(cps);
        if (length > static_cast<std::size_t>(c.maxChars))
            throw Error(where() + ": the text is " + std::to_string(length) +
                        " characters long; the column holds " + std::to_string(c.maxChars));
        return storedText(*s, f, false, where);
    }
    if (const auto* n = std::get_if<std::int32_t>(&*value)) return wholeNumber(*n, c, where);
    if (const auto* d = std::get_if<double>(&*value)) {
        if (c.type == ColumnType::Double) return jet::leDouble(*d);
        if (c.type == ColumnType::Single) {
            if (std::isfinite(*d) && std::fabs(*d) > std::numeric_limits<float>::max())
                throw Error(where() + ": " + std::to_string(*d) + " is too large for a SINGLE");
            return jet::leFloat(static_cast<float>(*d));
        }
        throw wrong();
    }
    if (const auto* m = std::get_if<Currency>(&*value)) {
        if (c.type != ColumnType::Currency) throw wrong();
        return jet::le64(static_cast<std::uint64_t>(m->tenThousandths));
    }
    if (const auto* d = std::get_if<Decimal>(&*value)) {
        if (c.type != ColumnType::Decimal) throw wrong();
        bool negative = false;
        const auto m = decimalMagnitude(d->text, c, negative, where);
        return decimalBytes(m, negative);
    }
    if (const auto* t = std::get_if<DateTime>(&*value)) {
        if (c.type != ColumnType::DateTime) throw wrong();
        return jet::leDouble(t->days);
    }
    if (const auto* b = std::get_if<bool>(&*value)) {
        if (c.type != ColumnType::Boolean) throw wrong();
        return *b ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    throw wrong();
}

std::string wrapCalculated(const std::string& value) {
    return std::string(kWrapperHead, '\0') + jet::le32(static_cast<std::uint32_t>(value.size())) +
           value + std::string(kWrapperTail, '\0');
}

std::string calculatedValue(const Column& c, const Value& value, const jet::PageFormat& f,
                            const Where& where) {
    if (c.type == ColumnType::Boolean) {
        const auto* b = std::get_if<bool>(&*value);
        if (!b)
            throw Error(where() + ": " + carrierName(value) + " given for a " + typeName(c.type) +
                        " column");
        return wrapCalculated(std::string(1, *b ? '\xFF' : '\0'));
    }
    const std::optional<std::string> given = storedValue(c, value, f, where);
    const std::string stored = given ? *given : std::string();
    if (c.type != ColumnType::Decimal) return wrapCalculated(stored);
    // Its own scale and sign, then the 96-bit magnitude: the top 32 bits, then the low 64, each
    // little-endian. The stored form's first word is always 0 within 28 digits.
    return wrapCalculated(jet::le16(14) + static_cast<char>(c.scale) + stored.substr(0, 1) +
                          stored.substr(5, 4) + stored.substr(13, 4) + stored.substr(9, 4));
}

}  // namespace jetwriter
