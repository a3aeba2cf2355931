#include "TextEncoding.h"

#include "Cp1251.h"
#include "CsvError.h"
#include "Utf8.h"

namespace classlist {
namespace {

// The line that the next character of `done` starts on.
std::size_t lineAtEnd(std::string_view done) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < done.size(); ++i)
        if (done[i] == '\n' || (done[i] == '\r' && !(i + 1 < done.size() && done[i + 1] == '\n')))
            ++line;
    return line;
}

std::string fromUtf16(std::string_view bytes, bool littleEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return littleEndian ? (b << 8 | a) : (a << 8 | b);
    };
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp1251::appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF)
            throw CsvError(lineAtEnd(out), 0, "",
                           {JW_TR("jetwriter",
                                  "the Unicode text holds a broken character (a lone UTF-16 "
                                  "surrogate); save the file again from the spreadsheet"),
                            {}});
        cp1251::appendUtf8(out, u);
    }
    if (i < bytes.size())
        throw CsvError(lineAtEnd(out), 0, "",
                       {JW_TR("jetwriter",
                              "the Unicode text ends in the middle of a character; the file "
                              "is cut short, save it again from the spreadsheet"),
                        {}});
    return out;
}

std::string fromCp1251(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const char32_t cp = cp1251::toCodePoint(static_cast<unsigned char>(c));
        if (cp == 0xFFFD)
            throw CsvError(lineAtEnd(out), 0, "",
                           {JW_TR("jetwriter",
                                  "the file is neither UTF-8 nor CP1251 (byte 0x98 is no "
                                  "character there); save it as \"CSV UTF-8\" or as Unicode "
                                  "text"),
                            {}});
        cp1251::appendUtf8(out, cp);
    }
    return out;
}

}  // namespace

jetwriter::Message encodingName(Encoding e) {
    switch (e) {
        case Encoding::Utf8: return {JW_TR("jetwriter", "UTF-8"), {}};
        case Encoding::Utf8WithBom: return {JW_TR("jetwriter", "UTF-8 with byte-order mark"), {}};
        case Encoding::Utf16Le: return {JW_TR("jetwriter", "UTF-16 LE (Unicode text)"), {}};
        case Encoding::Utf16Be: return {JW_TR("jetwriter", "UTF-16 BE (Unicode text)"), {}};
        case Encoding::Cp1251: return {JW_TR("jetwriter", "CP1251 (Windows Cyrillic)"), {}};
    }
    return {"?", {}};
}

DecodedText decodeClassList(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return {Encoding::Utf8WithBom, std::string(bytes.substr(3))};
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return {Encoding::Utf16Le, fromUtf16(bytes.substr(2), true)};
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return {Encoding::Utf16Be, fromUtf16(bytes.substr(2), false)};
    if (!jetwriter::firstInvalidUtf8(bytes)) return {Encoding::Utf8, std::string(bytes)};
    return {Encoding::Cp1251, fromCp1251(bytes)};
}

}  // namespace classlist
