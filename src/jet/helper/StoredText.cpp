#include "StoredText.h"

#include "Cp1251.h"

std::string storedTextToCp1251(std::string_view stored) {
    const auto* p = reinterpret_cast<const unsigned char*>(stored.data());
    std::size_t left = stored.size();
    const bool marked = left >= 2 && p[0] == 0xFF && p[1] == 0xFE;
    if (marked) {
        p += 2;
        left -= 2;
    }
    bool compressed = marked;
    std::string out;
    out.reserve(compressed ? left : left / 2);
    while (left > 0) {
        if (marked && *p == 0) {
            compressed = !compressed;
            ++p;
            --left;
            continue;
        }
        char16_t unit;
        if (compressed) {
            unit = *p;
            ++p;
            --left;
        } else {
            if (left < 2) break;
            unit = static_cast<char16_t>(p[0] | (p[1] << 8));
            p += 2;
            left -= 2;
            if (unit == 0) break;
        }
        const int byte = cp1251::fromCodePoint(unit);
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}
