#include "Cp1251.h"
#include "StoredText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// "FF FE 31" -> the three bytes.
std::string bytes(const char* hex) {
    std::istringstream in(hex);
    std::string out;
    for (unsigned b; in >> std::hex >> b;) out += static_cast<char>(b);
    return out;
}

// Stored bytes and the CP1251 text the helper hands out for them; the expected texts are what the
// library's own conversion followed by the helper's encoder gives.
struct Case {
    const char* what;
    const char* storedHex;
    const char* expectedUtf8;  // '?' marks a character without a CP1251 form
};

TEST(StoredTextTest, ConvertsBothStorageFormsToCp1251) {
    const Case cases[] = {
        {"compressed digits", "FF FE 31 32 33 34 35", "12345"},
        {"compressed Latin letters", "FF FE 61 62 31 32", "ab12"},
        {"UTF-16LE Cyrillic", "17 04 1A 04 2D 00 32 00 30 00 32 00 34 00 2F 00 35 00", "ЗК-2024/5"},
        {"compressed text with a two-byte run", "FF FE 61 00 10 04 11 04 00 62", "aАБb"},
        {"a 00 byte where a two-byte character would start switches back",
         "FF FE 61 00 10 04 00 62", "aАb"},
        {"Ё, ё and the euro sign", "01 04 51 04 AC 20", "Ёё€"},
        {"no CP1251 form", "00 04 61 00", "?a"},
        {"Latin-1 in compressed form", "FF FE E9 A4", "?¤"},
        {"each half of a surrogate pair", "3D D8 00 DE", "??"},
        {"U+0000 ends the text", "61 00 00 00 62 00", "a"},
        {"a lone byte at the end", "61 00 62", "a"},
        {"a lone byte at the end of a two-byte run", "FF FE 61 62 00 10 04 11", "abА"},
        {"empty", "", ""},
        {"the marker alone", "FF FE", ""},
        {"one byte", "FF", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(storedTextToCp1251(bytes(c.storedHex)), cp1251::fromUtf8(c.expectedUtf8));
    }
}

}  // namespace
