#include "Utf8.h"

namespace jetwriter {
namespace {

// Decodes one sequence at `pos`; on success advances `pos` and stores the code point.
bool decodeOne(std::string_view s, std::size_t& pos, char32_t& out) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(pos);
    if (b0 < 0x80) {
        out = b0;
        pos += 1;
        return true;
    }
    std::size_t len;
    char32_t cp;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return false;  // continuation byte, C0/C1 overlong lead, or F5..FF
    }
    if (s.size() - pos < len) return false;
    for (std::size_t i = 1; i < len; ++i) {
        const unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    out = cp;
    pos += len;
    return true;
}

}  // namespace

std::optional<std::vector<char32_t>> decodeUtf8(std::string_view bytes) {
    std::vector<char32_t> out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp;
        if (!decodeOne(bytes, pos, cp)) return std::nullopt;
        out.push_back(cp);
    }
    return out;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t cp;
        if (!decodeOne(bytes, pos, cp)) return pos;
    }
    return std::nullopt;
}

std::u16string toUtf16(const std::vector<char32_t>& codePoints) {
    std::u16string units;
    units.reserve(codePoints.size());
    for (char32_t cp : codePoints) {
        if (cp >= 0x10000) {
            units.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
    }
    return units;
}

std::size_t utf16Length(const std::vector<char32_t>& codePoints) {
    std::size_t n = 0;
    for (char32_t cp : codePoints) n += cp >= 0x10000 ? 2 : 1;
    return n;
}

}  // namespace jetwriter
