#include "CaseFold.h"

#include <algorithm>

namespace cp1251 {

namespace {

// Upper-case Cyrillic letters outside the contiguous А..Я block, with their lower-case bytes.
struct Pair {
    unsigned char upper, lower;
};
constexpr Pair kOtherCyrillic[] = {
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
};

constexpr unsigned char foldByRule(unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte + ('a' - 'A'));
    if (byte >= 0xC0 && byte <= 0xDF) return static_cast<unsigned char>(byte + 0x20);
    for (const Pair& p : kOtherCyrillic)
        if (byte == p.upper) return p.lower;
    return byte;
}

// The sign-in folds every byte of every record-book number it scans; a table keeps that to a load.
struct FoldTable {
    unsigned char lower[256];
    constexpr FoldTable() : lower() {
        for (int b = 0; b < 256; ++b) lower[b] = foldByRule(static_cast<unsigned char>(b));
    }
};
constexpr FoldTable kFold;

}  // namespace

unsigned char foldCase(unsigned char byte) {
    return kFold.lower[byte];
}

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return foldCase(static_cast<unsigned char>(x)) == foldCase(static_cast<unsigned char>(y));
    });
}

}  // namespace cp1251
