// The writer's own guarantees beyond what readers check: text in the form Access uses, the
// bookkeeping fields Access relies on when it adds rows, refusal of bad input, and a file that
// appears whole or not at all.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "CsvClassList.h"
#include "JetText.h"
#include "JetWriter.h"
#include "TempDir.h"
#include "Utf8.h"

using jetwriter::ColumnType;
using jetwriter::Row;
using jetwriter::Table;
namespace fs = std::filesystem;

namespace {

const auto kFixedTime = std::chrono::system_clock::time_point(std::chrono::seconds(1700000000));

std::string bytes(std::initializer_list<int> list) {
    std::string out;
    for (int b : list) out.push_back(static_cast<char>(b));
    return out;
}

std::uint32_t u16(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

std::uint32_t u32(const std::string& b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

Table students(std::vector<Row> rows) {
    Table t = classlist::studentsTable();
    t.rows = std::move(rows);
    return t;
}

// ---- Text forms ------------------------------------------------------------------------------

struct TextCase {
    const char* utf8;
    std::optional<std::string> stored;
};

const TextCase kTextCases[] = {
    {"", std::string()},
    {"12345", bytes({0xFF, 0xFE, '1', '2', '3', '4', '5'})},
    {"café", bytes({0xFF, 0xFE, 'c', 'a', 'f', 0xE9})},
    // Two characters take four bytes in both forms; Access leaves them wide.
    {"G2", bytes({'G', 0, '2', 0})},
    {"Ан", bytes({0x10, 0x04, 0x3D, 0x04})},
    {"Ab Пр", bytes({'A', 0, 'b', 0, ' ', 0, 0x1F, 0x04, 0x40, 0x04})},
    {"Ѐ", bytes({0x00, 0x04})},
    {"😀", bytes({0x3D, 0xD8, 0x00, 0xDE})},
    // A leading U+FEFF would read as the FF FE marker, so the marker comes first and a 00
    // switches to wide characters.
    {"\xEF\xBB\xBFПр", bytes({0xFF, 0xFE, 0x00, 0xFF, 0xFE, 0x1F, 0x04, 0x40, 0x04})},
    {"\xEF\xBB\xBF"
     "abc",
     bytes({0xFF, 0xFE, 0x00, 0xFF, 0xFE, 'a', 0, 'b', 0, 'c', 0})},
    {"\xEF\xBB\xBFĀ", std::nullopt},
};

TEST(JetText, StoresTextInTheFormAccessUses) {
    for (const TextCase& c : kTextCases) {
        EXPECT_EQ(jetwriter::encodeJetText(*jetwriter::decodeUtf8(c.utf8)), c.stored) << c.utf8;
    }
    const std::vector<char32_t> withNul = {U'a', U'\0', U'b'};
    EXPECT_EQ(jetwriter::encodeJetText(withNul), std::nullopt);
}

TEST(JetText, DatabaseHoldsLatinCompressedAndCyrillicWide) {
    const std::string db = jetwriter::databaseBytes(
        {students({{"12345", "Иванов", "ab1", "Группа", 1, 2}})}, {kFixedTime});
    EXPECT_NE(db.find(bytes({0xFF, 0xFE, '1', '2', '3', '4', '5'})), std::string::npos);
    EXPECT_NE(db.find(bytes({0xFF, 0xFE, 'a', 'b', '1'})), std::string::npos);
    EXPECT_NE(db.find(bytes({0x18, 0x04, 0x32, 0x04, 0x30, 0x04})), std::string::npos);  // Ива
    EXPECT_EQ(db.find(bytes({0xFF, 0xFE, 0x18, 0x04})), std::string::npos);
}

// ---- Bookkeeping -------------------------------------------------------------------------------

// Walks every page of the file and checks the fields no reader checks but Access relies on:
// free space of data pages, row counts, rows packed from the page end, owner pages, and the
// row count in the table definition.
TEST(WriterFile, DataPagesAndTableDefinitionsAreAccountedExactly) {
    Table t = classlist::studentsTable();
    for (int i = 0; i < 30000; ++i)
        t.rows.push_back({"B" + std::to_string(i), i % 3 ? "Иванов Иван" : "Ivanov Ivan",
                          std::to_string(i % 25), i % 5 ? Row::value_type("Группа") : std::nullopt,
                          i, -i});
    const Table small{"Small", {{"A", ColumnType::Long}}, {{1}, {2}, {3}}};
    const std::string db = jetwriter::databaseBytes({t, small}, {kFixedTime});

    ASSERT_EQ(db.size() % 4096, 0u);
    const std::size_t pages = db.size() / 4096;
    EXPECT_EQ(db[0], 0);
    EXPECT_EQ(db[0x14], 1);
    EXPECT_EQ(db.substr(0x3E, 4), bytes({0xFB, 0x8A, 0xBC, 0x4E}));  // key 0 under the mask
    // The masked region starts with 00 01 00 00; the keystream starts B5 6F 03 62.
    EXPECT_EQ(db.substr(0x18, 4), bytes({0xB5, 0x6E, 0x03, 0x62}));

    std::map<std::uint32_t, std::size_t> rowsByOwner;
    std::map<std::uint32_t, std::uint32_t> tdefRows;
    for (std::size_t p = 1; p < pages; ++p) {
        const std::string page = db.substr(p * 4096, 4096);
        if (page[0] == 0x02 && u32(page, 8) != 0 && u32(page, 12) == 0x659) {
            tdefRows[static_cast<std::uint32_t>(p)] = u32(page, 16);
            continue;
        }
        if (page[0] != 0x01) continue;
        const std::size_t n = u16(page, 12);
        ASSERT_LE(n, 255u) << "page " << p;
        std::size_t end = 4096;
        std::size_t used = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t start = u16(page, 14 + 2 * i);
            ASSERT_LT(start, end) << "page " << p << " row " << i;
            ASSERT_GE(start, 14 + 2 * n) << "page " << p << " row " << i;
            used += end - start;
            end = start;
        }
        EXPECT_EQ(u16(page, 2), 4096 - 14 - 2 * n - used) << "free space of page " << p;
        rowsByOwner[u32(page, 4)] += n;
    }
    ASSERT_EQ(tdefRows.size(), 3u);  // the catalogue and the two tables
    for (const auto& [tdef, count] : tdefRows)
        EXPECT_EQ(rowsByOwner[tdef], count) << "rows of the table defined on page " << tdef;
    EXPECT_EQ(tdefRows[2], 6u);  // four catalogue entries of its own, two tables
}

TEST(WriterFile, SameTablesAndTimeGiveTheSameBytesOnDiskAndInMemory) {
    const std::vector<Table> tables = {students({{"1", "Иван", "2", "3", 4, 5}})};
    TempDir dir;
    jetwriter::writeDatabase(dir / "a.mdb", tables, {kFixedTime});
    EXPECT_EQ(readFile(dir / "a.mdb"), jetwriter::databaseBytes(tables, {kFixedTime}));
    EXPECT_EQ(jetwriter::databaseBytes(tables, {kFixedTime}),
              jetwriter::databaseBytes(tables, {kFixedTime}));
}

// ---- Bad input
// -----------------------------------------------------------------------------------

struct BadInput {
    const char* name;
    std::function<std::vector<Table>()> tables;
    const char* message;  // part of the error text
    jetwriter::Format format = jetwriter::Format::Jet4;
};

std::string cyrillic(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "Ж";
    return s;
}

Table oneColumn(const char* tableName, jetwriter::Column column, std::vector<Row> rows = {}) {
    return Table{tableName, {std::move(column)}, std::move(rows)};
}

const BadInput kBadInputs[] = {
    {"TextTooLong",
     [] {
         return std::vector<Table>{students({{std::string(51, 'x'), "", "", "", 1, 1}})};
     },
     "table \"Students\", row 1, column \"StBook\": the text is 51 characters long; the column "
     "holds 50"},
    {"CyrillicCountsCharactersNotBytes",
     [] {
         return std::vector<Table>{
             students({{cyrillic(50), "", "", "", 1, 1}, {cyrillic(51), "", "", "", 1, 1}})};
     },
     "row 2, column \"StBook\": the text is 51 characters long"},
    {"InvalidUtf8",
     [] {
         return std::vector<Table>{students({{"ok", "\xD0", "", "", 1, 1}})};
     },
     "row 1, column \"StName\": the text is not valid UTF-8"},
    {"NulInText",
     [] {
         return std::vector<Table>{students({{std::string("a\0b", 3), "", "", "", 1, 1}})};
     },
     "column \"StBook\": the text holds a NUL character"},
    {"ByteOrderMarkWithUnstorableCharacter",
     [] {
         return std::vector<Table>{students({{"\xEF\xBB\xBFĀ", "", "", "", 1, 1}})};
     },
     "column \"StBook\": text that starts with U+FEFF"},
    {"NumberInTextColumn",
     [] {
         return std::vector<Table>{students({{5, "", "", "", 1, 1}})};
     },
     "column \"StBook\": a number given for a TEXT column"},
    {"TextInLongColumn",
     [] {
         return std::vector<Table>{students({{"", "", "", "", "5", 1}})};
     },
     "column \"StCount\": text given for a LONG column"},
    {"RowWithTooFewValues",
     [] {
         return std::vector<Table>{students({{"", "", "", "", 1}})};
     },
     "table \"Students\", row 1: 5 values for 6 columns"},
    {"RowLargerThanAPage",
     [] {
         // Nine full columns of Cyrillic text take 9 x 510 bytes.
         Table t{"Big", {}, {}};
         Row row;
         for (int c = 0; c < 9; ++c) {
             t.columns.push_back({"C" + std::to_string(c), ColumnType::Text, 255});
             row.push_back(cyrillic(255));
         }
         t.rows.push_back(row);
         return std::vector<Table>{t};
     },
     "table \"Big\", row 1: the row takes 4"},
    {"DuplicateColumnIgnoringCase",
     [] {
         return std::vector<Table>{
             Table{"T", {{"Имя", ColumnType::Text, 5}, {"иМЯ", ColumnType::Long}}, {}}};
     },
     "table \"T\", column \"иМЯ\": two columns have this name"},
    {"DuplicateTableIgnoringCase",
     [] {
         return std::vector<Table>{oneColumn("Students", {"A", ColumnType::Long}),
                                   oneColumn("STUDENTS", {"A", ColumnType::Long})};
     },
     "table \"STUDENTS\": two tables have this name"},
    {"SystemTableName", [] { return std::vector<Table>{oneColumn("MSysObjects", {"A"})}; },
     "names starting with MSys are kept"},
    {"EmptyTableName", [] { return std::vector<Table>{oneColumn("", {"A"})}; },
     "the name is empty"},
    {"NameTooLong", [] { return std::vector<Table>{oneColumn("T", {std::string(65, 'n')})}; },
     "the name is longer than 64 characters"},
    {"NameWithDot", [] { return std::vector<Table>{oneColumn("a.b", {"A"})}; },
     "table \"a.b\": the name holds a character not allowed"},
    {"NameWithLeadingSpace", [] { return std::vector<Table>{oneColumn("T", {" A"})}; },
     "the name starts with a space"},
    {"NoColumns",
     [] {
         return std::vector<Table>{Table{"T", {}, {}}};
     },
     "a table needs at least one column"},
    {"TooManyColumns",
     [] {
         Table t{"T", {}, {}};
         for (int c = 0; c < 256; ++c)
             t.columns.push_back({"C" + std::to_string(c), ColumnType::Long});
         return std::vector<Table>{t};
     },
     "more than 255 columns"},
    {"TextColumnOfZero",
     [] {
         return std::vector<Table>{oneColumn("T", {"A", ColumnType::Text, 0})};
     },
     "a text column holds 1 to 255 characters, not 0"},
    {"TextColumnOf256",
     [] {
         return std::vector<Table>{oneColumn("T", {"A", ColumnType::Text, 256})};
     },
     "not 256"},
    {"IntegerOutOfRange",
     [] {
         return std::vector<Table>{oneColumn("T", {"I", ColumnType::Integer}, {{40000}})};
     },
     "40000 is outside the INTEGER range -32768 to 32767"},
    {"NegativeByte",
     [] {
         return std::vector<Table>{oneColumn("T", {"B", ColumnType::Byte}, {{-1}})};
     },
     "-1 is outside the BYTE range 0 to 255"},
    {"FractionInLongColumn",
     [] {
         return std::vector<Table>{oneColumn("T", {"L", ColumnType::Long}, {{1.5}})};
     },
     "a fractional number given for a LONG column"},
    {"DecimalTooWide",
     [] {
         return std::vector<Table>{
             oneColumn("T", {"N", ColumnType::Decimal, 0, 5, 2}, {{jetwriter::Decimal{"1234.5"}}})};
     },
     "1234.5 does not fit DECIMAL(5, 2)"},
    {"DecimalWithComma",
     [] {
         return std::vector<Table>{
             oneColumn("T", {"N", ColumnType::Decimal, 0, 5, 2}, {{jetwriter::Decimal{"1,5"}}})};
     },
     "\"1,5\" is not a decimal number"},
    {"StaleCopyOfARowNotMovedTwice",
     [] {
         Table t = oneColumn("T", {"L", ColumnType::Long}, {{1}});
         t.placements = {jetwriter::RowPlacement::Moved};
         t.staleCopies[0] = {2};
         return std::vector<Table>{t};
     },
     "row 1: a stale copy is given, but the row is not moved twice"},
    {"CharacterOutsideTheCodePage",
     [] {
         return std::vector<Table>{oneColumn("T", {"A", ColumnType::Text, 10}, {{"日本"}})};
     },
     "code page 1251 does not have", jetwriter::Format::Jet3},
    {"DecimalInAccess97",
     [] {
         return std::vector<Table>{oneColumn("T", {"N", ColumnType::Decimal})};
     },
     "Access 97 files have no DECIMAL columns", jetwriter::Format::Jet3},
    {"CalculatedColumnInAccess2000",
     [] {
         jetwriter::Column c{"Full", ColumnType::Text};
         c.calculated = true;
         return std::vector<Table>{oneColumn("T", c)};
     },
     "column \"Full\": calculated columns exist in Access 2010 and later files (.accdb) only"},
    {"CalculatedExpressionsBeyondWhatTheCatalogueHolds",
     [] {
         Table t{"T", {}, {}};
         for (int c = 0; c < 3; ++c) {
             jetwriter::Column column{"C" + std::to_string(c), ColumnType::Long};
             column.calculated = true;
             column.expression = std::string(1000, 'x');
             t.columns.push_back(column);
         }
         return std::vector<Table>{t};
     },
     "table \"T\": the calculated columns' names and expressions take", jetwriter::Format::Ace},
};

void PrintTo(const BadInput& c, std::ostream* os) {
    *os << c.name;
}

class WriterRefuses : public testing::TestWithParam<BadInput> {};

TEST_P(WriterRefuses, WithAClearMessageAndLeavesTheOldFile) {
    TempDir dir;
    writeFile(dir / "out.mdb", "old contents");
    try {
        jetwriter::Options options;
        options.format = GetParam().format;
        jetwriter::writeDatabase(dir / "out.mdb", GetParam().tables(), options);
        FAIL() << "no error";
    } catch (const jetwriter::Error& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(dir / "out.mdb"), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Writer, WriterRefuses, testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Whole or nothing -------------------------------------------------------------------------

std::size_t entries(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(WriterFile, ReplacesAnOldFileOnSuccess) {
    TempDir dir;
    writeFile(dir / "out.mdb", "old contents");
    const std::vector<Table> tables = {students({{"1", "Иван", "2", "3", 4, 5}})};
    jetwriter::writeDatabase(dir / "out.mdb", tables, {kFixedTime});
    EXPECT_EQ(readFile(dir / "out.mdb"), jetwriter::databaseBytes(tables, {kFixedTime}));
    EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(WriterFile, FailsCleanlyWhenThePlaceCannotTakeTheFile) {
    TempDir dir;
    fs::create_directory(dir / "taken.mdb");
    writeFile(dir / "taken.mdb" / "inside", "x");
    const std::vector<Table> tables = {students({})};

    EXPECT_THROW(jetwriter::writeDatabase(dir / "missing" / "out.mdb", tables), jetwriter::Error);
    EXPECT_THROW(jetwriter::writeDatabase(dir / "taken.mdb", tables), jetwriter::Error);
    EXPECT_THROW(jetwriter::writeDatabase(dir.path() / "", tables), jetwriter::Error);
    EXPECT_EQ(entries(dir.path()), 1u);  // no temporary file left behind
    EXPECT_EQ(readFile(dir / "taken.mdb" / "inside"), "x");
}

// A write that fails midway (here the file-size limit, as a full disk would) must throw and
// leave neither a partial database nor a temporary file. Run in a child so that the limit
// stays there.
TEST(WriterFile, FailedWriteMidwayLeavesNothing) {
    TempDir dir;
    writeFile(dir / "out.mdb", "old contents");
    Table t = classlist::studentsTable();
    for (int i = 0; i < 20000; ++i)
        t.rows.push_back({"B" + std::to_string(i), "Иванов", "1", "Г", i, i});

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            jetwriter::writeDatabase(dir / "out.mdb", {t});
        } catch (const jetwriter::Error& e) {
            _exit(std::strstr(e.what(), "cannot write") ? 42 : 43);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
    EXPECT_EQ(readFile(dir / "out.mdb"), "old contents");
    EXPECT_EQ(entries(dir.path()), 1u);
}

}  // namespace
