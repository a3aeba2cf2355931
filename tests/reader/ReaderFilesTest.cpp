// Files read exactly as their rows are meant to be: the shared fixtures (written by an
// independent writer and by Access itself), files our writer makes, and rows moved or deleted
// as Access marks them.
#include "CaseFold.h"
#include "Cp1251.h"
#include "Encryption.h"
#include "JetReader.h"
#include "PageFile.h"
#include "ReaderTestFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <sstream>
#include <utility>

using jet::reader::Failure;
using jet::reader::File;
using jet::reader::ReadError;
using jet::reader::Table;
using readertest::dataFile;

namespace {

using Cell = std::optional<std::string>;  // UTF-8; nullopt is Null
using Rows = std::vector<std::vector<Cell>>;

// The fixtures' CSV: a header, quoted texts with doubled quotes, bare integers, a bare empty
// field for Null.
Rows readCsv(const std::filesystem::path& csv) {
    std::istringstream in(readFile(csv));
    std::string line;
    std::getline(in, line);
    Rows rows;
    while (std::getline(in, line)) {
        std::vector<Cell> row;
        std::size_t i = 0;
        for (;;) {
            if (i < line.size() && line[i] == '"') {
                std::string text;
                for (++i; i < line.size(); ++i) {
                    if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        ++i;
                    } else if (line[i] == '"') {
                        ++i;
                        break;
                    } else {
                        text += line[i];
                    }
                }
                row.emplace_back(text);
            } else {
                const std::size_t end = line.find(',', i);
                const std::string bare = line.substr(i, end == std::string::npos ? end : end - i);
                row.push_back(bare.empty() ? Cell{} : Cell{bare});
                i = end == std::string::npos ? line.size() : end;
            }
            if (i >= line.size()) break;
            ++i;  // the comma
        }
        rows.push_back(row);
    }
    return rows;
}

// Every value of every row as text (UTF-8) and, for number columns, as a number.
Rows readAll(Table& t) {
    Rows rows;
    for (std::uint32_t r = 0; r < t.rowCount(); ++r) {
        std::vector<Cell> row;
        for (std::size_t c = 0; c < t.columns().size(); ++c) {
            const std::string text = cp1251::toUtf8(t.text(r, c));
            if (t.isNull(r, c)) {
                EXPECT_EQ(text, "") << "row " << r << " column " << c;
                row.emplace_back();
                continue;
            }
            if (jet::reader::readableAsLong(t.columns()[c].type)) {
                EXPECT_EQ(std::to_string(t.number(r, c)), text) << "row " << r << " column " << c;
            }
            row.emplace_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

struct FixtureCase {
    const char* file;
    const char* table;
    const char* csv;  // nullptr: `inlineRows`
    Rows inlineRows;
};

class FixtureFile : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(FixtureFile, ReadsEveryRowAsMeant) {
    const FixtureCase& c = GetParam();
    File file(dataFile(c.file).string());
    Table t = file.table(cp1251::fromUtf8(c.table));
    const Rows expected = c.csv ? readCsv(dataFile(c.csv)) : c.inlineRows;
    EXPECT_EQ(t.rowCount(), expected.size());
    EXPECT_EQ(t.definedRowCount(), expected.size());
    EXPECT_EQ(readAll(t), expected);
}

// The search's comparison agrees with the text every value reads as.
TEST_P(FixtureFile, TextComparesAsItReads) {
    const FixtureCase& c = GetParam();
    File file(dataFile(c.file).string());
    Table t = file.table(cp1251::fromUtf8(c.table));
    for (std::uint32_t row = 0; row < t.rowCount(); ++row)
        for (std::size_t column = 0; column < t.columns().size(); ++column) {
            if (!jet::reader::readableAsText(t.columns()[column].type)) continue;
            const std::string text = t.text(row, column);
            EXPECT_TRUE(t.textEquals(row, column, text)) << row << " " << column;
            EXPECT_TRUE(t.textEquals(row, column, cp1251::folded(text))) << row << " " << column;
            EXPECT_FALSE(t.textEquals(row, column, text + "x")) << row << " " << column;
            if (!text.empty())
                EXPECT_FALSE(t.textEquals(row, column, text.substr(1))) << row << " " << column;
        }
}

const Rows kAccessRows = {{"z", "y"}, {"v", "u"}};

INSTANTIATE_TEST_SUITE_P(
    SharedFixtures, FixtureFile,
    ::testing::Values(
        FixtureCase{"jet/students_small.mdb", "Students", "jet/students_small.csv", {}},
        FixtureCase{"jet/students_v2003.mdb", "Students", "jet/students_small.csv", {}},
        FixtureCase{"jet/students_v2007.accdb", "Students", "jet/students_small.csv", {}},
        FixtureCase{"jet/students_nulls.mdb", "Students", "jet/students_nulls.csv", {}},
        FixtureCase{"jet/students_big.mdb", "Students", "jet/students_big.csv", {}},
        FixtureCase{"jet/students_empty.mdb", "Students", nullptr, {}},
        FixtureCase{"jet/no_students_table.mdb",
                    "Groups",
                    nullptr,
                    {{"Группа 1", "12"}, {"Группа 2Б", "10"}}},
        FixtureCase{"access/delTestV1997.mdb", "Table", nullptr, kAccessRows},
        FixtureCase{"access/delTestV2000.mdb", "Table", nullptr, kAccessRows},
        FixtureCase{"access/delTestV2010.accdb", "Table", nullptr, kAccessRows}));

TEST(AccessFiles, FormatsAreTold) {
    EXPECT_EQ(File(dataFile("access/delTestV1997.mdb").string()).format(), File::Format::Jet3);
    EXPECT_EQ(File(dataFile("access/delTestV2000.mdb").string()).format(), File::Format::Jet4);
    EXPECT_EQ(File(dataFile("access/delTestV2010.accdb").string()).format(), File::Format::Ace);
}

// 18 rows in place, 15 deleted, 5 moved (pointers on page 48 to hidden data on five pages).
TEST(AccessFiles, MovedRowsAreReadOnceThroughTheirPointers) {
    File file(dataFile("access/delTestV2010.accdb").string());
    Table t = file.systemTable("MSysAccessStorage");
    ASSERT_EQ(t.rowCount(), 23u);
    EXPECT_EQ(t.definedRowCount(), 23u);
    std::size_t id = 0;
    while (t.columns()[id].name != "Id") ++id;
    std::set<std::int32_t> ids;
    for (std::uint32_t r = 0; r < t.rowCount(); ++r) ids.insert(t.number(r, id));
    EXPECT_EQ(ids.size(), 23u);
    for (const std::int32_t moved : {89, 90, 91, 92, 93}) EXPECT_TRUE(ids.count(moved)) << moved;
}

// Every table Access and the independent writer made, their own system tables included (deleted
// rows, moved rows, Booleans sharing a fixed offset, Nulls in every kind of column), reads
// every value and finds as many live rows as its definition counts.
TEST(AccessFiles, EveryTableReadsAsManyRowsAsItsDefinitionCounts) {
    for (const char* name :
         {"access/delTestV1997.mdb", "access/delTestV2000.mdb", "access/delTestV2010.accdb",
          "jet/students_v2003.mdb", "jet/students_v2007.accdb", "jet/students_big.mdb"}) {
        File file(dataFile(name).string());
        Table catalogue = file.systemTable("MSysObjects");
        std::size_t nameColumn = 0, typeColumn = 0, flagsColumn = 0;
        for (std::size_t c = 0; c < catalogue.columns().size(); ++c) {
            const std::string& column = catalogue.columns()[c].name;
            if (column == "Name") nameColumn = c;
            if (column == "Type") typeColumn = c;
            if (column == "Flags") flagsColumn = c;
        }
        int tables = 0;
        for (std::uint32_t r = 0; r < catalogue.rowCount(); ++r) {
            if ((catalogue.number(r, typeColumn) & 0x7F) != 1) continue;
            const std::string table = catalogue.text(r, nameColumn);
            const bool system =
                (static_cast<std::uint32_t>(catalogue.number(r, flagsColumn)) & 0x80000002u) != 0;
            if (system && table.rfind("MSys", 0) != 0) continue;  // hidden tables of other kinds
            Table t = system ? file.systemTable(table) : file.table(table);
            EXPECT_EQ(t.rowCount(), t.definedRowCount()) << name << " " << table;
            for (std::uint32_t row = 0; row < t.rowCount(); ++row)
                for (std::size_t c = 0; c < t.columns().size(); ++c)
                    if (jet::reader::readableAsText(t.columns()[c].type)) t.text(row, c);
            ++tables;
        }
        EXPECT_GE(tables, 5) << name;
    }
}

// Numbers as numbers: the CSV prints them as its reader does (trailing zeros of the scale,
// exponents), the reader without either.
bool sameNumber(const std::string& kind, const std::string& csv, const std::string& ours) {
    if (kind.rfind("Single", 0) == 0) return std::stof(csv) == std::stof(ours);
    if (kind.rfind("Double", 0) == 0) return std::stod(csv) == std::stod(ours);
    auto plain = [](std::string s) {
        if (s.find('.') != std::string::npos) {
            s.erase(s.find_last_not_of('0') + 1);
            if (s.back() == '.') s.pop_back();
        }
        return s == "-0" ? std::string("0") : s;
    };
    return plain(csv) == plain(ours);
}

// Calculated columns (Access 2010 and later): each read as its result type from inside its
// wrapper, as the independent reader's CSV has them; the two Yes/No results are a kind no caller
// can read as text or a number.
TEST(AccessFiles, CalculatedColumnsReadAsTheirResults) {
    File file(dataFile("access/calcFieldTestV2010.accdb").string());
    Table t = file.table("Table1");
    std::istringstream csv(readFile(dataFile("access/calcFieldTestV2010.Table1.csv")));
    std::string header, kinds;
    std::getline(csv, header);
    std::getline(csv, kinds);
    auto split = [](const std::string& line) {
        std::vector<std::string> fields;
        std::string field;
        bool quoted = false;
        for (const char ch : line) {
            if (ch == '"')
                quoted = !quoted;
            else if (ch == ',' && !quoted)
                fields.push_back(std::exchange(field, {}));
            else
                field += ch;
        }
        fields.push_back(field);
        return fields;
    };
    const std::vector<std::string> names = split(header);
    const std::vector<std::string> types = split(kinds);
    std::vector<std::size_t> at;
    for (const std::string& name : names) {
        std::size_t c = 0;
        while (c < t.columns().size() && t.columns()[c].name != name) ++c;
        ASSERT_LT(c, t.columns().size()) << name;
        at.push_back(c);
    }
    ASSERT_EQ(t.rowCount(), 4u);
    std::string line;
    for (std::uint32_t r = 0; std::getline(csv, line); ++r) {
        const std::vector<std::string> values = split(line);
        ASSERT_EQ(values.size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string ours = cp1251::toUtf8(t.text(r, at[i]));
            if (types[i].rfind("Text", 0) == 0 || types[i].rfind("Memo", 0) == 0)
                EXPECT_EQ(ours, values[i]) << names[i] << " row " << r;
            else
                EXPECT_TRUE(sameNumber(types[i], values[i], ours))
                    << names[i] << " row " << r << ": " << values[i] << " read as " << ours;
        }
    }
    for (const char* yesNo : {"IsRich", "BoolTest"}) {
        std::size_t c = 0;
        while (t.columns()[c].name != yesNo) ++c;
        EXPECT_EQ(t.columns()[c].type, static_cast<std::uint8_t>(jet::reader::ColumnType::Boolean));
        try {
            t.text(0, c);
            ADD_FAILURE() << yesNo << " read as text";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.failure(), Failure::TableUnreadable) << e.what();
        }
    }
}

TEST(TableLookup, TableNamesFoldCaseAsTheCatalogueDoes) {
    TempDir dir;
    auto groups = readertest::students(2);
    groups.name = "Группы";
    const auto path =
        readertest::written({readertest::students(3), groups}).save(dir.path(), "two.mdb");
    File file(path.string());
    EXPECT_EQ(file.tableNames(),
              (std::vector<std::string>{"Students", cp1251::fromUtf8("Группы")}));
    EXPECT_EQ(file.table("sTuDeNtS").rowCount(), 3u);
    EXPECT_EQ(file.table(cp1251::fromUtf8("гРУППЫ")).rowCount(), 2u);
    try {
        file.table("MSysObjects");  // a system table is not a user table
        FAIL() << "found";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.failure(), Failure::TableNotFound);
    }
    EXPECT_EQ(file.systemTable("msysobjects").rowCount(),
              file.systemTable("MSysObjects").definedRowCount());
}

TEST(TableLookup, FilesThatAreNoDatabaseAreToldApart) {
    TempDir dir;
    writeFile(dir / "text.mdb", std::string(8192, 'x'));
    writeFile(dir / "empty.mdb", "");
    const struct {
        std::filesystem::path path;
        Failure failure;
    } cases[] = {{dir / "missing.mdb", Failure::CannotOpenFile},
                 {dir.path(), Failure::CannotOpenFile},
                 {dir / "text.mdb", Failure::NotADatabase},
                 {dir / "empty.mdb", Failure::NotADatabase}};
    for (const auto& c : cases) {
        try {
            File file(c.path.string());
            ADD_FAILURE() << c.path << " opened";
        } catch (const ReadError& e) {
            EXPECT_EQ(e.failure(), c.failure) << c.path << ": " << e.what();
        }
    }
}

// Our writer's files, small and big enough for a usage map on its own bitmap page.
TEST(WriterFiles, RoundTripEveryValue) {
    for (const int count : {0, 1, 700, 30000}) {
        const jetwriter::Table written = readertest::students(count);
        TempDir dir;
        const auto path = readertest::written({written}).save(dir.path(), "s.mdb");
        File file(path.string());
        Table t = file.table("Students");
        ASSERT_EQ(t.rowCount(), static_cast<std::uint32_t>(count));
        std::string text;
        for (std::uint32_t r = 0; r < t.rowCount(); ++r) {
            const auto& row = written.rows[r];
            for (std::size_t c = 0; c < 4; ++c) {
                t.textInto(r, c, text);
                const std::string expected =
                    row[c] ? cp1251::fromUtf8(std::get<std::string>(*row[c])) : "";
                ASSERT_EQ(text, expected) << "row " << r << " column " << c;
                ASSERT_EQ(t.isNull(r, c), !row[c]);
            }
            ASSERT_EQ(t.number(r, 4), std::get<std::int32_t>(*row[4]));
            ASSERT_EQ(t.number(r, 5), std::get<std::int32_t>(*row[5]));
        }
    }
}

// Calculated columns as our writer makes them (as Access does): every result kind read from
// inside its wrapper, memos in the row, on a long-value page and on a chain; a Yes/No result
// is a kind no caller reads as text.
TEST(WriterFiles, CalculatedColumnsOfEveryResultKind) {
    using jetwriter::ColumnType;
    using jetwriter::Currency;
    using jetwriter::Decimal;
    const std::string longName = "Ёлкина " + std::string(240, 'x');
    const std::string chained = std::string(9000, 'b') + "Ж" + "end";
    jetwriter::Table table{
        "Calc",
        {{"Surname", ColumnType::Text},
         jetwriter::calculatedColumn("StName", ColumnType::Text, "[Surname] & \" \" & [First]"),
         jetwriter::calculatedColumn("Lessons", ColumnType::Long, "Len([Surname])"),
         jetwriter::calculatedColumn("Fee", ColumnType::Double, "[Lessons] / 4"),
         jetwriter::calculatedColumn("Paid", ColumnType::Currency, "CCur([Fee])"),
         jetwriter::calculatedColumn("Rate", ColumnType::Decimal, "CDec([Fee])", 4),
         jetwriter::calculatedColumn("Notes", ColumnType::Memo, "[Surname] & [Surname]"),
         jetwriter::calculatedColumn("Small", ColumnType::Integer, "-5"),
         jetwriter::calculatedColumn("Passed", ColumnType::Boolean, "[Lessons] > 2"),
         {"First", ColumnType::Text}},
        {{"Иванов", "Иванов Иван", 12, 2.5, Currency{-1234567},
          Decimal{"-123456789012345678901234.5678"}, "коротко", -5, true, "Иван"},
         {"Ёлкина", longName, INT32_MIN, 1e-3, Currency{0}, Decimal{"0.0001"}, chained, 32767,
          false, "Алёна"},
         {"Петров", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
          std::nullopt, std::nullopt, std::nullopt, std::nullopt},
         {"Сидоров", "", 0, -0.5, Currency{70000}, Decimal{"7"}, std::string(1000, 'm') + "Ю", 0,
          true, ""}}};
    TempDir dir;
    File file(
        readertest::written({table}, jetwriter::Format::Ace).save(dir.path(), "c.accdb").string());
    Table t = file.table("Calc");
    ASSERT_EQ(t.rowCount(), 4u);
    const std::vector<std::vector<std::string>> expected = {
        {"Иванов", "Иванов Иван", "12", "2.5", "-123.4567", "-123456789012345678901234.5678",
         "коротко", "-5"},
        {"Ёлкина", longName, "-2147483648", "0.001", "0", "0.0001", chained, "32767"},
        {"Петров", "", "", "", "", "", "", ""},
        {"Сидоров", "", "0", "-0.5", "7", "7", std::string(1000, 'm') + "Ю", "0"}};
    for (std::uint32_t r = 0; r < expected.size(); ++r) {
        for (std::size_t c = 0; c < expected[r].size(); ++c)
            EXPECT_EQ(cp1251::toUtf8(t.text(r, c)), expected[r][c])
                << "row " << r << " column " << c;
        EXPECT_EQ(t.isNull(r, 1), r == 2);
        EXPECT_EQ(t.number(r, 2), r == 1 ? INT32_MIN : r == 0 ? 12 : 0);
    }
    EXPECT_EQ(t.columns()[6].type, static_cast<std::uint8_t>(jet::reader::ColumnType::Memo));
    EXPECT_EQ(t.columns()[8].type, static_cast<std::uint8_t>(jet::reader::ColumnType::Boolean));
    try {
        t.text(0, 8);
        ADD_FAILURE() << "a Yes/No result read as text";
    } catch (const ReadError& e) {
        EXPECT_EQ(e.failure(), Failure::TableUnreadable) << e.what();
    }
}

TEST(WriterFiles, ExtremeLongsAndNulls) {
    auto table = readertest::students(0);
    table.rows.push_back({"a", {}, {}, {}, std::int32_t{INT32_MIN}, std::int32_t{INT32_MAX}});
    table.rows.push_back({"b", std::string(""), {}, {}, {}, std::int32_t{-1}});
    TempDir dir;
    File file(readertest::written({table}).save(dir.path(), "x.mdb").string());
    Table t = file.table("Students");
    EXPECT_EQ(t.text(0, 4), "-2147483648");
    EXPECT_EQ(t.number(0, 4), INT32_MIN);
    EXPECT_EQ(t.number(0, 5), INT32_MAX);
    EXPECT_TRUE(t.isNull(0, 1));
    EXPECT_FALSE(t.isNull(1, 1));  // an empty text is not Null
    EXPECT_TRUE(t.isNull(1, 4));
    EXPECT_EQ(t.number(1, 4), 0);
    EXPECT_EQ(t.text(1, 4), "");
}

using readertest::setMaskedHeader;

// Access 97 keeps text in the code page its header names. The file's two live values "z" and
// "v" become the bytes of Cyrillic letters in code page 866, or 1251 (no code page named).
TEST(Jet3Text, ReadInTheHeadersCodePage) {
    const struct {
        std::uint16_t codePage;
        const char* z;
        const char* v;
    } cases[] = {{866, "З", "р"}, {0, "‡", "а"}, {1251, "‡", "а"}};
    for (const auto& c : cases) {
        std::string bytes = readFile(dataFile("access/delTestV1997.mdb"));
        ASSERT_EQ(bytes.substr(0xFFF8, 3), "\x02zy");
        bytes[0xFFF9] = '\x87';
        bytes[0xFFF1] = '\xE0';
        setMaskedHeader(bytes, 0x3C, c.codePage, 2, true);
        TempDir dir;
        writeFile(dir / "97.mdb", bytes);
        File file((dir / "97.mdb").string());
        Table t = file.table("table");
        ASSERT_EQ(t.rowCount(), 2u);
        EXPECT_EQ(cp1251::toUtf8(t.text(0, 0)), c.z) << c.codePage;
        EXPECT_EQ(cp1251::toUtf8(t.text(1, 0)), c.v) << c.codePage;
    }
}

// Access 97 rows longer than 256 bytes keep one-byte offsets and a jump table that adds 256
// from the entry it names on; its size follows from the row's size, so its last entry may be a
// dummy (FF). Page 31 of the Access 97 file is rewritten with such a row and a short one.
TEST(Jet3Text, LongRowsReadThroughTheJumpTable) {
    const struct {
        std::size_t b;
        std::string trailer;  // end of data, offsets of 1 and 0, jump table, count, mask
    } cases[] = {{100, std::string("\x2D\xC9\x01\x02\x02\x03", 6)},  // the end is 301
                 {50, std::string("\xFB\xC9\x01\xFF\x02\x03", 6)}};  // 251: a dummy jump
    for (const auto& c : cases) {
        std::string bytes = readFile(dataFile("access/delTestV1997.mdb"));
        const std::size_t page = 31 * 2048;
        ASSERT_EQ(bytes.substr(page + 0x7F8, 3), "\x02zy");
        const std::string a(200, 'z'), b(c.b, 'y');
        const std::string longRow = "\x02" + a + b + c.trailer;
        const std::string shortRow("\x02vu\x03\x02\x01\x02\x03", 8);
        std::fill(bytes.begin() + page + 8, bytes.begin() + page + 2048, '\0');
        bytes[page + 8] = 2;  // rows on the page
        const std::size_t first = 2048 - longRow.size(), second = first - shortRow.size();
        bytes.replace(page + first, longRow.size(), longRow);
        bytes.replace(page + second, shortRow.size(), shortRow);
        bytes[page + 10] = static_cast<char>(first & 0xFF);
        bytes[page + 11] = static_cast<char>(first >> 8);
        bytes[page + 12] = static_cast<char>(second & 0xFF);
        bytes[page + 13] = static_cast<char>(second >> 8);
        TempDir dir;
        writeFile(dir / "97.mdb", bytes);
        Table t = File((dir / "97.mdb").string()).table("Table");
        ASSERT_EQ(t.rowCount(), 2u);
        EXPECT_EQ(t.text(0, 0), a);
        EXPECT_EQ(t.text(0, 1), b);
        EXPECT_EQ(t.text(1, 0), "v");
        EXPECT_EQ(t.text(1, 1), "u");
    }
}

// With a database key every page after the first is RC4-masked with key ^ page number.
TEST(WriterFiles, PagesMaskedWithADatabaseKeyAreRead) {
    auto file = readertest::written({readertest::students(300)});
    const std::uint32_t key = 0x5A17C0DEu;
    setMaskedHeader(file.bytes, 0x3E, key, 4, false);
    for (std::uint32_t n = 1; n < file.pageCount(); ++n) {
        const std::uint32_t k = key ^ n;
        const std::uint8_t pageKey[4] = {
            static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
            static_cast<std::uint8_t>(k >> 16), static_cast<std::uint8_t>(k >> 24)};
        jet::reader::detail::rc4(pageKey, 4, file.page(n), readertest::JetBytes::kPage);
    }
    TempDir dir;
    Table t = File(file.save(dir.path(), "key.mdb").string()).table("Students");
    ASSERT_EQ(t.rowCount(), 300u);
    EXPECT_EQ(t.text(299, 0), "B299");
    EXPECT_EQ(t.number(299, 5), -299);
}

// Rows moved and deleted as Access marks them, made by patching one data page of our writer's
// file: slot flags 0x4000 (pointer), 0x8000 (moved data), 0xC000 (deleted, or a chain step).
struct MovedCase {
    const char* name;
    void (*patch)(readertest::JetBytes&, std::uint32_t page);
    std::vector<std::string> books;  // StBook of each live row, in table order
};

class MovedRows : public ::testing::TestWithParam<MovedCase> {};

TEST_P(MovedRows, ReadAsMeant) {
    auto bytes = readertest::written({readertest::students(6)});
    const std::uint32_t page = bytes.dataPages(bytes.firstTableDefPage()).at(0);
    GetParam().patch(bytes, page);
    TempDir dir;
    File file(bytes.save(dir.path(), "m.mdb").string());
    Table t = file.table("Students");
    std::vector<std::string> books;
    for (std::uint32_t r = 0; r < t.rowCount(); ++r) {
        books.push_back(t.text(r, 0));
        // Every value of a row comes from that row: the counts written beside "B<i>" are i, -i.
        const int i = std::stoi(books.back().substr(1));
        EXPECT_EQ(t.number(r, 4), i);
        EXPECT_EQ(t.number(r, 5), -i);
        EXPECT_EQ(cp1251::toUtf8(t.text(r, 1)), "Имя " + std::to_string(i));
    }
    EXPECT_EQ(books, GetParam().books);
}

INSTANTIATE_TEST_SUITE_P(AsAccessMarksThem, MovedRows,
                         ::testing::Values(MovedCase{"deleted",
                                                     [](readertest::JetBytes& b, std::uint32_t p) {
                                                         b.setSlotFlags(p, 1, 0xC000);
                                                     },
                                                     {"B0", "B2", "B3", "B4", "B5"}},
                                           MovedCase{"moved",
                                                     [](readertest::JetBytes& b, std::uint32_t p) {
                                                         b.setSlotFlags(p, 0, 0x4000);
                                                         b.pointTo(p, 0, p, 3);
                                                         b.setSlotFlags(p, 3, 0x8000);
                                                     },
                                                     {"B3", "B1", "B2", "B4", "B5"}},
                                           MovedCase{"movedTwice",
                                                     [](readertest::JetBytes& b, std::uint32_t p) {
                                                         b.setSlotFlags(p, 0, 0x4000);
                                                         b.pointTo(p, 0, p, 2);
                                                         b.setSlotFlags(p, 2, 0xC000);
                                                         b.pointTo(p, 2, p, 4);
                                                         b.setSlotFlags(p, 4, 0x8000);
                                                     },
                                                     {"B4", "B1", "B3", "B5"}},
                                           MovedCase{"movedThenDeleted",
                                                     [](readertest::JetBytes& b, std::uint32_t p) {
                                                         b.setSlotFlags(p, 0, 0xC000);
                                                         b.pointTo(p, 0, p, 3);
                                                         b.setSlotFlags(p, 3, 0x8000);
                                                     },
                                                     {"B1", "B2", "B4", "B5"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
