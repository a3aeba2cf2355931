#include "JetText.h"

#include <algorithm>
#include <cstdint>

namespace jetwriter {
namespace {

std::vector<std::uint16_t> toUtf16(const std::vector<char32_t>& codePoints) {
    std::vector<std::uint16_t> units;
    units.reserve(codePoints.size());
    for (char32_t cp : codePoints) {
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (v >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return units;
}

void appendUtf16le(std::string& out, const std::vector<std::uint16_t>& units) {
    for (std::uint16_t u : units) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
}

}  // namespace

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

    const std::vector<std::uint16_t> units = toUtf16(codePoints);
    if (!codePoints.empty() && codePoints.front() == 0xFEFF) {
        // Marker, then a 00 byte that switches the stream to two-byte units at once. In that
        // mode a unit with a low byte of 0 would read as another switch.
        if (std::any_of(units.begin(), units.end(),
                        [](std::uint16_t u) { return (u & 0xFF) == 0; }))
            return std::nullopt;
        out += std::string("\xFF\xFE\x00", 3);
    }
    appendUtf16le(out, units);
    return out;
}

}  // namespace jetwriter
