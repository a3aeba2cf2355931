// Damaged files end in a ReadError at a definite operation: never a crash, a hang, a guess or
// another row's values.
#include "JetReader.h"
#include "ReaderTestFiles.h"
#include "StudentColumns.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>

using jet::reader::Failure;
using jet::reader::File;
using jet::reader::ReadError;
using jet::reader::Table;

namespace {

// Opens the file and reads every value of every user table; the failure it ended in, if any.
std::optional<Failure> readEverything(const std::filesystem::path& path, std::string& detail) {
    try {
        File file(path.string());
        for (const std::string& name : file.tableNames()) {
            Table t = file.table(name);
            for (std::uint32_t r = 0; r < t.rowCount(); ++r)
                for (std::size_t c = 0; c < t.columns().size(); ++c) {
                    if (jet::reader::readableAsText(t.columns()[c].type)) t.text(r, c);
                    if (jet::reader::readableAsLong(t.columns()[c].type)) t.number(r, c);
                }
        }
    } catch (const ReadError& e) {
        detail = e.what();
        return e.failure();
    }
    return std::nullopt;
}

// The files that broke libmdb. Two of them are damaged only in property blobs that this reader
// never reads: their tables read, and a sign-in ends in "no Students table".
TEST(DamagedFiles, ThoseThatBrokeLibmdbEndInAReadError) {
    const struct {
        const char* file;
        Failure failure;
    } cases[] = {{"hang_mdb_read_props_loop.mdb", Failure::TableNotFound},
                 {"oomabort_mdb_read_props_loop.mdb", Failure::DamagedData},
                 {"segv_mdb_read_props_list.mdb", Failure::TableNotFound},
                 {"segv_mdb_map_find_next_mapsz0.mdb", Failure::NotADatabase}};
    for (const auto& c : cases) {
        const auto path = readertest::dataFile(std::string("damaged/") + c.file);
        std::string detail;
        readEverything(path, detail);
        try {
            File file(path.string());
            Table t = file.table("Students");
            t.rowCount();
            ADD_FAILURE() << c.file << " has a Students table";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.failure(), c.failure) << c.file << ": " << e.what();
        }
    }
}

void putU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct DamageCase {
    const char* name;
    void (*damage)(readertest::JetBytes&, std::uint32_t tdef, std::uint32_t data);
    Failure failure;
    jetwriter::Format format = jetwriter::Format::Jet4;
};

class HandMadeDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(HandMadeDamage, EndsInAReadError) {
    auto bytes = readertest::written({readertest::students(40)}, GetParam().format);
    const std::uint32_t tdef = bytes.firstTableDefPage();
    GetParam().damage(bytes, tdef, bytes.dataPages(tdef).at(0));
    TempDir dir;
    std::string detail;
    const auto failure = readEverything(bytes.save(dir.path(), "d.mdb"), detail);
    ASSERT_TRUE(failure.has_value()) << "read without an error";
    EXPECT_EQ(*failure, GetParam().failure) << detail;
}

// Column entries of our writer's definitions start at 63 (no indexes), 25 bytes each; GrCount
// is the sixth, its fixed offset at 21 and its length at 23.
constexpr std::uint32_t kGrCountEntry = 63 + 5 * 25;
// Jet3: entries from 43, 18 bytes each, the fixed offset at 14 and the length at 16.
constexpr std::uint32_t kJet3GrCountEntry = 43 + 5 * 18;
constexpr auto kJet3 = jetwriter::Format::Jet3;

// Jet3 row 0 ends the page: its null mask (1 byte), its variable count (1), then the offsets of
// variable columns 0, 1, ... (1 byte each) backwards; a row this short has no jump table.
std::uint8_t* jet3RowEnd(readertest::JetBytes& b, std::uint32_t page) {
    return b.page(page) + b.pageSize;
}

INSTANTIATE_TEST_SUITE_P(
    Damages, HandMadeDamage,
    ::testing::Values(DamageCase{"truncatedMidPage",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t) {
                                     b.bytes.resize(b.bytes.size() - 1000);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"truncatedByWholePages",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                                     b.bytes.resize(std::size_t{data} *
                                                    readertest::JetBytes::kPage);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"usageMapPastTheEnd",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     const std::uint8_t* pointer = b.page(tdef) + 55;
                                     std::uint8_t* map =
                                         b.rowData(pointer[1] | (pointer[2] << 8), pointer[0]);
                                     putU32(map + 1,
                                            b.pageCount() + 3);  // the inline map's first page
                                 },
                                 Failure::DamagedData},
                      DamageCase{"usageMapNamesAnotherPage",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     const std::uint8_t* pointer = b.page(tdef) + 55;
                                     std::uint8_t* map =
                                         b.rowData(pointer[1] | (pointer[2] << 8), pointer[0]);
                                     putU32(map + 1,
                                            2);  // now names the catalogue's definition and data
                                 },
                                 Failure::DamagedData},
                      DamageCase{"dataPageOfAnotherOwner",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                                     putU32(b.page(data) + 4, 2);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"columnOutsideTheRow",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     b.page(tdef)[kGrCountEntry + 21] = 0xF0;
                                 },
                                 Failure::DamagedData},
                      DamageCase{"fixedColumnsOverlap",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     b.page(tdef)[kGrCountEntry + 21] =
                                         2;  // StCount holds bytes 0..3
                                 },
                                 Failure::TableUnreadable},
                      DamageCase{"longOfAWrongSize",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     b.page(tdef)[kGrCountEntry + 23] = 2;
                                 },
                                 Failure::TableUnreadable},
                      DamageCase{"rowCountsMoreColumnsThanTheTable",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                                     b.rowData(data, 3)[0] = 9;
                                 },
                                 Failure::DamagedData},
                      DamageCase{"tableDefinedAtTheHeaderPage",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     // The catalogue row of Students: its Id (the definition's
                                     // page) opens the row.
                                     for (std::uint32_t row = 0;; ++row) {
                                         std::uint8_t* r = b.rowData(3, row);
                                         if (r[2] == tdef && r[3] == 0 && r[4] == 0) {
                                             r[2] = 0;
                                             return;
                                         }
                                     }
                                 },
                                 Failure::TableUnreadable},
                      DamageCase{"rowPointerLoop",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     b.setSlotFlags(p, 0, 0x4000);
                                     b.pointTo(p, 0, p, 1);
                                     b.setSlotFlags(p, 1, 0xC000);
                                     b.pointTo(p, 1, p, 2);
                                     b.setSlotFlags(p, 2, 0xC000);
                                     b.pointTo(p, 2, p, 1);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"rowPointerToNowhere",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     b.setSlotFlags(p, 0, 0x4000);
                                     b.pointTo(p, 0, p, 200);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"rowPointerToARowOfTheScan",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     b.setSlotFlags(p, 0, 0x4000);
                                     b.pointTo(p, 0, p, 5);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"twoPointersToOneRow",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     for (const std::uint32_t row : {0u, 1u}) {
                                         b.setSlotFlags(p, row, 0x4000);
                                         b.pointTo(p, row, p, 4);
                                     }
                                     b.setSlotFlags(p, 4, 0x8000);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"variableOffsetsOutOfOrder",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     // Row 0 ends the page: its null mask (1 byte), column count
                                     // (2), then the offsets of variable columns 0, 1, ...
                                     // backwards.
                                     std::uint8_t* end = b.page(p) + readertest::JetBytes::kPage;
                                     end[-1 - 2 - 2 - 1] = 0xFF;  // column 1 begins past the others
                                 },
                                 Failure::DamagedData},
                      DamageCase{"nullValueHoldsBytes",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     // Row 0's null mask ends the page; StBook (column 0) holds a
                                     // number.
                                     b.page(p)[readertest::JetBytes::kPage - 1] &= 0xFE;
                                 },
                                 Failure::DamagedData},
                      DamageCase{"rowWithoutASlotForAColumnItCounts",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     // Row 0 counts two variable offsets for its four text columns.
                                     std::uint8_t* end = b.page(p) + readertest::JetBytes::kPage;
                                     end[-1 - 2] = 2;
                                     end[-1 - 1] = 0;
                                 },
                                 Failure::DamagedData},
                      DamageCase{"liveRowOfNoBytes",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     // Row 1's slot starts where row 0's does, which leaves it
                                     // empty.
                                     std::uint8_t* slots = b.page(p) + 14;
                                     slots[2] = slots[0];
                                     slots[3] = static_cast<std::uint8_t>(slots[1] & 0x1F);
                                 },
                                 Failure::DamagedData},
                      DamageCase{"jet3TruncatedMidPage",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t) {
                                     b.bytes.resize(b.bytes.size() - 1000);
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3DataPageOfAnotherOwner",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                                     putU32(b.page(data) + 4, 2);
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3UsageMapPastTheEnd",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     const std::uint8_t* pointer = b.page(tdef) + 35;
                                     std::uint8_t* map =
                                         b.rowData(pointer[1] | (pointer[2] << 8), pointer[0]);
                                     putU32(map + 1, b.pageCount() + 3);
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3FixedColumnsOverlap",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     b.page(tdef)[kJet3GrCountEntry + 14] = 2;
                                 },
                                 Failure::TableUnreadable, kJet3},
                      DamageCase{"jet3LongOfAWrongSize",
                                 [](readertest::JetBytes& b, std::uint32_t tdef, std::uint32_t) {
                                     b.page(tdef)[kJet3GrCountEntry + 16] = 2;
                                 },
                                 Failure::TableUnreadable, kJet3},
                      DamageCase{"jet3RowCountsMoreColumnsThanTheTable",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t data) {
                                     b.rowData(data, 3)[0] = 9;
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3RowPointerLoop",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     b.setSlotFlags(p, 0, 0x4000);
                                     b.pointTo(p, 0, p, 1);
                                     b.setSlotFlags(p, 1, 0xC000);
                                     b.pointTo(p, 1, p, 2);
                                     b.setSlotFlags(p, 2, 0xC000);
                                     b.pointTo(p, 2, p, 1);
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3VariableOffsetsOutOfOrder",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     jet3RowEnd(b, p)[-1 - 1 - 2] = 0xFF;  // column 1's start
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3VariableCountPastTheRow",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     jet3RowEnd(b, p)[-1 - 1] = 0xF0;
                                 },
                                 Failure::DamagedData, kJet3},
                      DamageCase{"jet3NullValueHoldsBytes",
                                 [](readertest::JetBytes& b, std::uint32_t, std::uint32_t p) {
                                     jet3RowEnd(b, p)[-1] &= 0xFE;  // StBook, which holds "B0"
                                 },
                                 Failure::DamagedData, kJet3}),
    [](const auto& info) { return std::string(info.param.name); });

// A Jet3 row past 256 bytes adds 256 to its one-byte offsets from the column its jump table
// names on; naming another column moves a border between two values.
TEST(HandMadeJet3Damage, JumpTableNamingAnotherColumn) {
    using jetwriter::ColumnType;
    const jetwriter::Table table{
        "Long",
        {{"A", ColumnType::Text, 255}, {"B", ColumnType::Text, 255}, {"C", ColumnType::Text, 10}},
        {{std::string(200, 'a'), std::string(100, 'b'), std::string("c")}}};
    for (const std::uint8_t jump : {0, 1, 3, 0xFF}) {
        auto bytes = readertest::written({table}, jetwriter::Format::Jet3);
        const std::uint32_t page = bytes.dataPages(bytes.firstTableDefPage()).at(0);
        // From the row's end: the null mask, the variable count, the jump table's one entry.
        std::uint8_t* entry = jet3RowEnd(bytes, page) - 3;
        ASSERT_EQ(*entry, 2) << "C begins past 256";
        *entry = jump;
        TempDir dir;
        std::string detail;
        const auto failure = readEverything(bytes.save(dir.path(), "d.mdb"), detail);
        ASSERT_TRUE(failure.has_value()) << "jump " << int{jump} << " read without an error";
        EXPECT_EQ(*failure, Failure::DamagedData) << detail;
    }
}

// Calculated values whose wrapper, decimal form or properties do not add up: a value is never
// read past or short of what its wrapper says, and a type the properties cannot give is refused.
TEST(HandMadeCalculatedDamage, WrappersAndPropertiesThatDoNotAddUp) {
    using jetwriter::ColumnType;
    const jetwriter::Table table{"Calc",
                                 {{"A", ColumnType::Text},
                                  jetwriter::calculatedColumn("N", ColumnType::Long, "7"),
                                  jetwriter::calculatedColumn("D", ColumnType::Decimal, "1.5", 2),
                                  jetwriter::calculatedColumn("T", ColumnType::Text, "\"abc\"")},
                                 {{std::string("x"), 7, jetwriter::Decimal{"1.5"}, "abc"}}};
    const auto bytes = [](std::initializer_list<int> b) {
        std::string out;
        for (int v : b) out.push_back(static_cast<char>(v));
        return out;
    };
    const struct {
        const char* name;
        std::string find, replace;  // once in the file
        Failure failure;
    } cases[] = {
        {"wrapper longer than its value", bytes({4, 0, 0, 0, 7, 0, 0, 0}),
         bytes({5, 0, 0, 0, 7, 0, 0, 0}), Failure::DamagedData},
        {"wrapper shorter than its value", bytes({4, 0, 0, 0, 7, 0, 0, 0}),
         bytes({3, 0, 0, 0, 7, 0, 0, 0}), Failure::DamagedData},
        {"text wrapper past the value", bytes({5, 0, 0, 0, 0xFF, 0xFE, 'a'}),
         bytes({0x50, 0, 0, 0, 0xFF, 0xFE, 'a'}), Failure::DamagedData},
        {"decimal of an odd size", bytes({16, 0, 0, 0, 14, 0, 2, 0}),
         bytes({16, 0, 0, 0, 15, 0, 2, 0}), Failure::DamagedData},
        {"decimal scale past 28", bytes({16, 0, 0, 0, 14, 0, 2, 0}),
         bytes({16, 0, 0, 0, 14, 0, 29, 0}), Failure::DamagedData},
        {"property block cut short", std::string("MR2\0", 4) + bytes({0x32, 0, 0, 0}),
         std::string("MR2\0", 4) + bytes({0x32, 0x10, 0, 0}), Failure::TableUnreadable},
    };
    const std::string written = readertest::written({table}, jetwriter::Format::Ace).bytes;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        readertest::JetBytes damaged{written};
        const std::size_t at = damaged.bytes.find(c.find);
        ASSERT_NE(at, std::string::npos);
        ASSERT_EQ(damaged.bytes.find(c.find, at + 1), std::string::npos);
        damaged.bytes.replace(at, c.replace.size(), c.replace);
        TempDir dir;
        std::string detail;
        const auto failure = readEverything(damaged.save(dir.path(), "d.accdb"), detail);
        ASSERT_TRUE(failure.has_value()) << "read without an error";
        EXPECT_EQ(*failure, c.failure) << detail;
    }
}

}  // namespace

namespace {

// One reading of table Students as the sign-in would take it: the values of the named columns
// of every row (text, and numbers as the text of number()).
struct Reading {
    std::vector<std::vector<std::string>> rows;
    std::uint32_t defined = 0;
};

std::optional<Reading> readStudents(const std::filesystem::path& path) {
    try {
        File file(path.string());
        Table t = file.table(signin::kStudentsTable);
        std::vector<std::size_t> at;
        std::vector<bool> asText;
        for (const jet::ColumnRequest& column : signin::studentColumns()) {
            std::size_t c = 0;
            while (c < t.columns().size() && t.columns()[c].name != column.name) ++c;
            if (c == t.columns().size()) return std::nullopt;  // "no such column" for the sign-in
            at.push_back(c);
            asText.push_back(column.kind == jet::FieldValue::Kind::Text);
        }
        Reading reading;
        reading.defined = t.definedRowCount();
        for (std::uint32_t r = 0; r < t.rowCount(); ++r) {
            std::vector<std::string> row;
            for (std::size_t i = 0; i < at.size(); ++i)
                row.push_back(asText[i] ? t.text(r, at[i]) : std::to_string(t.number(r, at[i])));
            reading.rows.push_back(row);
        }
        return reading;
    } catch (const ReadError&) {
        return std::nullopt;
    }
}

// Offsets of the bytes that say where the rows of Students and their values are: its table
// definition, its data pages' headers and row tables, the variable count at the end of each
// row, and the header page. Values themselves carry nothing to check them by.
std::vector<std::size_t> structuralBytes(const std::string& bytes) {
    constexpr std::size_t kPage = 4096;
    const auto* file = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::string name("S\0t\0B\0o\0o\0k\0", 12);
    std::uint32_t tdef = 0;
    for (std::size_t p = 3; (p + 1) * kPage <= bytes.size() && tdef == 0; ++p)
        if (file[p * kPage] == 0x02 &&
            bytes.substr(p * kPage, kPage).find(name) != std::string::npos)
            tdef = static_cast<std::uint32_t>(p);
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < 0x98; ++i) at.push_back(i);
    const std::uint8_t* d = file + tdef * kPage;
    const std::size_t length = std::min<std::size_t>(d[8] | (d[9] << 8), kPage);
    for (std::size_t i = 0; i < length; ++i) at.push_back(tdef * kPage + i);
    for (std::size_t p = 1; (p + 1) * kPage <= bytes.size(); ++p) {
        const std::uint8_t* page = file + p * kPage;
        if (page[0] != 0x01 || static_cast<std::uint32_t>(page[4] | (page[5] << 8)) != tdef)
            continue;
        const std::size_t rows = std::min<std::size_t>(page[12] | (page[13] << 8), 256);
        for (std::size_t i = 0; i < 14 + 2 * rows; ++i) at.push_back(p * kPage + i);
        for (std::size_t r = 0; r < rows; ++r) {
            const std::size_t end =
                r == 0 ? kPage
                       : ((page[14 + 2 * (r - 1)] | (page[15 + 2 * (r - 1)] << 8)) & 0x1FFF);
            // The variable count. Not the null mask nor the offsets: a fixed value taken for
            // Null, or the border between two values of one row moved, leaves nothing to tell.
            for (std::size_t i = 2; i <= 3 && i <= end; ++i) at.push_back(p * kPage + end - i);
        }
    }
    return at;
}

}  // namespace

// Single damaged bytes in the structure of files with deleted and moved rows, in Jet4 and ACE,
// and truncations: each ends in an error, or every row read is a row of the file as it was, in
// its order, each with its own values. A row lost silently leaves a live-row count that differs
// from the definition's, which the sign-in takes for damage.
TEST(MutationSweep, NoRowWithAnotherRowsValues) {
    auto moved = readertest::written({readertest::students(600)});
    const std::uint32_t page = moved.dataPages(moved.firstTableDefPage()).at(1);
    moved.setSlotFlags(page, 0, 0x4000);
    moved.pointTo(page, 0, page, 2);
    moved.setSlotFlags(page, 2, 0x8000);
    moved.setSlotFlags(page, 4, 0xC000);
    const struct {
        const char* label;
        std::string bytes;
    } bases[] = {{"students_small", readFile(readertest::dataFile("jet/students_small.mdb"))},
                 {"students_v2007", readFile(readertest::dataFile("jet/students_v2007.accdb"))},
                 {"moved_rows", moved.bytes}};
    TempDir dir;
    std::mt19937 random(20261210);
    for (const auto& base : bases) {
        writeFile(dir / "base.mdb", base.bytes);
        const std::optional<Reading> original = readStudents(dir / "base.mdb");
        ASSERT_TRUE(original) << base.label;
        const std::vector<std::size_t> structure = structuralBytes(base.bytes);
        int errors = 0, read = 0;
        for (int mutant = 0; mutant < 600; ++mutant) {
            std::string bytes = base.bytes;
            std::string what;
            if (mutant % 20 == 0) {
                const std::size_t size = random() % bytes.size();
                bytes.resize(mutant % 40 == 0 ? size : size - size % 4096);
                what = "cut to " + std::to_string(bytes.size());
            } else {
                const std::size_t at = structure[random() % structure.size()];
                bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
                what = "bit flipped at " + std::to_string(at);
            }
            writeFile(dir / "mutant.mdb", bytes);
            const std::optional<Reading> reading = readStudents(dir / "mutant.mdb");
            if (!reading) {
                ++errors;
                continue;
            }
            ++read;
            std::size_t next = 0;
            for (const auto& row : reading->rows) {
                while (next < original->rows.size() && original->rows[next] != row) ++next;
                ASSERT_LT(next, original->rows.size())
                    << base.label << ", " << what << ": a row not in the file: " << row[0] << " "
                    << row[4];
                ++next;
            }
            if (reading->rows.size() != original->rows.size()) {
                EXPECT_NE(reading->rows.size(), reading->defined)
                    << base.label << ", " << what << ": rows lost without a sign";
            }
        }
        std::printf("%s: %d mutants ended in an error, %d read as they were\n", base.label, errors,
                    read);
    }
}
