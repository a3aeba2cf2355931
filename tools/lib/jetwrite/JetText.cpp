#include "JetText.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

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

std::optional<std::string> encodeJetTextPlain(const std::vector<char32_t>& codePoints) {
    if (std::find(codePoints.begin(), codePoints.end(), U'\0') != codePoints.end())
        return std::nullopt;
    if (!codePoints.empty() && codePoints.front() == 0xFEFF) return std::nullopt;
    std::string out;
    for (char16_t u : toUtf16(codePoints)) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

std::optional<std::string> encodeCodePage(const std::vector<char32_t>& codePoints, int codePage) {
    const std::string target = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open(target.c_str(), "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in;
    for (char32_t cp : codePoints) {
        for (int shift = 0; shift < 32; shift += 8) in.push_back(static_cast<char>(cp >> shift));
    }
    std::string out(codePoints.size() * 4 + 4, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    // A single-byte code page gives one byte per character; anything else did not convert.
    if (out.size() != codePoints.size()) return std::nullopt;
    return out;
}

}  // namespace jetwriter
