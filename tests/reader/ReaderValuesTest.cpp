// What each kind of stored value becomes as text and as a 32-bit number.
#include "CaseFold.h"
#include "Cp1251.h"
#include "JetReader.h"
#include "LongValue.h"
#include "NumberValue.h"
#include "PageFile.h"
#include "ReaderTestFiles.h"
#include "TempDir.h"
#include "TextDecoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

using jet::reader::Column;
using jet::reader::ColumnType;
using jet::reader::Failure;
using jet::reader::ReadError;

namespace {

struct NumberCase {
    ColumnType type;
    std::vector<std::uint8_t> stored;
    std::string text;
    std::int32_t number;
    std::uint8_t scale = 0;
};

std::vector<std::uint8_t> le(std::uint64_t v, int size) {
    std::vector<std::uint8_t> b;
    for (int i = 0; i < size; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}
std::vector<std::uint8_t> single(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return le(bits, 4);
}
std::vector<std::uint8_t> dbl(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return le(bits, 8);
}
std::vector<std::uint8_t> currency(std::int64_t units) {
    return le(static_cast<std::uint64_t>(units), 8);
}
// A sign byte, then four little-endian 32-bit words, the most significant first.
std::vector<std::uint8_t> decimal(bool negative, std::uint64_t high, std::uint64_t low) {
    std::vector<std::uint8_t> b{static_cast<std::uint8_t>(negative ? 0x80 : 0)};
    for (const std::uint32_t word :
         {static_cast<std::uint32_t>(high >> 32), static_cast<std::uint32_t>(high),
          static_cast<std::uint32_t>(low >> 32), static_cast<std::uint32_t>(low)}) {
        const auto w = le(word, 4);
        b.insert(b.end(), w.begin(), w.end());
    }
    return b;
}

class NumberKinds : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberKinds, BecomeTextAndLong) {
    const NumberCase& c = GetParam();
    Column column;
    column.type = static_cast<std::uint8_t>(c.type);
    column.scale = c.scale;
    const auto size = static_cast<std::uint32_t>(c.stored.size());
    std::string text;
    jet::reader::detail::appendNumberText(column, c.stored.data(), size, text);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(jet::reader::detail::numberValue(column, c.stored.data(), size), c.number);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    EveryKind, NumberKinds,
    ::testing::Values(
        NumberCase{ColumnType::Byte, {200}, "200", 200},
        NumberCase{ColumnType::Integer, le(0xFFFB, 2), "-5", -5},
        NumberCase{ColumnType::Long, le(0x80000000u, 4), "-2147483648", INT32_MIN},
        NumberCase{ColumnType::BigInt, le(1ull << 40, 8), "1099511627776", 0},
        NumberCase{ColumnType::BigInt, le(static_cast<std::uint64_t>(-7), 8), "-7", -7},
        NumberCase{ColumnType::Single, single(2.5f), "2.5", 3},
        NumberCase{ColumnType::Single, single(0.1f), "0.1", 0},
        NumberCase{ColumnType::Double, dbl(-2.5), "-2.5", -3},
        NumberCase{ColumnType::Double, dbl(7.0), "7", 7},
        NumberCase{ColumnType::Double, dbl(-0.0), "0", 0},
        NumberCase{ColumnType::Double, dbl(1e21), "1000000000000000000000", 0},
        NumberCase{ColumnType::Double, dbl(2147483647.4), "2147483647.4", INT32_MAX},
        NumberCase{ColumnType::Double, dbl(2147483647.5), "2147483647.5", 0},
        NumberCase{ColumnType::Double, dbl(-2147483648.5), "-2147483648.5", 0},
        NumberCase{ColumnType::Double, dbl(kNaN), "NaN", 0},
        NumberCase{ColumnType::Double, dbl(-kInf), "-Infinity", 0},
        NumberCase{ColumnType::Currency, currency(123400), "12.34", 12},
        NumberCase{ColumnType::Currency, currency(-25000), "-2.5", -3},
        NumberCase{ColumnType::Currency, currency(70000), "7", 7},
        NumberCase{ColumnType::Currency, currency(5), "0.0005", 0},
        NumberCase{ColumnType::Currency, currency(INT64_MIN), "-922337203685477.5808", 0},
        NumberCase{ColumnType::Decimal, decimal(false, 0, 12345), "123.45", 123, 2},
        NumberCase{ColumnType::Decimal, decimal(true, 0, 1250), "-1.25", -1, 3},
        NumberCase{ColumnType::Decimal, decimal(true, 0, 2147483648ull), "-2147483648", INT32_MIN},
        NumberCase{ColumnType::Decimal, decimal(false, 0, 2147483648ull), "2147483648", 0},
        NumberCase{ColumnType::Decimal, decimal(false, 1, 0), "18446744073709551616", 0},
        NumberCase{ColumnType::Decimal, decimal(true, 0, 0), "0", 0, 4}));

TEST(NumberSizes, AStoredSizeThatDoesNotFitIsDamage) {
    Column column;
    column.type = static_cast<std::uint8_t>(ColumnType::Long);
    const std::uint8_t two[2] = {1, 0};
    try {
        jet::reader::detail::numberValue(column, two, 2);
        FAIL();
    } catch (const ReadError& e) {
        EXPECT_EQ(e.failure(), Failure::DamagedData);
    }
}

TEST(ValueKinds, WhatReadsAsTextAndAsLong) {
    for (int type = 0; type < 256; ++type) {
        const auto t = static_cast<std::uint8_t>(type);
        const bool number = (type >= 2 && type <= 7) || type == 16 || type == 19;
        EXPECT_EQ(jet::reader::readableAsLong(t), number) << type;
        EXPECT_EQ(jet::reader::readableAsText(t), number || type == 10 || type == 12) << type;
    }
    EXPECT_EQ(jet::reader::typeName(8), "DateTime");
    EXPECT_EQ(jet::reader::typeName(0x2A), "type 0x2A");
}

// Jet4 text: UTF-16LE, or after FF FE single bytes with 00 switching modes.
TEST(StoredText, BecomesCp1251) {
    const struct {
        std::string stored;
        std::string utf8;
    } cases[] = {
        {std::string("\xFF\xFE"
                     "12345",
                     7),
         "12345"},
        {std::string("\xFF\xFE"
                     "Ab \0\x1F\x04\x40\x04\0 x",
                     13),
         "Ab Пр x"},
        {std::string("\x10\x04\x3D\x04", 4), "Ан"},
        {std::string("\x51\x04\x01\x04", 4), "ёЁ"},
        {std::string("\xAC\x20\x00\x4E", 4), "€?"},  // U+4E00 has no CP1251 form
        {std::string("A\0\0\0B\0", 6), "A"},         // ends at U+0000
        {std::string("A\0B", 3), "A"},               // a lone byte at the end
        {std::string("\xFF\xFE\xE9", 3), "?"},       // é is not in CP1251
    };
    for (const auto& c : cases) {
        std::string out;
        jet::reader::detail::appendStoredText(c.stored, out);
        EXPECT_EQ(out, cp1251::fromUtf8(c.utf8)) << c.utf8;
    }
}

// A search compares a compressed value with no switch as stored; any other is decoded first.
TEST(StoredText, ComparedAsStoredWhereThatTells) {
    using Equal = std::optional<bool>;
    const struct {
        std::string stored;
        std::string text;
        Equal equal;
    } cases[] = {
        {"\xFF\xFE"
         "AB12",
         "ab12", true},
        {"\xFF\xFE"
         "AB12",
         "AB12", true},
        {"\xFF\xFE"
         "AB12",
         "ab1", false},
        {"\xFF\xFE"
         "AB12",
         "ab123", false},
        {"\xFF\xFE"
         "AB12",
         "ab13", false},
        {"\xFF\xFE"
         "\xE9",
         "?", true},  // é has no CP1251 form
        {"\xFF\xFE", "", true},
        {std::string("\xFF\xFE"
                     "Ab \0\x1F\x04",
                     7),
         "ab п", std::nullopt},
        {std::string("A\0B\0", 4), "ab", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jet::reader::detail::storedTextEquals(c.stored, cp1251::fromUtf8(c.text)),
                  c.equal)
            << c.text;
        // Where it tells, it tells what decoding and comparing would.
        std::string decoded;
        jet::reader::detail::appendStoredText(c.stored, decoded);
        if (c.equal)
            EXPECT_EQ(*c.equal, cp1251::equalIgnoringCase(decoded, cp1251::fromUtf8(c.text)))
                << c.text;
    }
}

// Jet3 text in the code page its header names.
TEST(Jet3CodePages, BecomeCp1251) {
    const struct {
        std::uint16_t codePage;
        std::string stored;
        std::string utf8;
    } cases[] = {
        {1251, "\xC7\xCA-1", "ЗК-1"},     {0, "\xC7\xCA-1", "ЗК-1"},      {4321, "\xC7\xCA", "ЗК"},
        {866, "\x87\x8A-1\xF1", "ЗК-1ё"}, {20866, "\xFA\xEB", "ЗК"},      {1252, "\x80\xE9", "€?"},
        {28595, "\xB7\xBA", "ЗК"},        {10007, "\x87\x8A\xDE", "ЗКё"},
    };
    for (const auto& c : cases) {
        std::string out;
        jet::reader::detail::appendCodePageText(c.stored, c.codePage, out);
        EXPECT_EQ(out, cp1251::fromUtf8(c.utf8)) << c.codePage;
    }
}

// Memo values: in the row, in one row of a long-value page, along a chain of them.
class LongValues : public ::testing::Test {
protected:
    void SetUp() override {
        auto bytes = readertest::written({readertest::students(1)});
        first_ = bytes.pageCount();
        bytes.bytes.append(7 * readertest::JetBytes::kPage, '\0');
        addLvalRow(bytes, first_, std::string("\0\0\0\0", 4) + std::string(1, '\x01'), "Hello, ");
        // The chain's first row points at row 0 of the second page.
        std::string next(4, '\0');
        next[1] = static_cast<char>(first_ + 1);
        addLvalRow(bytes, first_, next, "Hello, ");
        addLvalRow(bytes, first_ + 1, std::string(4, '\0'), "world");
        // Chains that do not add up: row 1 points at itself, row 2 at itself with no bytes,
        // row 3 on to the "Hello, " row, rows 4 and 5 at each other.
        addLvalRow(bytes, first_ + 1, pointer(first_ + 1, 1), "ab");
        addLvalRow(bytes, first_ + 1, pointer(first_ + 1, 2), "");
        addLvalRow(bytes, first_ + 1, pointer(first_, 1), "xy");
        addLvalRow(bytes, first_ + 1, pointer(first_ + 1, 5), "a");
        addLvalRow(bytes, first_ + 1, pointer(first_ + 1, 4), "a");
        // A compressed text of 4,000 characters, a page for each thousand.
        for (std::uint32_t k = 0; k < 4; ++k) {
            const std::string piece = std::string(1000, static_cast<char>('a' + k));
            addLvalRow(bytes, first_ + 2 + k, k < 3 ? pointer(first_ + 3 + k, 0) : pointer(0, 0),
                       k == 0 ? "\xFF\xFE" + piece : piece);
        }
        // One whose first piece is mostly switches between one- and two-byte characters.
        addLvalRow(bytes, first_ + 6, pointer(first_ + 6, 1),
                   "\xFF\xFE"
                   "ab" +
                       std::string(20, '\0'));
        addLvalRow(bytes, first_ + 6, pointer(0, 0), "cdefgh");
        path_ = bytes.save(dir_.path(), "memo.mdb");
        file_ = std::make_unique<jet::reader::detail::PageFile>(path_.string());
    }
    // Puts one row at the bottom of a long-value page.
    void addLvalRow(readertest::JetBytes& b, std::uint32_t n, const std::string& head,
                    const std::string& data) {
        std::uint8_t* p = b.page(n);
        p[0] = 0x01;
        std::memcpy(p + 4, "LVAL", 4);
        const std::uint16_t rows = p[12];
        const std::uint16_t end = rows == 0
                                      ? 4096
                                      : static_cast<std::uint16_t>(p[14 + 2 * (rows - 1)] |
                                                                   (p[15 + 2 * (rows - 1)] << 8));
        const std::string row = head + data;
        const auto start = static_cast<std::uint16_t>(end - row.size());
        std::memcpy(p + start, row.data(), row.size());
        p[14 + 2 * rows] = static_cast<std::uint8_t>(start);
        p[15 + 2 * rows] = static_cast<std::uint8_t>(start >> 8);
        p[12] = static_cast<std::uint8_t>(rows + 1);
    }
    static std::string pointer(std::uint32_t page, std::uint8_t row) {
        std::string p(4, '\0');
        p[0] = static_cast<char>(row);
        p[1] = static_cast<char>(page);
        return p;
    }
    std::string field(std::uint32_t length, std::uint8_t kind, std::uint32_t page,
                      std::uint8_t row) {
        std::string f(12, '\0');
        f[0] = static_cast<char>(length);
        f[1] = static_cast<char>(length >> 8);
        f[2] = static_cast<char>(length >> 16);
        f[3] = static_cast<char>(kind);
        f[4] = static_cast<char>(row);
        f[5] = static_cast<char>(page);
        return f;
    }
    std::string text(const std::string& f, std::size_t limit) {
        std::string scratch;
        std::string out;
        jet::reader::detail::appendLongText(*file_, reinterpret_cast<const std::uint8_t*>(f.data()),
                                            static_cast<std::uint32_t>(f.size()), scratch, out,
                                            limit);
        return out;
    }
    std::string read(const std::string& f) {
        std::string scratch;
        return std::string(
            jet::reader::detail::longValue(*file_, reinterpret_cast<const std::uint8_t*>(f.data()),
                                           static_cast<std::uint32_t>(f.size()), scratch));
    }
    TempDir dir_;
    std::filesystem::path path_;
    std::uint32_t first_ = 0;
    std::unique_ptr<jet::reader::detail::PageFile> file_;
};

// A long value is decoded no further than the caller takes: the helper's reply cap.
TEST(LongValueText, IsCutAtTheLimit) {
    jetwriter::Table t{"Notes", {{"Note", jetwriter::ColumnType::Memo}}, {}};
    const std::string note = std::string(9000, 'a') + std::string(3000, 'b');
    t.rows.push_back({note});
    TempDir dir;
    jet::reader::File file(readertest::written({t}).save(dir.path(), "notes.mdb").string());
    jet::reader::Table notes = file.table("Notes");
    std::string text;
    notes.textInto(0, 0, text);
    EXPECT_EQ(text, note);
    for (const std::size_t limit : {0u, 1u, 100u, 9001u, 12000u, 20000u}) {
        notes.textInto(0, 0, text, limit);
        EXPECT_EQ(text, note.substr(0, limit)) << limit;
    }
}

TEST_F(LongValues, EachPlaceIsRead) {
    EXPECT_EQ(read(field(3, 0x80, 0, 0) + "abc"), "abc");
    EXPECT_EQ(read(field(12, 0x00, first_, 1)), "Hello, world");
    EXPECT_EQ(read(field(5, 0x40, first_ + 1, 0)), std::string(4, '\0') + "w");
}

// The helper caps what it sends of a value; a chain is read no further than the cap needs.
TEST_F(LongValues, TextIsReadNoFurtherThanTheLimit) {
    constexpr std::uint64_t kPage = readertest::JetBytes::kPage;
    const std::string chain = field(4002, 0x00, first_ + 2, 0);
    EXPECT_EQ(file_->heldBytes(), 0u);
    EXPECT_EQ(text(chain, 10), std::string(10, 'a'));
    EXPECT_EQ(file_->heldBytes(), kPage);
    EXPECT_EQ(text(chain, 1001), std::string(1000, 'a') + "b");
    EXPECT_LT(file_->heldBytes(), 4 * kPage);
    const std::string whole = text(chain, std::string::npos);
    EXPECT_EQ(whole.size(), 4000u);
    EXPECT_EQ(whole.substr(2990, 20), std::string(10, 'c') + std::string(10, 'd'));
    EXPECT_EQ(file_->heldBytes(), 4 * kPage);
    // Where the bytes the limit allows hold fewer characters, the value is read on.
    const std::string switches = field(30, 0x00, first_ + 6, 0);
    for (const std::size_t limit : {0u, 2u, 4u, 8u, 100u})
        EXPECT_EQ(text(switches, limit), std::string("abcdefgh").substr(0, limit)) << limit;
}

TEST_F(LongValues, BadPointersAndLengthsAreDamage) {
    const std::string bad[] = {
        field(4, 0x80, 0, 0) + "abc",   // longer than its row
        field(13, 0x00, first_, 1),     // the chain ends first
        field(5, 0x40, first_ + 9, 0),  // past the end of the file
        field(5, 0x40, 2, 0),           // not a long-value page
        field(5, 0x40, first_, 7),      // no such row
        field(5, 0x20, first_, 0),      // unknown kind
        std::string(11, '\0'),          // header cut short
        // A chain is bounded by the value's own length, its pieces adding up to it exactly:
        field(10, 0x00, first_, 1),     // the last piece longer than what remains
        field(6, 0x00, first_ + 1, 1),  // a piece that points to itself
        field(5, 0x00, first_ + 1, 2),  // a piece that carries no bytes
        field(9, 0x00, first_ + 1, 3),  // the last piece points onward
        field(3, 0x00, first_ + 1, 4),  // two pieces that point to each other
    };
    for (const std::string& f : bad) {
        try {
            read(f);
            ADD_FAILURE() << "read";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.failure(), Failure::DamagedData) << e.what();
        }
    }
}

}  // namespace
