#include "JetText.h"

#include <algorithm>

#include "Utf8.h"

namespace jetwriter {

std::optional<std::string> encodeJetText(const std::vector<char32_t>& codePoints) {
    if (std::find(codePoints.begin(), codePoints.end(), U'\0') != codePoints.end())
        return std::nullopt;

    const bool allNarrow =
        std::all_of(codePoints.begin(), codePoints.end(), [](char32_t cp) { return cp <= 0xFF; });
    std::string out;
    // Two characters take four bytes either way; Access leaves such short text uncompressed.
    if (allNarrow && codePoints.size() >= 3) {
        out.reserve(2 + codePoints.size());
        out += "\xFF\xFE";
        for (char32_t cp : codePoints) out.push_back(static_cast<char>(cp));
        return out;
    }

    const std::u16string units = toUtf16(codePoints);
    if (!codePoints.empty() && codePoints.front() == 0xFEFF) {
        // Marker, then a 00 byte that switches the stream to two-byte units at once. In that
        // mode a unit with a low byte of 0 would read as another switch.
        if (std::any_of(units.begin(), units.end(), [](char16_t u) { return (u & 0xFF) == 0; }))
            return std::nullopt;
        out += std::string("\xFF\xFE\x00", 3);
    }
    for (char16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

}  // namespace jetwriter
