// Databases from the project's own Jet4 writer, read back by the reader: each value as written,
// text outside CP1251 as '?', and tables whose columns are not what the sign-in reads refused.
#include "Cp1251.h"
#include "CsvClassList.h"
#include "JetTestSupport.h"
#include "JetWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

using jet::Error;
using jettest::StudentRow;
using jetwriter::Row;
using jetwriter::Table;

namespace {

std::string cp(const char* utf8) {
    return cp1251::fromUtf8(utf8);
}

// One row to write and the row the reader must give back.
struct RowCase {
    Row written;
    StudentRow read;
};

struct RoundTrip {
    const char* name;
    std::function<std::vector<RowCase>()> rows;
};

std::vector<RowCase> manyRows(int n) {
    std::vector<RowCase> out;
    for (int i = 0; i < n; ++i) {
        const std::string book = "K" + std::to_string(1000000 + i);
        const std::string name = "Курсант " + std::to_string(i);
        const std::string group = "Группа " + std::to_string(i / 25 + 1);
        out.push_back({Row{book, name, std::to_string(i % 25 + 1), group, i - n / 2, INT32_MIN + i},
                       StudentRow{book, cp(name.c_str()), std::to_string(i % 25 + 1),
                                  cp(group.c_str()), i - n / 2, INT32_MIN + i}});
    }
    return out;
}

const RoundTrip kRoundTrips[] = {
    {"texts_and_limits",
     [] {
         return std::vector<RowCase>{
             {Row{"12345", "Иванов Иван", "1", "Группа 1", 3, 12},
              StudentRow{"12345", cp("Иванов Иван"), "1", cp("Группа 1"), 3, 12}},
             {Row{"ЗК-2024/5", "Ёлкина Алёна", " 2 ", "Вечерняя", INT32_MIN, INT32_MAX},
              StudentRow{cp("ЗК-2024/5"), cp("Ёлкина Алёна"), " 2 ", cp("Вечерняя"), INT32_MIN,
                         INT32_MAX}},
             {Row{std::string(50, 'x'), std::string(255, 'N'), "3", std::string(100, 'g'), -1, 0},
              StudentRow{std::string(50, 'x'), std::string(255, 'N'), "3", std::string(100, 'g'),
                         -1, 0}},
         };
     }},
    {"nulls_read_as_empty_and_zero",
     [] {
         return std::vector<RowCase>{
             {Row{"N1", std::nullopt, "1", std::nullopt, std::nullopt, std::nullopt},
              StudentRow{"N1", "", "1", "", 0, 0}},
             {Row{"N2", "", "", "", 0, 7}, StudentRow{"N2", "", "", "", 0, 7}},
         };
     }},
    {"characters_without_cp1251_form",
     [] {
         // Each character CP1251 lacks becomes one '?'; its neighbours are kept.
         return std::vector<RowCase>{
             {Row{"Z1", "Müller Zoë", "№5", "Группа «А» €", 1, 1},
              StudentRow{"Z1", "M?ller Zo?", cp("№5"), cp("Группа «А» €"), 1, 1}},
             {Row{"Z2", "李 Ли", "Ω", "Ελλάδα", 2, 2},
              StudentRow{"Z2", cp("? Ли"), "?", "??????", 2, 2}},
         };
     }},
    {"many_rows_across_batches", [] { return manyRows(10001); }},
};

void PrintTo(const RoundTrip& c, std::ostream* os) {
    *os << c.name;
}

class WriterRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(WriterRoundTrip, ReadsBackWhatWasWritten) {
    const std::vector<RowCase> cases = GetParam().rows();
    Table t = classlist::studentsTable();
    std::vector<StudentRow> expected;
    for (const RowCase& c : cases) {
        t.rows.push_back(c.written);
        expected.push_back(c.read);
    }
    TempDir dir;
    jetwriter::writeDatabase(dir / "dbtrener.mdb", {t});

    jettest::OpenStudents s(dir / "dbtrener.mdb");
    EXPECT_EQ(s.records.recordCount(), static_cast<std::int32_t>(expected.size()));
    const std::vector<StudentRow> rows = jettest::readAllRows(s.records);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], expected[i]) << "row " << i << ": " << jettest::utf8(rows[i].StName);
}

INSTANTIATE_TEST_SUITE_P(Writer, WriterRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

// A table Students whose columns are missing or of a kind that cannot be read in the sign-in's
// form is not read as if it fitted: the recordset does not open.
struct SchemaCase {
    const char* name;
    std::function<void(Table&)> change;
    const char* column;
    Error::Code code;
};

const SchemaCase kSchemaCases[] = {
    {"count_as_text",
     [](Table& t) {
         t.columns[4].type = jetwriter::ColumnType::Text;
         t.columns[4].maxChars = 10;
         t.rows[0][4] = std::string("3");
     },
     "StCount", Error::Code::ColumnWrongKind},
    {"name_as_date",
     [](Table& t) {
         t.columns[1].type = jetwriter::ColumnType::DateTime;
         t.rows[0][1] = jetwriter::DateTime{45000.5};
     },
     "StName", Error::Code::ColumnWrongKind},
    {"group_count_as_yes_no",
     [](Table& t) {
         t.columns[5].type = jetwriter::ColumnType::Boolean;
         t.rows[0][5] = true;
     },
     "GrCount", Error::Code::ColumnWrongKind},
    {"column_missing",
     [](Table& t) {
         t.columns.pop_back();
         t.rows[0].pop_back();
     },
     "GrCount", Error::Code::ColumnNotFound},
};

void PrintTo(const SchemaCase& c, std::ostream* os) {
    *os << c.name;
}

class SchemaMismatch : public ::testing::TestWithParam<SchemaCase> {};

TEST_P(SchemaMismatch, RecordsetDoesNotOpen) {
    Table t = classlist::studentsTable();
    t.rows.push_back(Row{"1", "A", "1", "G", 1, 1});
    GetParam().change(t);
    TempDir dir;
    jetwriter::writeDatabase(dir / "dbtrener.mdb", {t});

    jet::Database db(jettest::realHelper());
    db.open((dir / "dbtrener.mdb").string());
    jet::TableDef table(db);
    table.open("Students");
    jet::Recordset records(db);
    try {
        records.open(table, signin::studentColumns());
        FAIL() << "opened a table Students of the wrong shape";
    } catch (const Error& e) {
        EXPECT_EQ(e.code(), GetParam().code);
        EXPECT_NE(e.description().find(std::string("\"") + GetParam().column + "\""),
                  std::string::npos);
    }
    EXPECT_FALSE(records.isOpen());
    EXPECT_TRUE(db.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Writer, SchemaMismatch, ::testing::ValuesIn(kSchemaCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
