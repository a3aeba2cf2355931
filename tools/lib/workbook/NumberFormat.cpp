#include "NumberFormat.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace workbook {
namespace {

constexpr const char* kDecimalComma = ",";
constexpr const char* kThousands = "\xC2\xA0";  // no-break space

struct Token {
    enum Kind { Literal, Digit, Point, Comma, Percent, Exponent, At, DatePart, General } kind;
    std::string text;  // the literal, the placeholder ('0', '#', '?'), the date part, E+ or E-
};

bool startsWithNoCase(std::string_view s, std::size_t at, std::string_view word) {
    if (s.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[at + i])) != word[i]) return false;
    return true;
}

// The bytes of the UTF-8 character at `i`, so that an escape or a fill takes a whole letter.
std::size_t charLength(std::string_view s, std::size_t i) {
    if (i >= s.size()) return 0;
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    while (n > 1 && (i + n > s.size() || (static_cast<unsigned char>(s[i + n - 1]) & 0xC0) != 0x80))
        --n;
    return n;
}

bool isDateLetter(char c) {
    switch (std::tolower(static_cast<unsigned char>(c))) {
        case 'y':
        case 'm':
        case 'd':
        case 'h':
        case 's': return true;
        default: return false;
    }
}

// The sections of a code, split at semicolons outside quotes and brackets.
std::vector<std::string_view> sections(std::string_view code) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    bool quoted = false;
    bool bracket = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (quoted) {
            quoted = c != '"';
        } else if (bracket) {
            bracket = c != ']';
        } else if (c == '"') {
            quoted = true;
        } else if (c == '[') {
            bracket = true;
        } else if (c == '\\' || c == '_' || c == '*') {
            i += charLength(code, i + 1);
        } else if (c == ';') {
            out.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(code.substr(start));
    return out;
}

struct Section {
    std::vector<Token> tokens;
    bool hasCondition = false;
    bool unsupported = false;  // fractions
};

Section tokenize(std::string_view s) {
    Section out;
    auto& t = out.tokens;
    const auto literal = [&](std::string text) {
        if (!t.empty() && t.back().kind == Token::Literal)
            t.back().text += text;
        else
            t.push_back({Token::Literal, std::move(text)});
    };
    bool point = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            const std::size_t end = s.find('"', i + 1);
            literal(
                std::string(s.substr(i + 1, end == std::string_view::npos ? end : end - i - 1)));
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == '\\') {
            const std::size_t n = charLength(s, i + 1);
            literal(std::string(s.substr(i + 1, n)));
            i += n;
        } else if (c == '_') {
            i += charLength(s, i + 1);
            literal(" ");
        } else if (c == '*') {
            i += charLength(s, i + 1);
        } else if (c == '[') {
            const std::size_t end = s.find(']', i);
            const std::string_view inside =
                s.substr(i + 1, end == std::string_view::npos ? end : end - i - 1);
            if (!inside.empty() && inside[0] == '$') {
                // A currency or a locale: [$₽-419] shows ₽, [$-419] nothing.
                literal(std::string(inside.substr(1, inside.find('-') - 1)));
            } else if (!inside.empty() &&
                       (inside[0] == '<' || inside[0] == '>' || inside[0] == '=')) {
                out.hasCondition = true;
            } else if (!inside.empty() &&
                       std::all_of(inside.begin(), inside.end(),
                                   [&](char x) {
                                       return std::tolower(static_cast<unsigned char>(x)) ==
                                              std::tolower(static_cast<unsigned char>(inside[0]));
                                   }) &&
                       std::string_view("hHmMsS").find(inside[0]) != std::string_view::npos) {
                t.push_back({Token::DatePart, "[" + std::string(inside) + "]"});
            }
            if (end == std::string_view::npos) break;
            i = end;
        } else if (c == '0' || c == '#' || c == '?') {
            t.push_back({Token::Digit, std::string(1, c)});
        } else if (c == '.' && !point) {
            point = true;
            t.push_back({Token::Point, ""});
        } else if (c == ',') {
            t.push_back({Token::Comma, ""});
        } else if (c == '%') {
            t.push_back({Token::Percent, ""});
        } else if ((c == 'E' || c == 'e') && i + 1 < s.size() &&
                   (s[i + 1] == '+' || s[i + 1] == '-')) {
            t.push_back({Token::Exponent, std::string(1, s[i + 1])});
            ++i;
        } else if (c == '@') {
            t.push_back({Token::At, ""});
        } else if (startsWithNoCase(s, i, "general")) {
            t.push_back({Token::General, ""});
            i += 6;
        } else if (startsWithNoCase(s, i, "am/pm")) {
            t.push_back({Token::DatePart, "am/pm"});
            i += 4;
        } else if (startsWithNoCase(s, i, "a/p")) {
            t.push_back({Token::DatePart, "a/p"});
            i += 2;
        } else if (isDateLetter(c)) {
            const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            std::string part(1, lower);
            while (i + 1 < s.size() &&
                   std::tolower(static_cast<unsigned char>(s[i + 1])) == lower) {
                part += lower;
                ++i;
            }
            t.push_back({Token::DatePart, part});
        } else if (c == '/') {
            const bool digitBefore = !t.empty() && t.back().kind == Token::Digit;
            const bool digitAfter =
                i + 1 < s.size() && (s[i + 1] == '0' || s[i + 1] == '#' || s[i + 1] == '?' ||
                                     std::isdigit(static_cast<unsigned char>(s[i + 1])));
            if (digitBefore && digitAfter) out.unsupported = true;
            literal("/");
        } else {
            literal(std::string(1, c));
        }
    }
    return out;
}

bool hasKind(const Section& s, Token::Kind kind) {
    return std::any_of(s.tokens.begin(), s.tokens.end(),
                       [&](const Token& t) { return t.kind == kind; });
}

// A non-negative value as decimal digits: the whole part without leading zeros ("" for none)
// and `decimals` digits after the point, rounded half away from zero on 15 significant digits
// as the spreadsheets do.
void decimalDigits(double value, int decimals, std::string& whole, std::string& fraction) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (std::isdigit(static_cast<unsigned char>(*p))) digits += *p;
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    const int pointAt = exponent + 1;  // digits before the point
    if (pointAt <= 0) {
        whole.clear();
        fraction = std::string(static_cast<std::size_t>(-pointAt), '0') + digits;
    } else if (static_cast<std::size_t>(pointAt) >= digits.size()) {
        whole = digits + std::string(static_cast<std::size_t>(pointAt) - digits.size(), '0');
        fraction.clear();
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(pointAt));
        fraction = digits.substr(static_cast<std::size_t>(pointAt));
    }
    const auto keep = static_cast<std::size_t>(decimals);
    const bool up = fraction.size() > keep && fraction[keep] >= '5';
    fraction.resize(keep, '0');
    if (up) {
        std::size_t i = fraction.size();
        bool carry = true;
        while (carry && i > 0) {
            char& d = fraction[--i];
            carry = d == '9';
            d = carry ? '0' : static_cast<char>(d + 1);
        }
        for (i = whole.size(); carry && i > 0;) {
            char& d = whole[--i];
            carry = d == '9';
            d = carry ? '0' : static_cast<char>(d + 1);
        }
        if (carry) whole.insert(whole.begin(), '1');
    }
    const std::size_t firstNonZero = whole.find_first_not_of('0');
    whole.erase(0, firstNonZero == std::string::npos ? whole.size() : firstNonZero);
}

std::string grouped(const std::string& digits) {
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += kThousands;
        out += digits[i];
    }
    return out;
}

std::string placeholderFill(const std::string& placeholder) {
    return placeholder == "0" ? "0" : placeholder == "?" ? " " : "";
}

// A number through a section without date parts; `value` not negative.
std::string formatPlain(double value, const Section& section) {
    const auto& t = section.tokens;
    // Where the whole part's placeholders end: the point, the exponent, or the last placeholder.
    std::size_t pointAt = t.size();
    std::size_t exponentAt = t.size();
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind == Token::Point && pointAt == t.size()) pointAt = i;
        if (t[i].kind == Token::Exponent && exponentAt == t.size()) exponentAt = i;
    }
    const std::size_t mantissaEnd = std::min(pointAt, exponentAt);
    std::vector<std::size_t> wholeAt, fractionAt, exponentDigits;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != Token::Digit) continue;
        if (i < mantissaEnd)
            wholeAt.push_back(i);
        else if (i < exponentAt)
            fractionAt.push_back(i);
        else
            exponentDigits.push_back(i);
    }
    // A comma between the whole part's placeholders groups thousands; commas after the last of
    // them divide by a thousand each.
    bool grouping = false;
    int thousandths = 0;
    for (std::size_t i = 0; i < mantissaEnd; ++i) {
        if (t[i].kind != Token::Comma) continue;
        if (!wholeAt.empty() && i > wholeAt.front() && i < wholeAt.back())
            grouping = true;
        else if (!wholeAt.empty() && i > wholeAt.back())
            ++thousandths;
    }
    for (const Token& x : t)
        if (x.kind == Token::Percent) value *= 100;
    for (int i = 0; i < thousandths; ++i) value /= 1000;
    if (!std::isfinite(value)) return "#NUM!";  // a percent of the largest numbers

    const int decimals = static_cast<int>(fractionAt.size());
    std::string whole, fraction;
    int exponent = 0;
    const bool scientific = exponentAt < t.size();
    if (scientific && value != 0) {
        exponent = static_cast<int>(std::floor(std::log10(value)));
        const int step = std::max<int>(1, static_cast<int>(wholeAt.size()));
        // Engineering notation ("##0.0E+0") keeps the exponent a multiple of the whole digits.
        if (step > 1 && t[wholeAt.front()].text == "#")
            exponent = static_cast<int>(std::floor(static_cast<double>(exponent) / step)) * step;
        else
            exponent -= step - 1;
        const double mantissa = value / std::pow(10.0, exponent);
        // The smallest numbers' power of ten is no double; they show as General.
        if (!std::isfinite(mantissa)) return generalNumber(value);
        decimalDigits(mantissa, decimals, whole, fraction);
    } else {
        decimalDigits(value, decimals, whole, fraction);
    }

    // Digits of the whole part go right to left into its placeholders, the leftmost taking all
    // that are left.
    std::vector<std::string> at(t.size());
    if (grouping) {
        std::size_t zeros = 0;
        for (const std::size_t i : wholeAt)
            if (t[i].text == "0") ++zeros;
        std::string padded = whole;
        if (padded.size() < zeros) padded.insert(0, zeros - padded.size(), '0');
        at[wholeAt.front()] = grouped(padded);
    } else {
        std::size_t left = whole.size();
        for (std::size_t k = wholeAt.size(); k-- > 0;) {
            const std::size_t i = wholeAt[k];
            if (k == 0) {
                at[i] = left > 0 ? whole.substr(0, left) : placeholderFill(t[i].text);
            } else if (left > 0) {
                at[i] = whole.substr(--left, 1);
            } else {
                at[i] = placeholderFill(t[i].text);
            }
        }
    }
    // Trailing zeros of the decimals show only where the placeholder is 0.
    std::size_t significant = fraction.find_last_not_of('0');
    significant = significant == std::string::npos ? 0 : significant + 1;
    for (std::size_t k = 0; k < fractionAt.size(); ++k) {
        const std::size_t i = fractionAt[k];
        at[i] = k < significant ? fraction.substr(k, 1) : placeholderFill(t[i].text);
    }
    if (scientific) {
        std::string digits = std::to_string(std::abs(exponent));
        if (digits.size() < exponentDigits.size())
            digits.insert(0, exponentDigits.size() - digits.size(), '0');
        if (!exponentDigits.empty()) at[exponentDigits.front()] = digits;
    }

    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        switch (t[i].kind) {
            case Token::Literal: out += t[i].text; break;
            case Token::Digit: out += at[i]; break;
            case Token::Point: out += kDecimalComma; break;
            case Token::Percent: out += '%'; break;
            case Token::Exponent:
                out += 'E';
                if (exponent < 0)
                    out += '-';
                else if (t[i].text == "+")
                    out += '+';
                break;
            default: break;
        }
    }
    return out;
}

struct DateTime {
    int year, month, day, hour, minute, second, weekday;
    double days;  // the serial's whole days, for elapsed hours
};

DateTime fromSerial(double serial, bool from1904) {
    // Whole seconds, rounded as the spreadsheets show them.
    const long long seconds = std::llround(serial * 86400.0);
    long long days = seconds / 86400;
    const long long inDay = seconds % 86400;
    DateTime d{};
    d.days = static_cast<double>(days);
    d.hour = static_cast<int>(inDay / 3600);
    d.minute = static_cast<int>(inDay / 60 % 60);
    d.second = static_cast<int>(inDay % 60);
    if (!from1904 && days == 60) {  // the 29 February 1900 that Excel counts and the year lacks
        d.year = 1900;
        d.month = 2;
        d.day = 29;
        d.weekday = 3;
        return d;
    }
    // Days since 1970-01-01, then the civil date (H. Hinnant's algorithm).
    long long z = from1904 ? days - 24107 : (days < 60 ? days - 25568 : days - 25569);
    d.weekday = static_cast<int>(((z % 7) + 11) % 7);  // 0 Sunday; 1970-01-01 was a Thursday
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    return d;
}

constexpr const char* kMonths[] = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                   "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
constexpr const char* kMonthsShort[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                        "июл", "авг", "сен", "окт", "ноя", "дек"};
constexpr const char* kDays[] = {"воскресенье", "понедельник", "вторник", "среда",
                                 "четверг",     "пятница",     "суббота"};
constexpr const char* kDaysShort[] = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};

std::string twoDigits(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

std::string formatDate(double serial, const Section& section, bool from1904) {
    if (serial < 0 || serial > 2958465.0) return generalNumber(serial);  // before 1900, after 9999
    DateTime d = fromSerial(serial, from1904);
    const auto& t = section.tokens;
    const bool twelveHours = std::any_of(t.begin(), t.end(), [](const Token& x) {
        return x.kind == Token::DatePart && (x.text == "am/pm" || x.text == "a/p");
    });
    // "m" is minutes right after hours or right before seconds.
    const auto isMinute = [&](std::size_t i) {
        for (std::size_t j = i; j-- > 0;) {
            if (t[j].kind != Token::DatePart) continue;
            if (t[j].text[0] == 'h' || t[j].text.rfind("[h", 0) == 0) return true;
            break;
        }
        for (std::size_t j = i + 1; j < t.size(); ++j) {
            if (t[j].kind != Token::DatePart) continue;
            return t[j].text[0] == 's';
        }
        return false;
    };
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Token& x = t[i];
        if (x.kind == Token::Literal) {
            out += x.text;
            continue;
        }
        if (x.kind == Token::Point) {
            out += '.';  // between day and month; fractions of seconds are not shown
            continue;
        }
        if (x.kind != Token::DatePart) continue;
        const std::string& p = x.text;
        const std::size_t n = p.size();
        if (p[0] == 'y') {
            out += n <= 2 ? twoDigits(d.year % 100) : std::to_string(d.year);
        } else if (p[0] == 'm' && n <= 2 && isMinute(i)) {
            out += n == 1 ? std::to_string(d.minute) : twoDigits(d.minute);
        } else if (p[0] == 'm') {
            out += n == 1   ? std::to_string(d.month)
                   : n == 2 ? twoDigits(d.month)
                   : n == 3 ? kMonthsShort[d.month - 1]
                            : kMonths[d.month - 1];
        } else if (p[0] == 'd') {
            out += n == 1   ? std::to_string(d.day)
                   : n == 2 ? twoDigits(d.day)
                   : n == 3 ? kDaysShort[d.weekday]
                            : kDays[d.weekday];
        } else if (p[0] == 'h') {
            int h = d.hour;
            if (twelveHours) h = h % 12 == 0 ? 12 : h % 12;
            out += n == 1 ? std::to_string(h) : twoDigits(h);
        } else if (p[0] == 's') {
            out += n == 1 ? std::to_string(d.second) : twoDigits(d.second);
        } else if (p == "am/pm") {
            out += d.hour < 12 ? "AM" : "PM";
        } else if (p == "a/p") {
            out += d.hour < 12 ? "A" : "P";
        } else if (p[0] == '[') {
            const double total = d.days * 86400 + d.hour * 3600 + d.minute * 60 + d.second;
            const char unit = static_cast<char>(std::tolower(static_cast<unsigned char>(p[1])));
            const double per = unit == 'h' ? 3600 : unit == 'm' ? 60 : 1;
            out += std::to_string(static_cast<long long>(total / per));
        }
    }
    return out;
}

bool hasDatePart(const Section& s) {
    return hasKind(s, Token::DatePart);
}

}  // namespace

std::string_view builtInFormat(unsigned id) {
    switch (id) {
        case 1: return "0";
        case 2: return "0.00";
        case 3: return "#,##0";
        case 4: return "#,##0.00";
        case 9: return "0%";
        case 10: return "0.00%";
        case 11: return "0.00E+00";
        case 12: return "# ?/?";
        case 13:
            return "# ?"
                   "?/?"
                   "?";
        // The short date and the date with time follow the reader's locale; Russian here.
        case 14: return "dd.mm.yyyy";
        case 15: return "d-mmm-yy";
        case 16: return "d-mmm";
        case 17: return "mmm-yy";
        case 18: return "h:mm AM/PM";
        case 19: return "h:mm:ss AM/PM";
        case 20: return "h:mm";
        case 21: return "h:mm:ss";
        case 22: return "dd.mm.yyyy h:mm";
        case 37: return "#,##0 ;(#,##0)";
        case 38: return "#,##0 ;[Red](#,##0)";
        case 39: return "#,##0.00;(#,##0.00)";
        case 40: return "#,##0.00;[Red](#,##0.00)";
        case 45: return "mm:ss";
        case 46: return "[h]:mm:ss";
        case 47: return "mm:ss.0";
        case 48: return "##0.0E+0";
        case 49: return "@";
        default: break;
    }
    // Ids 27-36 and 50-58 are East Asian dates.
    if ((id >= 27 && id <= 36) || (id >= 50 && id <= 58)) return "dd.mm.yyyy";
    return "General";
}

bool isDateFormat(unsigned id, std::string_view code) {
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58))
        return true;
    return hasDatePart(tokenize(sections(code).front()));
}

std::string generalNumber(double value) {
    if (!std::isfinite(value)) return "#NUM!";
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return std::string(buf) == "-0" ? "0" : buf;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s = buf;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

namespace {

std::string formatted(double value, std::string_view code, bool from1904, bool keepDigits) {
    if (!std::isfinite(value)) return "#NUM!";
    const auto all = sections(code);
    std::vector<Section> parsed;
    for (const std::string_view s : all) parsed.push_back(tokenize(s));
    const bool conditions =
        std::any_of(parsed.begin(), parsed.end(), [](const Section& s) { return s.hasCondition; });
    if (conditions) return generalNumber(value);
    std::size_t which = 0;
    bool sign = value < 0;
    if (value < 0 && parsed.size() >= 2) {
        which = 1;
        sign = false;
    } else if (value == 0 && parsed.size() >= 3) {
        which = 2;
    }
    const Section& section = parsed[which];
    if (section.unsupported || (which == 0 && all[0].empty())) return generalNumber(value);
    if (hasKind(section, Token::General)) {
        std::string out = sign ? "-" : "";
        for (const Token& x : section.tokens) {
            if (x.kind == Token::General) out += generalNumber(std::fabs(value));
            if (x.kind == Token::Literal) out += x.text;
        }
        return out;
    }
    if (hasDatePart(section)) return formatDate(value, section, from1904);
    if (hasKind(section, Token::At) && !hasKind(section, Token::Digit))
        return generalNumber(value);  // a number in a cell formatted as text
    if (!hasKind(section, Token::Digit)) {
        // Literals only, such as "-" for zero in accounting formats.
        std::string out;
        for (const Token& x : section.tokens)
            if (x.kind == Token::Literal) out += x.text;
        return out;
    }
    if (keepDigits && hasKind(section, Token::Exponent)) return generalNumber(value);
    std::string out = formatPlain(std::fabs(value), section);
    // A negative value that rounds to nothing but zeros shows no sign.
    if (sign && out.find_first_of("123456789") != std::string::npos) out.insert(0, "-");
    return out;
}

}  // namespace

std::string formatNumber(double value, std::string_view code, bool from1904) {
    return formatted(value, code, from1904, false);
}

std::string numberCellText(double value, std::string_view code, bool from1904) {
    return formatted(value, code, from1904, true);
}

bool pastFifteenDigits(double value) {
    return std::isfinite(value) && std::fabs(value) >= 1e15;
}

std::string formatText(const std::string& text, std::string_view code) {
    const auto all = sections(code);
    std::string_view chosen;
    if (all.size() >= 4)
        chosen = all[3];
    else if (all.size() == 1 && all[0].find('@') != std::string_view::npos)
        chosen = all[0];
    else
        return text;
    std::string out;
    for (const Token& x : tokenize(chosen).tokens) {
        if (x.kind == Token::Literal) out += x.text;
        if (x.kind == Token::At) out += text;
    }
    return out;
}

}  // namespace workbook
