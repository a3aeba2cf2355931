#include "CaseFold.h"
#include "Cp1251.h"

#include <gtest/gtest.h>

using cp1251::equalIgnoringCase;
using cp1251::foldCase;

namespace {

// The lower-case code point of an upper-case letter of CP1251, worked out from Unicode's own
// layout rather than from the table the code uses.
char32_t expectedLower(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;  // А..Я
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;  // Ѐ..Џ
    if (c == 0x0490) return 0x0491;                   // Ґ
    return c;
}

TEST(CaseFoldTest, EveryByteFoldsOntoItsLowerCaseLetterAndNothingElseChanges) {
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        const char32_t c = cp1251::toCodePoint(byte);
        SCOPED_TRACE(b);
        EXPECT_EQ(cp1251::toCodePoint(foldCase(byte)), expectedLower(c));
    }
}

TEST(CaseFoldTest, ComparesLettersIgnoringCaseAndEverythingElseExactly) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"ab12", "AB12", true},
        {"А-100", "а-100", true},
        {"ЗК-2024/5", "зк-2024/5", true},
        {"Ёлка", "ёЛКА", true},
        {"Ёлка", "Елка", false},  // Ё is a letter of its own, not a form of Е
        {"12345", " 12345", false},
        {"12345", "12345 ", false},
        {"12-34", "12_34", false},
        {"", "", true},
        {"1", "", false},
        {"A", "А", false},  // Latin and Cyrillic capitals look alike but differ
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(equalIgnoringCase(cp1251::fromUtf8(c.a), cp1251::fromUtf8(c.b)), c.equal);
    }
}

TEST(CaseFoldTest, NulBytesTakePartInTheComparison) {
    EXPECT_FALSE(equalIgnoringCase(std::string("12\0", 3), "12"));
    EXPECT_TRUE(equalIgnoringCase(std::string("a\0b", 3), std::string("A\0B", 3)));
}

}  // namespace
